#pragma once

#include "host/GameServerPort.h"

#include <QString>
#include <QStringList>

namespace trelvo::test {

// A game server that answers the login with a fixed version check and records everything else; the
// test speaks for it with Send.
class TScriptedServer : public host::IGameServer {
public:
    // Sent to each player who logs in; empty sends nothing.
    QString LoginAnswer = QStringLiteral("1;1;4711;p1;");

    TConnId Connect(const QString &PlayerName) override {
        Players << PlayerName;
        const TConnId conn = FNext++;
        Online = conn;
        if (!LoginAnswer.isEmpty() && OnSend)
            OnSend(conn, LoginAnswer);
        return conn;
    }
    void Receive(TConnId Conn, const QString &Message) override {
        Received << QStringLiteral("%1:%2").arg(Conn).arg(Message);
    }
    void Disconnect(TConnId Conn) override {
        Disconnected << Conn;
        if (Conn == Online)
            Online = -1;
    }
    void Send(const QString &Message, TConnId Conn = -2) {
        if (OnSend)
            OnSend(Conn == -2 ? Online : Conn, Message);
    }

    QStringList Players;
    QStringList Received;
    QList<TConnId> Disconnected;
    TConnId Online = -1;

private:
    TConnId FNext = 1;
};

} // namespace trelvo::test
