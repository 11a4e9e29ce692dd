#pragma once

#include "host/GameServerPort.h"
#include "host/RelayGate.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

namespace trelvo::host {

// What the plug-in tells the client about its player and surroundings (host message 5).
struct THostIdentity {
    QString Name;
    QString IP = QStringLiteral("127.0.0.1");
    int Gender = 0;
    QString ServerIP = QStringLiteral("127.0.0.1");
    QString ChatVersion;
    QString MD5_CC;
    QString MD5_Plugin;
};

// The plug-in's half of the host link: speaks the host protocol with the client and relays its
// game-server messages (code 7) to and from the game server. It knows nothing of pipes or windows:
// it sends through OnSendToClient and is told of the client's connection and messages.
class THostRelay {
public:
    // The version check's echo as the client returned it in message 11.
    enum class TEcho { None, Awaiting, Confirmed, Wrong };

    THostRelay(IGameServer &Server, THostIdentity Identity);
    ~THostRelay();
    THostRelay(const THostRelay &) = delete;
    THostRelay &operator=(const THostRelay &) = delete;

    std::function<void(const QString &Text)> OnSendToClient;
    // One line for the host's log of what it relays.
    std::function<void(const QString &Line)> OnLog;
    // A game-server message ("subcode;payload") on its way to the client, for what follows the game
    // beside it (the sounds).
    std::function<void(const QString &Message)> OnRelayed;
    // A message of the game server for the host alone (it begins with a word): never the client's.
    std::function<void(const QString &Message)> OnHostMessage;
    // The client asked the plug-in to stop (message 22): the host closes the pipe.
    std::function<void()> OnStopRequested;

    // Gives the client its player, its parent window and its size, then logs it in on the game server.
    void ClientConnected(std::uint64_t GameWindow, QSize GameSize);
    void ClientDisconnected();
    void ClientMessage(const QString &Text);

    // The chat window's requests; nothing is sent while no client is connected.
    void Resize(QSize GameSize);
    void ShowGame();
    void HideGame();
    void ShowAbout();

    bool ClientOnline() const { return FOnline; }
    const THostIdentity &Identity() const { return FIdentity; }
    TEcho Echo() const { return FEcho; }

private:
    void SendToClient(const QString &Text);
    void ServerSent(IGameServer::TConnId Conn, const QString &Message);
    void CheckEcho(const QString &Payload);
    // Counts one more; true at the 1st, 10th, 100th...: what floods is logged that often, not each time.
    static bool Milestone(std::uint64_t &Count);
    // A server message kept from the client: counted, and logged at its kind's milestones.
    void Refuse(std::uint64_t &Count, const char *Why, const QString &Message);
    void Log(const QString &Line);

    IGameServer &FServer;
    THostIdentity FIdentity;
    bool FOnline = false;
    bool FLoggingIn = false;
    IGameServer::TConnId FConn = -1;
    TEcho FEcho = TEcho::None;
    int FExpectedEcho = 0;
    TRelayGate FGate;
    std::uint64_t FUnreadable = 0, FSurplus = 0, FClientErrors = 0;
};

} // namespace trelvo::host
