#include "host/WsClient.h"

#include <QMetaObject>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTcpSocket>

namespace trelvo::host {

namespace {

// Read at a time, and all that Qt buffers for us: the rest stays in the kernel until we get to it.
constexpr qint64 kReadChunk = 64 * 1024;
// Messages handled in one turn of the event loop; a flood leaves room for the window and the timers.
constexpr int kMessagesPerTurn = 64;

} // namespace

TWsClient::TWsClient(qsizetype MaxMessageBytes)
    : FMaxMessage(MaxMessageBytes), FMasks(QRandomGenerator::securelySeeded()) {}

TWsClient::~TWsClient() {
    if (FSocket) {
        QObject::disconnect(FSocket.get(), nullptr, this, nullptr);
        FSocket->abort();
    }
}

void TWsClient::Open(const QUrl &Url) {
    FUrl = Url;
    const bool tls = Url.scheme() == QStringLiteral("wss");
    if (tls) {
        auto *socket = new QSslSocket;
        FSocket.reset(socket);
        QObject::connect(socket, &QSslSocket::encrypted, this, [this] { Connected(); });
        QObject::connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &Errors) {
            if (auto handler = OnSslErrors)
                handler(Errors);
        });
    } else {
        FSocket = std::make_unique<QTcpSocket>();
        QObject::connect(FSocket.get(), &QTcpSocket::connected, this, [this] { Connected(); });
    }
    FSocket->setReadBufferSize(kReadChunk);
    QObject::connect(FSocket.get(), &QTcpSocket::readyRead, this, [this] { Pump(); });
    QObject::connect(FSocket.get(), &QTcpSocket::disconnected, this,
                     [this] { Finish(QStringLiteral("the server closed the connection")); });
    QObject::connect(FSocket.get(), &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (FSocket->state() == QAbstractSocket::UnconnectedState)
            Finish(FSocket->errorString());
    });
    FState = TState::Connecting;
    if (tls)
        static_cast<QSslSocket *>(FSocket.get())->connectToHostEncrypted(Url.host(), quint16(Url.port(443)));
    else
        FSocket->connectToHost(Url.host(), quint16(Url.port(80)));
}

void TWsClient::Connected() {
    FState = TState::Upgrading;
    const QByteArray key = ws::NewKey();
    FHandshake = std::make_unique<ws::THandshakeReader>(key);
    FSocket->write(ws::BuildUpgradeRequest(FUrl, key));
    Pump();
}

void TWsClient::Pump() {
    FPumpQueued = false;
    int handled = 0;
    while (FState == TState::Upgrading || FState == TState::Open) {
        if (FState == TState::Open) {
            if (auto message = FReader->Next()) {
                if (!Handle(*message))
                    return;
                if (++handled < kMessagesPerTurn)
                    continue;
                if (!FPumpQueued) {
                    FPumpQueued = true;
                    QMetaObject::invokeMethod(this, [this] { Pump(); }, Qt::QueuedConnection);
                }
                return;
            }
            if (FReader->ErrorCode() != 0)
                return Fail(FReader->ErrorCode(), QStringLiteral("the server sent %1").arg(FReader->Error()));
        }
        const QByteArray bytes = FSocket->read(kReadChunk);
        if (bytes.isEmpty())
            return;
        if (FState == TState::Open) {
            FReader->Feed(bytes);
            continue;
        }
        switch (FHandshake->Feed(bytes)) {
        case ws::THandshakeReader::TState::More:
            break;
        case ws::THandshakeReader::TState::Failed:
            return Finish(QStringLiteral("the server is no WebSocket server: %1").arg(FHandshake->Error()));
        case ws::THandshakeReader::TState::Done:
            FState = TState::Open;
            FReader = std::make_unique<ws::TFrameReader>(ws::TFrameReader::TFrom::Server, FMaxMessage);
            FReader->Feed(FHandshake->TakeRest());
            FHandshake.reset();
            if (auto handler = OnOpened)
                handler();
            break;
        }
    }
}

bool TWsClient::Handle(ws::TMessage &Message) {
    switch (Message.Op) {
    case ws::TOpcode::Text:
        if (auto handler = OnText)
            handler(Message.Text);
        break;
    case ws::TOpcode::Ping:
        Write(ws::TOpcode::Pong, Message.Payload);
        break;
    case ws::TOpcode::Pong:
        break;
    case ws::TOpcode::Close: {
        const int code = Message.Payload.size() >= 2
                             ? (quint8(Message.Payload[0]) << 8) | quint8(Message.Payload[1])
                             : ws::kCloseNormal;
        FCloseCode = code;
        Write(ws::TOpcode::Close, ws::ClosePayload(ws::kCloseNormal));
        FCloseSent = true;
        Finish(QStringLiteral("the server closed the connection (%1)").arg(code));
        return false;
    }
    default:
        Fail(ws::kCloseUnsupported, QStringLiteral("the server sent a binary message"));
        return false;
    }
    return FState == TState::Open;
}

bool TWsClient::SendText(const QString &Text) {
    return Write(ws::TOpcode::Text, Text.toUtf8());
}

bool TWsClient::Write(ws::TOpcode Op, QByteArrayView Payload) {
    if (FState != TState::Open || FCloseSent)
        return false;
    if (FSocket->bytesToWrite() + Payload.size() > kMaxUnsentBytes) {
        Fail(ws::kClosePolicy, QStringLiteral("the server reads nothing: over %1 bytes wait unsent").arg(kMaxUnsentBytes));
        return false;
    }
    FSocket->write(ws::EncodeFrame(Op, Payload, FMasks.generate()));
    return true;
}

void TWsClient::Close() {
    if (FState == TState::Closed || FState == TState::Idle)
        return;
    Write(ws::TOpcode::Close, ws::ClosePayload(ws::kCloseNormal));
    FCloseSent = true;
    FState = TState::Closed;
    QObject::disconnect(FSocket.get(), nullptr, this, nullptr);
    FSocket->disconnectFromHost();
}

void TWsClient::Fail(std::uint16_t Code, const QString &Why) {
    if (FState == TState::Open && !FCloseSent && FSocket->bytesToWrite() < kMaxUnsentBytes) {
        FSocket->write(ws::EncodeFrame(ws::TOpcode::Close, ws::ClosePayload(Code), FMasks.generate()));
        FCloseSent = true;
    }
    Finish(Why);
}

void TWsClient::Finish(const QString &Why) {
    if (FState == TState::Closed)
        return;
    FState = TState::Closed;
    QObject::disconnect(FSocket.get(), nullptr, this, nullptr);
    // A last close frame goes out if the server reads; one that does not is not waited for.
    if (FSocket->bytesToWrite() > 0 && FSocket->bytesToWrite() < kMaxUnsentBytes)
        FSocket->disconnectFromHost();
    else
        FSocket->abort();
    if (auto handler = OnClosed)
        handler(Why);
}

} // namespace trelvo::host
