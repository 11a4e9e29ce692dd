#pragma once

#include "host/GameServerPort.h"

#include "common/Clock.h"
#include "protocol/Session.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <memory>

namespace trelvo::host {

class TWsClient;

// The game server on another machine, reached over WebSocket (trelvo-server). One login at a time:
// Connect opens the session, and the player's messages travel one a frame both ways. Each stage of the
// login has a deadline; a lost link, a server that misses one, and one that does not answer as a Trelvo
// server does, are tried again with back-off; meanwhile the client is sent back to the lobby, as the
// server has let the player go. A server that stops itself (close code 1001) is told to the client as
// the server leaving, and its renewed login, when it is back, takes the client to the lobby.
class TNetGameServer : public QObject, public IGameServer {
public:
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 30000;
    // Each stage of a login (connection and upgrade, then the welcome) is given up after this long.
    static constexpr int kStageDeadlineMs = 10000;
    // Only a session that lasted this long starts the waits between tries again from the first.
    static constexpr int kLastingSessionMs = 60000;
    // The longest message taken from a server: far above the longest it sends (a table list is bounded,
    // a handed-on report comes from a peer's frame of at most 64 KiB).
    static constexpr int kMaxMessageBytes = 1024 * 1024;

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
    // The stage's deadline: started at each stage, cancelled when the link is lost or the session starts.
    void Deadline(const char *Stage);
    void CancelDeadline();
    void Drop();
    // Tries again after the wait; Why opens the player's status line.
    // ServerStopped: the server closed with 1001, its own stop, which ended the games without a result.
    void Lost(const QString &Why = {}, bool ServerStopped = false);
    void Deliver(const QString &Message);
    void Track(const QString &Message);
    void Status(bool Connected, const QString &Text);

    TClock &FClock;
    QUrl FUrl;
    std::unique_ptr<TWsClient> FSocket;
    QString FName;
    TConnId FConn = 0;
    bool FWanted = false;    // a login is wanted: a lost link is tried again
    bool FOnline = false;    // welcomed by the server
    bool FRejoining = false; // the login answers of a renewed session are not the client's news
    int FRetryMs = kFirstRetryMs;
    TClock::TId FRetry = 0;
    TClock::TId FDeadline = 0;
    std::int64_t FWelcomedAt = 0;
    // Where the player is, to send the client back to the lobby when the link is lost.
    bool FInRoom = false;
    int FGameID = -1; // the player's id in the running game, -1 outside one
    // Set while the server is away after its own stop: what the status line says instead of a lost link.
    QString FStoppedText;
    std::uint64_t FFramesOut = 0, FFramesIn = 0;
};

} // namespace trelvo::host
