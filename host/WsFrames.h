#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>
#include <utility>

// The WebSocket wire (RFC 6455) as pure functions and readers that take bytes as they arrive: the
// opening handshake of a client, frames of both directions, and the limits a peer's bytes are held to.
// The host's link to a game server speaks it on a plain socket; tests and the hostile run play the
// server with the same code.
namespace trelvo::host::ws {

// The server's answer to the upgrade, status line and header lines together.
inline constexpr qsizetype kMaxHandshakeBytes = 16 * 1024;

enum class TOpcode : std::uint8_t { Continuation = 0, Text = 1, Binary = 2, Close = 8, Ping = 9, Pong = 10 };

// Close codes.
inline constexpr std::uint16_t kCloseNormal = 1000;
inline constexpr std::uint16_t kCloseGoingAway = 1001;
inline constexpr std::uint16_t kCloseProtocol = 1002;
inline constexpr std::uint16_t kCloseUnsupported = 1003;
inline constexpr std::uint16_t kCloseBadData = 1007;
inline constexpr std::uint16_t kClosePolicy = 1008;
inline constexpr std::uint16_t kCloseTooBig = 1009;

// A fresh Sec-WebSocket-Key: 16 random bytes in base64.
QByteArray NewKey();
// The Sec-WebSocket-Accept a server owes for Key.
QByteArray AcceptFor(QByteArrayView Key);
QByteArray BuildUpgradeRequest(const QUrl &Url, QByteArrayView Key);
// A server's 101 answer to a request with Key (for test peers).
QByteArray BuildUpgradeAnswer(QByteArrayView Key);

// The server's answer to the upgrade, read as it arrives: held to kMaxHandshakeBytes, and it must
// switch protocols with the accept value owed for the key.
class THandshakeReader {
public:
    enum class TState { More, Done, Failed };

    explicit THandshakeReader(QByteArray Key) : FKey(std::move(Key)) {}
    TState Feed(QByteArrayView Bytes);
    TState State() const { return FState; }
    // Why it failed, for the log.
    const QString &Error() const { return FError; }
    // The bytes after the header once Done: the first frames.
    QByteArray TakeRest() { return std::exchange(FBuffer, {}); }

private:
    TState Fail(const QString &Why);
    TState Check(QByteArrayView Header);

    QByteArray FKey;
    QByteArray FBuffer;
    TState FState = TState::More;
    QString FError;
};

// One frame as it goes out; Mask is set for a client's frames and left empty for a server's.
QByteArray EncodeFrame(TOpcode Op, QByteArrayView Payload, std::optional<std::uint32_t> Mask, bool Fin = true);
// A close frame's payload: the code and a short reason.
QByteArray ClosePayload(std::uint16_t Code, QByteArrayView Reason = {});

// A whole message or control frame as it came in.
struct TMessage {
    TOpcode Op = TOpcode::Text;
    QByteArray Payload; // of binary messages and control frames
    QString Text;       // of text messages
};

// Frames of one direction as bytes arrive, out as whole messages. The frames a server sends must not
// be masked and the ones a client sends must be; no extension is ever agreed, so reserved bits are
// errors; a message over MaxMessage bytes is refused as soon as a frame header announces it, before its
// bytes arrive. After an error the reader gives nothing more.
class TFrameReader {
public:
    enum class TFrom { Server, Client };

    TFrameReader(TFrom From, qsizetype MaxMessage) : FFrom(From), FMaxMessage(MaxMessage) {}
    void Feed(QByteArrayView Bytes);
    // The next message; nullopt when more bytes are needed or after an error.
    std::optional<TMessage> Next();
    // The close code owed for a broken stream, 0 while it is sound.
    std::uint16_t ErrorCode() const { return FErrorCode; }
    const QString &Error() const { return FError; }
    // Bytes taken but not yet read out as messages.
    qsizetype Buffered() const { return FBuffer.size() - FPos + FMessage.size(); }

private:
    std::optional<TMessage> Fail(std::uint16_t Code, const QString &Why);

    TFrom FFrom;
    qsizetype FMaxMessage;
    QByteArray FBuffer;
    qsizetype FPos = 0;
    // A fragmented message being put together.
    bool FInMessage = false;
    TOpcode FMessageOp = TOpcode::Text;
    QByteArray FMessage;
    std::uint16_t FErrorCode = 0;
    QString FError;
};

} // namespace trelvo::host::ws
