#pragma once

#include "host/WsFrames.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace trelvo::hostile {

// A game server on loopback that can be told to break every rule a server may break: answer the
// upgrade wrongly or never, send header lines without end, send masked or endless frames, flood, never
// read. By default it behaves: it upgrades, welcomes every hello and records what it is sent. The tests
// of the host's link and the hostile run of the host (trelvo-hostile-server) play it.
class TScriptedWsServer : public QObject {
public:
    // How a connection's upgrade request is answered.
    enum class TUpgrade {
        Answer,          // 101 with the right accept value
        Silent,          // nothing at all
        WrongAccept,     // 101 with an accept value for another key
        EndlessHeader,   // 101, then header lines that never end
        EndlessStatus,   // a status line that never ends
    };

    struct TPeer {
        int Number = 0;
        QPointer<QTcpSocket> Socket;
        QByteArray Request;
        bool Upgraded = false;
        bool Welcomed = false;
        std::unique_ptr<host::ws::TFrameReader> Reader;
        QStringList Got;  // text messages after the hello
        int Pongs = 0;
        bool Closed = false;
        bool Deaf = false; // reads nothing any more
        // Made on demand by a flood: the next frame to send, or empty when it is over.
        std::function<QByteArray()> Flood;
        std::uint64_t Sent = 0;
    };

    explicit TScriptedWsServer(QObject *Parent = nullptr);
    ~TScriptedWsServer() override;

    bool Listen();
    quint16 Port() const { return FServer.serverPort(); }
    QString Url() const { return QStringLiteral("ws://127.0.0.1:%1").arg(Port()); }

    // For the connections that come from now on.
    TUpgrade Upgrade = TUpgrade::Answer;
    bool Welcome = true;      // answer a hello with welcome;N;
    // A connection has been upgraded (Welcome: and welcomed).
    std::function<void(TPeer &Peer)> OnReady;
    std::function<void(TPeer &Peer, const QString &Text)> OnText;

    void SendText(TPeer &Peer, const QString &Text);
    void SendRaw(TPeer &Peer, const QByteArray &Bytes);
    // Sends what Next makes, as fast as the peer takes it, until Next gives an empty frame.
    void StartFlood(TPeer &Peer, std::function<QByteArray()> Next);
    void Close(TPeer &Peer, std::uint16_t Code = host::ws::kCloseNormal);
    // Reads nothing more from Peer: what it sends stays in its own buffers.
    void StopReading(TPeer &Peer);
    void Drop(TPeer &Peer);

    int Connections() const { return FConnections; }
    TPeer *Last() { return FPeers.empty() ? nullptr : FPeers.back().get(); }
    const std::vector<std::unique_ptr<TPeer>> &Peers() const { return FPeers; }

private:
    void Accept();
    void Read(TPeer &Peer);
    void Answer(TPeer &Peer, const QByteArray &Key);
    void Frames(TPeer &Peer);
    void Pump(TPeer &Peer);

    QTcpServer FServer;
    std::vector<std::unique_ptr<TPeer>> FPeers;
    int FConnections = 0;
};

// A frame of the server's, unmasked.
QByteArray ServerText(const QString &Text);

} // namespace trelvo::hostile
