#include "host/WsFrames.h"

#include <QCryptographicHash>
#include <QList>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace trelvo::host::ws {

namespace {

constexpr QByteArrayView kGuid = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
constexpr QByteArrayView kHeaderEnd = "\r\n\r\n";

// Whether a comma-separated header value holds Token, compared without regard to case.
bool HasToken(QByteArrayView Value, QByteArrayView Token) {
    for (const QByteArray &part : Value.toByteArray().split(','))
        if (part.trimmed().compare(Token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

QByteArray NewKey() {
    std::array<quint32, 4> random{};
    QRandomGenerator::global()->fillRange(random.data(), random.size());
    return QByteArray(reinterpret_cast<const char *>(random.data()), sizeof random).toBase64();
}

QByteArray AcceptFor(QByteArrayView Key) {
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    sha1.addData(Key);
    sha1.addData(kGuid);
    return sha1.result().toBase64();
}

QByteArray BuildUpgradeRequest(const QUrl &Url, QByteArrayView Key) {
    QByteArray path = Url.path(QUrl::FullyEncoded).toUtf8();
    if (path.isEmpty())
        path = "/";
    if (Url.hasQuery())
        path += '?' + Url.query(QUrl::FullyEncoded).toUtf8();
    QByteArray host = Url.host(QUrl::FullyEncoded).toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (Url.port() != -1)
        host += ':' + QByteArray::number(Url.port());
    return "GET " + path + " HTTP/1.1\r\nHost: " + host +
           "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " + Key.toByteArray() +
           "\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

QByteArray BuildUpgradeAnswer(QByteArrayView Key) {
    return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Accept: " +
           AcceptFor(Key) + "\r\n\r\n";
}

THandshakeReader::TState THandshakeReader::Feed(QByteArrayView Bytes) {
    if (FState != TState::More)
        return FState;
    // Only the part that may still hold the end of the header is searched again.
    const qsizetype from = std::max<qsizetype>(0, FBuffer.size() - (kHeaderEnd.size() - 1));
    FBuffer.append(Bytes);
    const qsizetype end = FBuffer.indexOf(kHeaderEnd, from);
    if (end < 0 || end + kHeaderEnd.size() > kMaxHandshakeBytes) {
        if (end >= 0 || FBuffer.size() >= kMaxHandshakeBytes)
            return Fail(QStringLiteral("its answer to the upgrade is over %1 bytes").arg(kMaxHandshakeBytes));
        return FState;
    }
    const QByteArray header = FBuffer.left(end);
    FBuffer.remove(0, end + kHeaderEnd.size());
    return Check(header);
}

THandshakeReader::TState THandshakeReader::Check(QByteArrayView Header) {
    const QList<QByteArray> lines = Header.toByteArray().split('\n');
    const QList<QByteArray> status = lines.first().trimmed().split(' ');
    if (status.size() < 2 || !status[0].startsWith("HTTP/1.1"))
        return Fail(QStringLiteral("its answer to the upgrade is not HTTP/1.1"));
    if (status[1] != "101")
        return Fail(QStringLiteral("it answered the upgrade with status %1")
                        .arg(QString::fromLatin1(status[1].left(3))));
    bool upgrade = false, connection = false, accepted = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return Fail(QStringLiteral("a header line of its answer to the upgrade has no name"));
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "upgrade")
            upgrade = value.compare("websocket", Qt::CaseInsensitive) == 0;
        else if (name == "connection")
            connection = HasToken(value, "upgrade");
        else if (name == "sec-websocket-accept")
            accepted = value == AcceptFor(FKey);
        else if (name == "sec-websocket-extensions" || name == "sec-websocket-protocol")
            return Fail(QStringLiteral("it agreed to an extension or subprotocol nobody asked for"));
    }
    if (!upgrade || !connection)
        return Fail(QStringLiteral("its answer to the upgrade does not switch to WebSocket"));
    if (!accepted)
        return Fail(QStringLiteral("its Sec-WebSocket-Accept does not answer our key"));
    FState = TState::Done;
    return FState;
}

THandshakeReader::TState THandshakeReader::Fail(const QString &Why) {
    FBuffer.clear();
    FError = Why;
    FState = TState::Failed;
    return FState;
}

QByteArray EncodeFrame(TOpcode Op, QByteArrayView Payload, std::optional<std::uint32_t> Mask, bool Fin) {
    QByteArray frame;
    const qsizetype size = Payload.size();
    frame.reserve(14 + size);
    frame.append(char((Fin ? 0x80 : 0) | static_cast<int>(Op)));
    const char masked = Mask ? char(0x80) : char(0);
    if (size < 126) {
        frame.append(char(masked | char(size)));
    } else if (size <= 0xffff) {
        frame.append(char(masked | 126));
        frame.append(char(size >> 8)).append(char(size));
    } else {
        frame.append(char(masked | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.append(char(quint64(size) >> shift));
    }
    if (!Mask)
        return frame.append(Payload);
    const std::array<char, 4> key{char(*Mask >> 24), char(*Mask >> 16), char(*Mask >> 8), char(*Mask)};
    frame.append(key.data(), key.size());
    const qsizetype at = frame.size();
    frame.append(Payload);
    for (qsizetype i = 0; i < size; ++i)
        frame[at + i] = char(frame[at + i] ^ key[i % 4]);
    return frame;
}

QByteArray ClosePayload(std::uint16_t Code, QByteArrayView Reason) {
    QByteArray payload;
    payload.append(char(Code >> 8)).append(char(Code));
    return payload.append(Reason.first(std::min<qsizetype>(Reason.size(), 123)));
}

void TFrameReader::Feed(QByteArrayView Bytes) {
    if (FErrorCode == 0)
        FBuffer.append(Bytes);
}

std::optional<TMessage> TFrameReader::Next() {
    while (FErrorCode == 0) {
        const qsizetype available = FBuffer.size() - FPos;
        if (available < 2)
            break;
        const auto *bytes = reinterpret_cast<const unsigned char *>(FBuffer.constData() + FPos);
        const bool fin = bytes[0] & 0x80;
        const int op = bytes[0] & 0x0f;
        const bool masked = bytes[1] & 0x80;
        const int length7 = bytes[1] & 0x7f;
        if (bytes[0] & 0x70)
            return Fail(kCloseProtocol, QStringLiteral("a frame with reserved bits set"));
        if (FFrom == TFrom::Server && masked)
            return Fail(kCloseProtocol, QStringLiteral("a masked frame from the server"));
        if (FFrom == TFrom::Client && !masked)
            return Fail(kCloseProtocol, QStringLiteral("an unmasked frame from a client"));
        const qsizetype lengthBytes = length7 == 126 ? 2 : length7 == 127 ? 8 : 0;
        const qsizetype header = 2 + lengthBytes + (masked ? 4 : 0);
        if (available < header)
            break;
        quint64 length = static_cast<quint64>(length7);
        if (lengthBytes > 0) {
            length = 0;
            for (qsizetype i = 0; i < lengthBytes; ++i)
                length = (length << 8) | bytes[2 + i];
        }
        const bool control = op >= 8;
        if (control) {
            if (op > static_cast<int>(TOpcode::Pong))
                return Fail(kCloseProtocol, QStringLiteral("a frame of unknown opcode %1").arg(op));
            if (!fin || length > 125)
                return Fail(kCloseProtocol, QStringLiteral("a fragmented or long control frame"));
        } else {
            if (op > static_cast<int>(TOpcode::Binary))
                return Fail(kCloseProtocol, QStringLiteral("a frame of unknown opcode %1").arg(op));
            if ((op == 0) != FInMessage)
                return Fail(kCloseProtocol, QStringLiteral("a fragment out of order"));
            const quint64 message = (op == 0 ? quint64(FMessage.size()) : 0) + length;
            if (length > quint64(FMaxMessage) || message > quint64(FMaxMessage))
                return Fail(kCloseTooBig, QStringLiteral("a message over %1 bytes").arg(FMaxMessage));
        }
        if (quint64(available - header) < length)
            break;
        QByteArray payload = FBuffer.mid(FPos + header, qsizetype(length));
        if (masked) {
            const unsigned char *key = bytes + 2 + lengthBytes;
            for (qsizetype i = 0; i < payload.size(); ++i)
                payload[i] = char(payload[i] ^ key[i % 4]);
        }
        FPos += header + qsizetype(length);
        if (FPos >= FBuffer.size() / 2) {
            FBuffer.remove(0, FPos);
            FPos = 0;
        }
        if (control) {
            if (op == static_cast<int>(TOpcode::Close) && payload.size() == 1)
                return Fail(kCloseProtocol, QStringLiteral("a close frame with half a code"));
            return TMessage{static_cast<TOpcode>(op), std::move(payload), {}};
        }
        if (op != 0) {
            FMessageOp = static_cast<TOpcode>(op);
            FMessage = std::move(payload);
        } else {
            FMessage.append(payload);
        }
        FInMessage = !fin;
        if (FInMessage)
            continue;
        TMessage message{FMessageOp, std::exchange(FMessage, {}), {}};
        if (message.Op == TOpcode::Text) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            message.Text = utf8.decode(message.Payload);
            if (utf8.hasError())
                return Fail(kCloseBadData, QStringLiteral("a text message that is not UTF-8"));
            message.Payload.clear();
        }
        return message;
    }
    return std::nullopt;
}

std::optional<TMessage> TFrameReader::Fail(std::uint16_t Code, const QString &Why) {
    FErrorCode = Code;
    FError = Why;
    FBuffer.clear();
    FMessage.clear();
    FPos = 0;
    return std::nullopt;
}

} // namespace trelvo::host::ws
