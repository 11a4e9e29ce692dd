#pragma once

#include "common/Clock.h"
#include "protocol/Session.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QSslConfiguration>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTcpServer;
class QWebSocket;
class QWebSocketServer;

namespace trelvo::server {
class TGameServer;
}

namespace trelvo::net {

// How the listener treats its peers. Every peer is untrusted: sizes, rates and times are bounded.
struct TNetServerOptions {
    QHostAddress Address = QHostAddress::LocalHost;
    quint16 Port = kDefaultPort; // 0 picks a free one (tests)
    int MaxConnections = 1000;
    int MaxFrameBytes = 64 * 1024;
    int RatePerSecond = 20; // game messages a peer may send a second, on average
    int RateBurst = 40;     // and at once
    int SessionTimeoutMs = 10000;
    qint64 MaxQueuedBytes = 256 * 1024;   // what may wait to be sent to one peer
    std::optional<QSslConfiguration> Tls; // set: wss:// only
};

// trelvo-server's network side: a WebSocket listener whose peers log in with the session exchange
// and then carry one game-server message a text frame, both ways, to and from the game server.
class TNetServer : public QObject {
public:
    TNetServer(TClock &Clock, server::TGameServer &Game, TNetServerOptions Options);
    ~TNetServer() override;

    // False with Error when the address cannot be listened on.
    bool Listen(QString &Error);
    // The server's own stop: no new connections, every game in progress ends without a result, then every
    // peer is closed with 1001 ("going away") and kServerStoppedReason. Done is called once all are gone,
    // or after kStopGraceMs for peers that do not answer the close.
    void Stop(std::function<void()> Done);
    static constexpr int kStopGraceMs = 3000;
    quint16 Port() const;

    // Peers with a socket, and those of them that are logged in.
    int Peers() const { return static_cast<int>(FPeers.size()); }
    int Players() const { return static_cast<int>(FByConn.size()); }
    // Game messages taken from and given to peers so far.
    std::uint64_t FramesIn() const { return FFramesIn; }
    std::uint64_t FramesOut() const { return FFramesOut; }

    // Answers a logged-in player's "top;" with the rating table and the player's own standing; unset,
    // the table is empty.
    std::function<TTopAnswer(const QString &Name)> OnTop;

    // Told, besides the log, why a peer was refused or closed (tests).
    std::function<void(const QString &Reason)> OnDropped;

private:
    struct TPeer;

    void Accept();
    void Hello(TPeer &Peer, const QString &Frame);
    void Frame(TPeer &Peer, const QString &Frame);
    bool TakeToken(TPeer &Peer);
    void Send(int Conn, const QString &Message);
    void Refuse(TPeer &Peer, TRefusal Reason);
    // Closes a peer and logs why: with the closing handshake, or (Abort) at once for one that does not
    // read. The game hears of it after the current event.
    void Drop(TPeer &Peer, const QString &Reason, int CloseCode, bool Abort);
    void Gone(QWebSocket *Socket);
    // Forgets the peer's name and login; the game hears of it now or after the current event.
    void Release(TPeer &Peer, bool GameLater);
    void CheckAccepting();
    void Stopped();

    TClock &FClock;
    server::TGameServer &FGame;
    TNetServerOptions FOptions;
    std::unique_ptr<QTcpServer> FTcp;
    std::unique_ptr<QWebSocketServer> FListener;
    std::map<QWebSocket *, std::unique_ptr<TPeer>> FPeers;
    std::map<int, TPeer *> FByConn;
    QSet<QString> FNames; // case-folded names of logged-in players
    std::uint64_t FNextPeer = 1;
    std::uint64_t FFramesIn = 0, FFramesOut = 0;
    bool FPaused = false;
    bool FStopping = false;
    std::function<void()> FOnStopped;
    TClock::TId FStopTimer = 0;
    // While the game server answers a login, before the welcome has gone out.
    TPeer *FLoggingIn = nullptr;
    std::vector<QString> FLoginAnswers;
};

// Raises the process's open-file limit to fit Connections sockets and the rest; false (with the limit
// it got) when the hard limit is lower.
bool RaiseOpenFileLimit(int Connections, std::uint64_t &Got);

} // namespace trelvo::net
