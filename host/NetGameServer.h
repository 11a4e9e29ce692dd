#pragma once

#include "host/GameServerPort.h"

#include "common/Clock.h"
#include "netserver/Session.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <memory>

class QWebSocket;

namespace trelvo::host {

// The game server on another machine, reached over WebSocket (trelvo-server). One login at a time:
// Connect opens the session, and the player's messages travel one a frame both ways. A lost link is
// tried again with back-off; meanwhile the client is sent back to the lobby, as the server has let
// the player go. A server that stops itself (close code 1001) is told to the client as the server
// leaving, and its renewed login, when it is back, takes the client to the lobby.
class TNetGameServer : public QObject, public IGameServer {
public:
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 30000;
    static constexpr int kMaxFrameBytes = 64 * 1024;

    TNetGameServer(TClock &Clock, QUrl Url);
    ~TNetGameServer() override;

    TConnId Connect(const QString &PlayerName) override;
    void Receive(TConnId Conn, const QString &Message) override;
    void Disconnect(TConnId Conn) override;

    bool Online() const { return FOnline; }
    // Asks the server for its rating table; false when not connected. The answer comes to OnTop and
    // never reaches the client.
    bool RequestTop();
    std::function<void(const net::TTopAnswer &Answer)> OnTop;
    // Game messages given to and taken from the server so far.
    std::uint64_t FramesOut() const { return FFramesOut; }
    std::uint64_t FramesIn() const { return FFramesIn; }

private:
    void Open();
    void Opened();
    void Frame(const QString &Text);
    void Answer(const QString &Text);
    void Lost();
    void Deliver(const QString &Message);
    void Track(const QString &Message);
    void Status(bool Connected, const QString &Text);

    TClock &FClock;
    QUrl FUrl;
    std::unique_ptr<QWebSocket> FSocket;
    QString FName;
    TConnId FConn = 0;
    bool FWanted = false;    // a login is wanted: a lost link is tried again
    bool FOnline = false;    // welcomed by the server
    bool FRejoining = false; // the login answers of a renewed session are not the client's news
    int FRetryMs = kFirstRetryMs;
    TClock::TId FRetry = 0;
    // Where the player is, to send the client back to the lobby when the link is lost.
    bool FInRoom = false;
    int FGameID = -1; // the player's id in the running game, -1 outside one
    // Set while the server is away after its own stop: what the status line says instead of a lost link.
    QString FStoppedText;
    std::uint64_t FFramesOut = 0, FFramesIn = 0;
};

} // namespace trelvo::host
