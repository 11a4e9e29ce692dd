#pragma once

#include "app/ErrorReporter.h"
#include "app/QueuePump.h"
#include "game/Game.h"
#include "pipes/PipeClient.h"

#include <QString>

#include <functional>
#include <memory>

namespace trelvo {

// The host's pipe name; the pipe is always on this machine.
inline constexpr const char *kHostPipeName = "{05093645-25FA-49B3-B318-E73C28980D2C}";

// Joins the host link to the controller: reads every message from the pipe, splits off the host
// code (and the game-server subcode) and calls the controller; turns every controller event into an
// outgoing message.
class TGUIMessage {
public:
    // Connects to the host's pipe once; a failed connection is not reported (every message is then
    // dropped). TerminateApplication ends the event loop when the host closes the pipe.
    TGUIMessage(std::unique_ptr<TGame> AGame, std::unique_ptr<IErrorReporter> Reporter,
                std::function<void()> TerminateApplication);
    ~TGUIMessage();
    TGUIMessage(const TGUIMessage &) = delete;
    TGUIMessage &operator=(const TGUIMessage &) = delete;

    void SendToHost(int Code, const QString &Payload);
    void SendToServer(int Subcode, const QString &Payload);

    // Handles one message text as the pipe delivers it (decoded), inside the error guard.
    void HandleMessage(const QString &Text);

    TGame *Game() const { return FGame.get(); }
    TPipeClient &Client() { return *FClient; }

private:
    void BindGameEvents();
    void Dispatch(const QString &Text);
    void DispatchServerMessage(int Subcode, const QString &Payload);
    void ShowError(const Exception &Error);

    TQueuePump FPump;
    std::unique_ptr<IErrorReporter> FReporter;
    std::function<void()> FTerminateApplication;
    std::unique_ptr<TPipeClient> FClient;
    std::unique_ptr<TGame> FGame;
};

} // namespace trelvo
