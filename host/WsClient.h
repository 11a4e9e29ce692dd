#pragma once

#include "host/WsFrames.h"

#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QSslError>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>

class QTcpSocket;

namespace trelvo::host {

// The client end of a WebSocket (ws:// or wss://) on a plain socket, held to bounds a server cannot
// stretch: the answer to the upgrade, each message, and what waits unsent for a server that does not
// read. It pongs every ping and takes text messages only. Whatever ends the connection (the server's
// close, a broken rule, a lost socket) is told once through OnClosed, with the reason for the log; an
// untrusted certificate is told through OnSslErrors first. Handlers run on the creating thread's loop
// and may close or abandon the client (deleteLater) but not delete it.
class TWsClient : public QObject {
public:
    // The longest message taken; a longer one ends the connection (close 1009).
    static constexpr qsizetype kDefaultMaxMessageBytes = 1024 * 1024;
    // What may wait unsent for a server that does not read, before it is let go.
    static constexpr qint64 kMaxUnsentBytes = 1024 * 1024;

    explicit TWsClient(qsizetype MaxMessageBytes = kDefaultMaxMessageBytes);
    ~TWsClient() override;

    void Open(const QUrl &Url);
    // False when the connection is not open, or when the server has let too much wait unsent: then it
    // is closed.
    bool SendText(const QString &Text);
    // Says goodbye and closes; OnClosed is not told of a close asked for here.
    void Close();
    bool IsOpen() const { return FState == TState::Open; }
    // The code of the server's close frame (1000 without one); 0 while it has sent none.
    int CloseCode() const { return FCloseCode; }

    std::function<void()> OnOpened;
    std::function<void(const QString &Text)> OnText;
    std::function<void(const QString &Why)> OnClosed;
    std::function<void(const QList<QSslError> &Errors)> OnSslErrors;

private:
    enum class TState { Idle, Connecting, Upgrading, Open, Closed };

    void Connected();
    void Pump();
    bool Handle(ws::TMessage &Message);
    bool Write(ws::TOpcode Op, QByteArrayView Payload);
    void Fail(std::uint16_t Code, const QString &Why);
    void Finish(const QString &Why);

    qsizetype FMaxMessage;
    std::unique_ptr<QTcpSocket> FSocket;
    TState FState = TState::Idle;
    QUrl FUrl;
    QByteArray FKey;
    std::unique_ptr<ws::THandshakeReader> FHandshake;
    std::unique_ptr<ws::TFrameReader> FReader;
    QRandomGenerator FMasks;
    bool FPumpQueued = false;
    bool FCloseSent = false;
    int FCloseCode = 0;
};

} // namespace trelvo::host
