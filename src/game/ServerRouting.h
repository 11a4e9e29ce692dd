#pragma once

#include <QString>

#include <functional>

namespace trelvo {

class TGame;

// Hands one game-server message (its subcode and the payload after it) to the controller's entry point.
// The program's dispatcher and the tests route through this one function. The version check is the
// only message with an answer to the host: AnswerCheckVersion receives it. Unknown subcodes are ignored.
void RouteServerMessage(TGame &Game, int Subcode, const QString &Payload,
                        const std::function<void(int Result)> &AnswerCheckVersion);

} // namespace trelvo
