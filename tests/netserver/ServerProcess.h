#pragma once

#include "NetTestSupport.h"
#include "SpawnedProcess.h"
#include "SpinUntil.h"

#include "protocol/Session.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace trelvo::net::test {

// Generous: the machine may be busy, and a game starts only after the waiting room's ten-second countdown.
constexpr int kProcessDeadlineMs = 60000;

// trelvo-server as a separate program, started with the given command line; Port() is the one it
// says it listens on (tests pass --listen 127.0.0.1:0).
class TServerProcess {
public:
    TServerProcess(const QString &Program, const QStringList &Arguments) : Process(Program, Arguments) {}

    // True once the server says where it listens; false when it ends first (Log() says why).
    bool WaitListening() {
        const QRegularExpression listening(QStringLiteral("listening on ws://127\\.0\\.0\\.1:([0-9]+)"));
        return trelvo::test::SpinUntil(
                   [&] {
                       const auto match = listening.match(Log());
                       FPort = match.hasMatch() ? static_cast<quint16>(match.captured(1).toInt()) : 0;
                       return FPort != 0 || !Process.Running();
                   },
                   kProcessDeadlineMs) &&
               FPort != 0;
    }
    quint16 Port() const { return FPort; }
    const QString &Log() {
        FLog += QString::fromLocal8Bit(Process.ReadStandardError());
        return FLog;
    }

    trelvo::test::TSpawnedProcess Process;

private:
    quint16 FPort = 0;
    QString FLog;
};

// The first frame that begins with Prefix, or an empty string.
inline QString FrameStarting(const TWsPeer &Peer, const QString &Prefix) {
    for (const QString &frame : Peer.Got)
        if (frame.startsWith(Prefix))
            return frame;
    return {};
}

// Two people log in; the first opens a table, the second sits down, both say they are ready, and the
// game is dealt after the countdown. True when both have the deal.
inline bool SitDownAndPlay(TWsPeer &Ann, TWsPeer &Bob) {
    using trelvo::test::SpinUntil;
    if (!Ann.LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})) ||
        !Bob.LogIn(BuildHello({kProtocolVersion, QStringLiteral("Bob")})))
        return false;
    Ann.Socket.sendTextMessage(QStringLiteral("3;0;0;0;"));
    if (!SpinUntil([&] { return !FrameStarting(Ann, QStringLiteral("3;")).isEmpty(); }))
        return false;
    const QString table = FrameStarting(Ann, QStringLiteral("3;")).mid(2);
    Bob.Socket.sendTextMessage(QStringLiteral("5;%1").arg(table));
    if (!SpinUntil([&] { return Bob.Got.last().startsWith(QStringLiteral("6;")); }))
        return false;
    for (TWsPeer *peer : {&Ann, &Bob})
        peer->Socket.sendTextMessage(QStringLiteral("8;%1;1;").arg(table));
    return SpinUntil(
        [&] {
            return !FrameStarting(Ann, QStringLiteral("9;")).isEmpty() &&
                   !FrameStarting(Bob, QStringLiteral("9;")).isEmpty();
        },
        kProcessDeadlineMs);
}

} // namespace trelvo::net::test
