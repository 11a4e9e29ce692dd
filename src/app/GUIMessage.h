#pragma once

#include "app/ErrorReporter.h"
#include "app/HostLink.h"
#include "game/Game.h"
#include "protocol/ClientMessages.h"
#include "sync/QueuePump.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

namespace trelvo {

// The largest message taken from the host: far above any table list or report, far below what would
// let one message cost the client hundreds of megabytes once decoded and read.
inline constexpr std::size_t kMaxHostMessageBytes = 16u << 20;

// Joins the host link to the controller: reads every message from the link, splits off the host
// code (and the game-server subcode) and calls the controller; turns every controller event into an
// outgoing message.
class TGUIMessage {
public:
    // TerminateApplication ends the event loop when the host closes the link.
    TGUIMessage(std::unique_ptr<TGame> AGame, std::unique_ptr<IHostLink> Link,
                std::unique_ptr<IErrorReporter> Reporter, std::function<void()> TerminateApplication);
    ~TGUIMessage();
    TGUIMessage(const TGUIMessage &) = delete;
    TGUIMessage &operator=(const TGUIMessage &) = delete;

    void Send(const QString &Message);
    void SendToHost(int Code, const QString &Payload);
    // A payload spelled elsewhere (the statistics report, the table's options).
    void SendToServer(int Subcode, const QString &Payload);
    void SendRequest(const msg::TClientMessage &Request);

    // Handles one message text as the pipe delivers it (decoded), inside the error guard.
    void HandleMessage(QString Text);

    TGame *Game() const { return FGame.get(); }
    IHostLink &Link() { return *FLink; }

private:
    void BindGameEvents();
    void Dispatch(QString &Text);
    void ShowError(const Exception &Error);

    TQueuePump FPump;
    std::unique_ptr<IErrorReporter> FReporter;
    std::function<void()> FTerminateApplication;
    std::unique_ptr<IHostLink> FLink;
    std::unique_ptr<TGame> FGame;
};

} // namespace trelvo
