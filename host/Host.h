#pragma once

#include "host/ClientLauncher.h"
#include "host/GameServerPort.h"
#include "host/HostLink.h"
#include "host/HostOptions.h"
#include "host/HostRelay.h"
#include "host/HostWindow.h"
#include "host/X11ChildWatch.h"
#include "host/X11ShortcutGrab.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace trelvo::host {

// The chat client with its plug-in: the window, the client's pipe, the client process and the relay
// to the game server, wired together.
class THost {
public:
    static constexpr const char *kChatVersion = "1.0";

    THost(const THostOptions &Options, std::unique_ptr<IGameServer> Server, const std::string &PipeName);
    ~THost();
    THost(const THost &) = delete;
    THost &operator=(const THost &) = delete;

    // Takes the pipe name, shows the window and starts the client. False with Error when the pipe name
    // belongs to another host or the client cannot be started.
    bool Start(QString &Error);
    // Closes the pipe and waits for the client to end by itself; true when it did.
    bool Shutdown();
    // Ends the client (if it runs) and starts it anew.
    bool RestartClient();

    THostWindow &Window() { return FWindow; }
    THostRelay &Relay() { return *FRelay; }
    TClientLauncher &Client() { return *FClient; }
    IGameServer &Server() { return *FServer; }
    // The client's window while it is inside the game area, else 0.
    std::uint32_t EmbeddedWindow() const { return FEmbedded; }

    // The window was closed by the user.
    std::function<void()> OnClosed;

private:
    void Log(const QString &Line);
    void ClientEnded(int ExitCode, bool Crashed);

    THostOptions FOptions;
    THostWindow FWindow;
    std::unique_ptr<IGameServer> FServer;
    std::unique_ptr<THostRelay> FRelay;
    std::unique_ptr<THostLink> FLink;
    std::unique_ptr<TClientLauncher> FClient;
    std::unique_ptr<TX11ChildWatch> FChildWatch;
    std::unique_ptr<TX11ShortcutGrab> FShortcutGrab;
    std::uint32_t FEmbedded = 0;
    bool FStopRequested = false;
};

// The player's identity as the plug-in reports it: the given name or the login name, and the MD5 of
// the chat client's file (the plug-in is built into the same file).
THostIdentity MakeIdentity(const QString &Name);

} // namespace trelvo::host
