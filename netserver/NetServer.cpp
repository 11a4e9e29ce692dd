#include "netserver/NetServer.h"

#include "server/GameServer.h"
#include "server/Log.h"

#include <QAbstractSocket>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <sys/resource.h>

#include <algorithm>
#include <utility>

namespace trelvo::net {

namespace {

// Sockets beyond MaxConnections still taken, so that a late comer hears "full" rather than nothing.
constexpr int kSpareSockets = 16;
// Descriptors besides the peers': the listener, the log, the libraries.
constexpr int kOtherFiles = 64;

} // namespace

struct TNetServer::TPeer {
    QWebSocket *Socket = nullptr;
    std::uint64_t ID = 0; // in the log before and after login
    int Conn = -1;        // the game server's connection once logged in
    QString Key;          // the case-folded name once logged in
    QString Name;
    bool Closing = false;
    double Tokens = 0;
    std::int64_t RefilledAt = 0;
    TClock::TId HelloTimer = 0;
};

TNetServer::TNetServer(TClock &Clock, server::TGameServer &Game, TNetServerOptions Options)
    : FClock(Clock), FGame(Game), FOptions(std::move(Options)) {
    // Our own TCP (or TLS) listener hands each socket to the WebSocket layer: only so can a socket be
    // told to send small frames at once.
    if (FOptions.Tls) {
        auto tls = std::make_unique<QSslServer>();
        tls->setSslConfiguration(*FOptions.Tls);
        tls->setHandshakeTimeout(FOptions.SessionTimeoutMs);
        FTcp = std::move(tls);
    } else {
        FTcp = std::make_unique<QTcpServer>();
    }
    FTcp->setMaxPendingConnections(1000);
    FListener =
        std::make_unique<QWebSocketServer>(QStringLiteral("trelvo-server"), QWebSocketServer::NonSecureMode);
    // The upgrade request is bounded in time too, before any peer of ours exists.
    FListener->setHandshakeTimeout(FOptions.SessionTimeoutMs);
    QObject::connect(FTcp.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = FTcp->nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            FListener->handleConnection(socket);
        }
    });
    QObject::connect(FListener.get(), &QWebSocketServer::newConnection, this, [this] { Accept(); });
    QObject::connect(FTcp.get(), &QTcpServer::acceptError, this, [](QAbstractSocket::SocketError Error) {
        qCWarning(server::lcServer) << "cannot accept a connection:" << Error;
    });
    FGame.OnSend = [this](int Conn, const QString &Message) { Send(Conn, Message); };
}

TNetServer::~TNetServer() {
    FGame.OnSend = nullptr;
    if (FStopTimer)
        FClock.Cancel(FStopTimer);
    for (auto &[socket, peer] : FPeers) {
        if (peer->HelloTimer)
            FClock.Cancel(peer->HelloTimer);
        QObject::disconnect(socket, nullptr, this, nullptr);
        if (peer->Conn >= 0)
            FGame.Disconnect(peer->Conn);
        socket->abort();
        delete socket;
    }
}

bool TNetServer::Listen(QString &Error) {
    if (!FTcp->listen(FOptions.Address, FOptions.Port)) {
        Error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(FOptions.Address.toString())
                    .arg(FOptions.Port)
                    .arg(FTcp->errorString());
        return false;
    }
    qCInfo(server::lcServer).noquote()
        << QStringLiteral("listening on %1://%2:%3")
               .arg(FOptions.Tls ? QStringLiteral("wss") : QStringLiteral("ws"), FOptions.Address.toString())
               .arg(Port());
    return true;
}

void TNetServer::Stop(std::function<void()> Done) {
    if (FStopping)
        return;
    FStopping = true;
    FOnStopped = std::move(Done);
    FTcp->close();
    FGame.AbortGames();
    qCInfo(server::lcServer) << "closing" << Peers() << "connections: the server stops";
    // Every peer is closing before any leaves its table: nobody is sent the others' leaving.
    std::vector<TPeer *> closing;
    for (auto &[socket, peer] : FPeers) {
        if (!peer->Closing) {
            peer->Closing = true;
            closing.push_back(peer.get());
        }
    }
    for (TPeer *peer : closing)
        Release(*peer, false);
    for (TPeer *peer : closing)
        peer->Socket->close(QWebSocketProtocol::CloseCodeGoingAway, kServerStoppedReason);
    FStopTimer = FClock.Schedule(kStopGraceMs, [this] {
        FStopTimer = 0;
        Stopped();
    });
    if (FPeers.empty())
        Stopped();
}

void TNetServer::Stopped() {
    if (FStopTimer)
        FClock.Cancel(FStopTimer);
    FStopTimer = 0;
    if (auto done = std::exchange(FOnStopped, nullptr))
        done();
}

quint16 TNetServer::Port() const {
    return FTcp->serverPort();
}

void TNetServer::Accept() {
    while (QWebSocket *socket = FListener->nextPendingConnection()) {
        auto peer = std::make_unique<TPeer>();
        peer->Socket = socket;
        peer->ID = FNextPeer++;
        peer->Tokens = FOptions.RateBurst;
        peer->RefilledAt = FClock.Now();
        socket->setMaxAllowedIncomingFrameSize(static_cast<quint64>(FOptions.MaxFrameBytes));
        socket->setMaxAllowedIncomingMessageSize(static_cast<quint64>(FOptions.MaxFrameBytes));
        socket->setReadBufferSize(FOptions.MaxFrameBytes);
        qCInfo(server::lcServer).noquote()
            << "connection" << peer->ID << "from" << socket->peerAddress().toString();
        TPeer &ref = *peer;
        FPeers[socket] = std::move(peer);
        QObject::connect(socket, &QWebSocket::textMessageReceived, this, [this, &ref](const QString &Text) {
            if (ref.Closing)
                return;
            if (ref.Conn < 0)
                Hello(ref, Text);
            else
                Frame(ref, Text);
        });
        QObject::connect(socket, &QWebSocket::binaryMessageReceived, this, [this, &ref](const QByteArray &) {
            if (!ref.Closing)
                Drop(ref, QStringLiteral("a binary frame"), QWebSocketProtocol::CloseCodeDatatypeNotSupported,
                     false);
        });
        QObject::connect(socket, &QWebSocket::disconnected, this, [this, socket] { Gone(socket); });
        ref.HelloTimer = FClock.Schedule(FOptions.SessionTimeoutMs, [this, &ref] {
            ref.HelloTimer = 0;
            Drop(ref, QStringLiteral("no session exchange within %1 ms").arg(FOptions.SessionTimeoutMs),
                 QWebSocketProtocol::CloseCodePolicyViolated, false);
        });
        if (Peers() > FOptions.MaxConnections + kSpareSockets)
            Drop(ref, QStringLiteral("no room for another socket"),
                 QWebSocketProtocol::CloseCodeAbnormalDisconnection, true);
    }
    CheckAccepting();
}

void TNetServer::Hello(TPeer &Peer, const QString &Text) {
    const auto hello = ParseHello(Text);
    if (!hello)
        return Refuse(Peer, TRefusal::Malformed);
    if (hello->Version != kProtocolVersion)
        return Refuse(Peer, TRefusal::Version);
    if (!ValidName(hello->Name))
        return Refuse(Peer, TRefusal::BadName);
    const QString key = hello->Name.toCaseFolded();
    if (FNames.contains(key))
        return Refuse(Peer, TRefusal::NameTaken);
    if (Players() >= FOptions.MaxConnections)
        return Refuse(Peer, TRefusal::Full);
    if (Peer.HelloTimer) {
        FClock.Cancel(Peer.HelloTimer);
        Peer.HelloTimer = 0;
    }
    Peer.Key = key;
    Peer.Name = hello->Name;
    FNames.insert(key);
    // The game server answers the login at once; the welcome goes first.
    qCInfo(server::lcServer).noquote() << "connection" << Peer.ID << "logs in as" << hello->Name;
    FLoggingIn = &Peer;
    const int conn = FGame.Connect(hello->Name);
    FLoggingIn = nullptr;
    Peer.Socket->sendTextMessage(BuildAnswer({true, conn, TRefusal::Malformed}));
    Peer.Conn = conn;
    FByConn[conn] = &Peer;
    for (const QString &answer : std::exchange(FLoginAnswers, {}))
        Send(conn, answer);
}

void TNetServer::Refuse(TPeer &Peer, TRefusal Reason) {
    Peer.Socket->sendTextMessage(BuildAnswer({false, 0, Reason}));
    Drop(Peer, QStringLiteral("refused: %1").arg(RefusalWord(Reason)), QWebSocketProtocol::CloseCodeNormal,
         false);
}

void TNetServer::Frame(TPeer &Peer, const QString &Text) {
    if (!TakeToken(Peer))
        return Drop(Peer, QStringLiteral("more than %1 messages a second").arg(FOptions.RatePerSecond),
                    QWebSocketProtocol::CloseCodePolicyViolated, false);
    // Game messages begin with their number: the session's own requests cannot be mistaken for one.
    if (Text == kTopRequest)
        return Send(Peer.Conn, BuildTopAnswer(OnTop ? OnTop(Peer.Name) : TTopAnswer{}));
    ++FFramesIn;
    FGame.Receive(Peer.Conn, Text);
}

bool TNetServer::TakeToken(TPeer &Peer) {
    const std::int64_t now = FClock.Now();
    Peer.Tokens = std::min<double>(FOptions.RateBurst,
                                   Peer.Tokens + (now - Peer.RefilledAt) * FOptions.RatePerSecond / 1000.0);
    Peer.RefilledAt = now;
    if (Peer.Tokens < 1)
        return false;
    Peer.Tokens -= 1;
    return true;
}

void TNetServer::Send(int Conn, const QString &Message) {
    auto it = FByConn.find(Conn);
    if (it == FByConn.end() && FLoggingIn) {
        FLoginAnswers.push_back(Message);
        return;
    }
    if (it == FByConn.end() || it->second->Closing)
        return;
    TPeer &peer = *it->second;
    // UTF-16 length is a fair bound of the frame: names are the only text beyond ASCII.
    if (peer.Socket->bytesToWrite() + 2 * Message.size() > FOptions.MaxQueuedBytes)
        return Drop(peer, QStringLiteral("its output queue is full (it does not read)"),
                    QWebSocketProtocol::CloseCodeAbnormalDisconnection, true);
    ++FFramesOut;
    peer.Socket->sendTextMessage(Message);
}

void TNetServer::Drop(TPeer &Peer, const QString &Reason, int CloseCode, bool Abort) {
    if (Peer.Closing)
        return;
    Peer.Closing = true;
    qCWarning(server::lcServer).noquote() << "connection" << Peer.ID << "closed:" << Reason;
    if (OnDropped)
        OnDropped(Reason);
    // Not from inside the game server's own call (a send may find the queue full).
    Release(Peer, true);
    QWebSocket *socket = Peer.Socket;
    if (Abort)
        QTimer::singleShot(0, socket, [socket] { socket->abort(); });
    else
        socket->close(static_cast<QWebSocketProtocol::CloseCode>(CloseCode), Reason.left(100));
}

void TNetServer::Gone(QWebSocket *Socket) {
    auto it = FPeers.find(Socket);
    if (it == FPeers.end())
        return;
    TPeer &peer = *it->second;
    QObject::disconnect(Socket, nullptr, this, nullptr);
    if (!peer.Closing) {
        // Qt closes a peer over the frame limit by itself: the reason is its own.
        const auto code = Socket->closeCode();
        const QString why =
            code == QWebSocketProtocol::CloseCodeTooMuchData
                ? QStringLiteral("a frame over %1 bytes").arg(FOptions.MaxFrameBytes)
                : QStringLiteral("close code %1 %2").arg(int(code)).arg(Socket->closeReason());
        if (code == QWebSocketProtocol::CloseCodeNormal || code == QWebSocketProtocol::CloseCodeGoingAway ||
            code == QWebSocketProtocol::CloseCodeAbnormalDisconnection)
            qCInfo(server::lcServer) << "connection" << peer.ID << "gone";
        else
            qCWarning(server::lcServer).noquote() << "connection" << peer.ID << "closed:" << why;
        peer.Closing = true;
        if (OnDropped && code == QWebSocketProtocol::CloseCodeTooMuchData)
            OnDropped(why);
        Release(peer, false);
    }
    Socket->deleteLater();
    FPeers.erase(it);
    if (FStopping) {
        if (FPeers.empty())
            Stopped();
        return;
    }
    CheckAccepting();
}

void TNetServer::Release(TPeer &Peer, bool GameLater) {
    if (Peer.HelloTimer) {
        FClock.Cancel(Peer.HelloTimer);
        Peer.HelloTimer = 0;
    }
    FNames.remove(Peer.Key);
    if (Peer.Conn < 0)
        return;
    FByConn.erase(Peer.Conn);
    if (GameLater)
        QTimer::singleShot(0, this, [this, conn = Peer.Conn] { FGame.Disconnect(conn); });
    else
        FGame.Disconnect(Peer.Conn);
}

void TNetServer::CheckAccepting() {
    const bool full = Peers() >= FOptions.MaxConnections + kSpareSockets;
    if (full && !FPaused) {
        qCWarning(server::lcServer) << "not accepting: " << Peers() << "sockets open";
        FTcp->pauseAccepting();
    } else if (!full && FPaused) {
        FTcp->resumeAccepting();
    }
    FPaused = full;
}

bool RaiseOpenFileLimit(int Connections, std::uint64_t &Got) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        Got = 0;
        return false;
    }
    const rlim_t wanted = static_cast<rlim_t>(Connections) + kSpareSockets + kOtherFiles;
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = std::min(wanted, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    Got = limit.rlim_cur;
    return limit.rlim_cur >= wanted;
}

} // namespace trelvo::net
