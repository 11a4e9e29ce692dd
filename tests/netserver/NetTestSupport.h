#pragma once

#include "SpinUntil.h"

#include <QByteArray>
#include <QSslError>
#include <QStringList>
#include <QUrl>
#include <QWebSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace trelvo::net::test {

// A well-behaved peer: a Qt WebSocket that keeps every frame it is sent.
class TWsPeer {
public:
    // Port 0: the caller opens the socket.
    explicit TWsPeer(quint16 Port) {
        QObject::connect(&Socket, &QWebSocket::textMessageReceived,
                         [this](const QString &Text) { Got << Text; });
        QObject::connect(&Socket, &QWebSocket::disconnected, [this] { Closed = true; });
        if (Port != 0)
            Socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(Port)));
    }
    bool WaitOpen(int TimeoutMs = 5000) {
        return trelvo::test::SpinUntil([this] { return Socket.state() == QAbstractSocket::ConnectedState; },
                                       TimeoutMs);
    }
    bool WaitFrames(int Count) {
        return trelvo::test::SpinUntil([this, Count] { return Got.size() >= Count; });
    }
    bool WaitClosed() {
        return trelvo::test::SpinUntil([this] { return Closed; });
    }
    // Opens, says hello and waits for the answer; true when welcomed.
    bool LogIn(const QString &Hello) {
        if (!WaitOpen())
            return false;
        Socket.sendTextMessage(Hello);
        return WaitFrames(1) && Got.first().startsWith(QStringLiteral("welcome;"));
    }

    QWebSocket Socket;
    QStringList Got;
    bool Closed = false;
};

// A peer on a bare socket with a tiny receive buffer that can be told never to read: the upgrade
// request is written by hand, frames are masked with a zero key.
class TRawPeer {
public:
    TRawPeer(quint16 Port, int ReceiveBuffer) {
        FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::setsockopt(FFd, SOL_SOCKET, SO_RCVBUF, &ReceiveBuffer, sizeof ReceiveBuffer);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(Port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(FFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    }
    ~TRawPeer() { ::close(FFd); }

    // The WebSocket upgrade; the server runs on this thread, so the answer is awaited in its loop.
    bool Upgrade() {
        if (!trelvo::test::SpinUntil([this] { return Ready(POLLOUT); }))
            return false;
        const QByteArray request = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                                   "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                   "Sec-WebSocket-Version: 13\r\n\r\n";
        if (::send(FFd, request.constData(), request.size(), MSG_NOSIGNAL) != request.size())
            return false;
        QByteArray answer;
        return trelvo::test::SpinUntil([&] {
                   char buffer[1024];
                   const ssize_t n = ::recv(FFd, buffer, sizeof buffer, 0);
                   if (n > 0)
                       answer.append(buffer, static_cast<int>(n));
                   return answer.contains("\r\n\r\n");
               }) &&
               answer.startsWith("HTTP/1.1 101");
    }

    // One text frame; false when the socket takes no more.
    bool SendText(const QByteArray &Payload) {
        QByteArray frame;
        frame.append(char(0x81));
        if (Payload.size() < 126) {
            frame.append(char(0x80 | Payload.size()));
        } else {
            frame.append(char(0x80 | 126));
            frame.append(char((Payload.size() >> 8) & 0xFF));
            frame.append(char(Payload.size() & 0xFF));
        }
        frame.append(4, '\0'); // the mask key: zero leaves the payload as it is
        frame.append(Payload);
        return ::send(FFd, frame.constData(), frame.size(), MSG_NOSIGNAL) == frame.size();
    }

private:
    bool Ready(short Events) {
        pollfd p{FFd, Events, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & Events);
    }

    int FFd = -1;
};

} // namespace trelvo::net::test
