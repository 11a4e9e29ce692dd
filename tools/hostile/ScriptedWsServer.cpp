#include "ScriptedWsServer.h"

#include <QHostAddress>

namespace trelvo::hostile {

namespace ws = host::ws;

namespace {

// What a flood keeps queued at most: the peer's reading paces it, not our memory.
constexpr qint64 kFloodQueueBytes = 256 * 1024;
constexpr qsizetype kMaxRequestBytes = 16 * 1024;
constexpr qsizetype kMaxMessageBytes = 1 << 20;

} // namespace

QByteArray ServerText(const QString &Text) {
    return ws::EncodeFrame(ws::TOpcode::Text, Text.toUtf8(), std::nullopt);
}

TScriptedWsServer::TScriptedWsServer(QObject *Parent) : QObject(Parent) {
    QObject::connect(&FServer, &QTcpServer::newConnection, this, [this] { Accept(); });
}

TScriptedWsServer::~TScriptedWsServer() {
    for (auto &peer : FPeers)
        if (peer->Socket) {
            QObject::disconnect(peer->Socket, nullptr, this, nullptr);
            peer->Socket->abort();
        }
}

bool TScriptedWsServer::Listen() {
    return FServer.listen(QHostAddress::LocalHost, 0);
}

void TScriptedWsServer::Accept() {
    while (QTcpSocket *socket = FServer.nextPendingConnection()) {
        auto peer = std::make_unique<TPeer>();
        peer->Number = ++FConnections;
        peer->Socket = socket;
        socket->setParent(this);
        TPeer *p = peer.get();
        FPeers.push_back(std::move(peer));
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, p] { Read(*p); });
        QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this, p] { Pump(*p); });
        QObject::connect(socket, &QTcpSocket::disconnected, this, [p] { p->Closed = true; });
        QObject::connect(socket, &QTcpSocket::errorOccurred, this, [p](QAbstractSocket::SocketError) {
            p->Closed = true;
        });
    }
}

void TScriptedWsServer::Read(TPeer &Peer) {
    if (!Peer.Socket)
        return;
    if (Peer.Upgraded) {
        if (!Peer.Deaf)
            Frames(Peer);
        return;
    }
    Peer.Request += Peer.Socket->readAll();
    const qsizetype end = Peer.Request.indexOf("\r\n\r\n");
    if (end < 0) {
        if (Peer.Request.size() > kMaxRequestBytes)
            Drop(Peer);
        return;
    }
    QByteArray key;
    for (const QByteArray &line : Peer.Request.left(end).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "sec-websocket-key")
            key = line.mid(colon + 1).trimmed();
    }
    const QByteArray rest = Peer.Request.mid(end + 4);
    Peer.Request.truncate(end);
    Peer.Upgraded = true;
    Peer.Reader = std::make_unique<ws::TFrameReader>(ws::TFrameReader::TFrom::Client, kMaxMessageBytes);
    Peer.Reader->Feed(rest);
    Answer(Peer, key);
}

void TScriptedWsServer::Answer(TPeer &Peer, const QByteArray &Key) {
    switch (Upgrade) {
    case TUpgrade::Silent:
        return;
    case TUpgrade::WrongAccept:
        SendRaw(Peer, ws::BuildUpgradeAnswer(ws::NewKey()));
        return;
    case TUpgrade::EndlessHeader:
        SendRaw(Peer, "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n");
        StartFlood(Peer, [] { return QByteArray("X-Pad: ") + QByteArray(1000, 'x') + "\r\n"; });
        return;
    case TUpgrade::EndlessStatus:
        SendRaw(Peer, "HTTP/1.1 101 ");
        StartFlood(Peer, [] { return QByteArray(1024, 'S'); });
        return;
    case TUpgrade::Answer:
        break;
    }
    SendRaw(Peer, ws::BuildUpgradeAnswer(Key));
    if (!Welcome && OnReady)
        OnReady(Peer);
    Frames(Peer);
}

void TScriptedWsServer::Frames(TPeer &Peer) {
    if (!Peer.Socket || !Peer.Reader || Peer.Deaf)
        return;
    Peer.Reader->Feed(Peer.Socket->readAll());
    while (auto message = Peer.Reader->Next()) {
        switch (message->Op) {
        case ws::TOpcode::Text:
            if (!Peer.Welcomed && Welcome && message->Text.startsWith(QStringLiteral("hello;"))) {
                Peer.Welcomed = true;
                SendText(Peer, QStringLiteral("welcome;%1;").arg(Peer.Number));
                if (OnReady)
                    OnReady(Peer);
                break;
            }
            Peer.Got << message->Text;
            if (OnText)
                OnText(Peer, message->Text);
            break;
        case ws::TOpcode::Ping:
            SendRaw(Peer, ws::EncodeFrame(ws::TOpcode::Pong, message->Payload, std::nullopt));
            break;
        case ws::TOpcode::Pong:
            ++Peer.Pongs;
            break;
        case ws::TOpcode::Close:
            Peer.Closed = true;
            if (Peer.Socket)
                Peer.Socket->disconnectFromHost();
            return;
        default:
            break;
        }
        if (!Peer.Socket || Peer.Deaf)
            return;
    }
    if (Peer.Reader->ErrorCode() != 0)
        Drop(Peer);
}

void TScriptedWsServer::SendText(TPeer &Peer, const QString &Text) {
    SendRaw(Peer, ServerText(Text));
}

void TScriptedWsServer::SendRaw(TPeer &Peer, const QByteArray &Bytes) {
    if (!Peer.Socket || Peer.Socket->state() != QAbstractSocket::ConnectedState)
        return;
    Peer.Sent += quint64(Bytes.size());
    Peer.Socket->write(Bytes);
}

void TScriptedWsServer::StartFlood(TPeer &Peer, std::function<QByteArray()> Next) {
    Peer.Flood = std::move(Next);
    Pump(Peer);
}

void TScriptedWsServer::Pump(TPeer &Peer) {
    while (Peer.Flood && Peer.Socket && Peer.Socket->state() == QAbstractSocket::ConnectedState &&
           Peer.Socket->bytesToWrite() < kFloodQueueBytes) {
        const QByteArray frame = Peer.Flood();
        if (frame.isEmpty()) {
            Peer.Flood = nullptr;
            break;
        }
        SendRaw(Peer, frame);
    }
}

void TScriptedWsServer::Close(TPeer &Peer, std::uint16_t Code) {
    SendRaw(Peer, ws::EncodeFrame(ws::TOpcode::Close, ws::ClosePayload(Code), std::nullopt));
    if (Peer.Socket)
        Peer.Socket->disconnectFromHost();
}

void TScriptedWsServer::StopReading(TPeer &Peer) {
    Peer.Deaf = true;
    // Qt's own buffer would read on for us: one byte, and the kernel's buffers fill up.
    if (Peer.Socket)
        Peer.Socket->setReadBufferSize(1);
}

void TScriptedWsServer::Drop(TPeer &Peer) {
    Peer.Flood = nullptr;
    if (Peer.Socket)
        Peer.Socket->abort();
    Peer.Closed = true;
}

} // namespace trelvo::hostile
