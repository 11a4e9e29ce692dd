// The host's link to a game server against a server that breaks the rules: every stage has a deadline,
// what the server sends is bounded, and a broken session is tried again with growing waits.
#include "ScriptedWsServer.h"
#include "SpinUntil.h"

#include "host/NetGameServer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace trelvo;
using trelvo::hostile::TScriptedWsServer;
using trelvo::test::SpinUntil;
namespace ws = trelvo::host::ws;

namespace {

class NetLinkTest : public testing::Test {
protected:
    NetLinkTest() {
        EXPECT_TRUE(Server.Listen());
        Remote = std::make_unique<host::TNetGameServer>(Clock, QUrl(Server.Url()));
        Remote->OnSend = [this](host::IGameServer::TConnId, const QString &Text) { Got << Text; };
        Remote->OnStatus = [this](bool, const QString &Text) { Status << Text; };
    }
    // Moves the clock a second at a time, letting the sockets work in between, until Done holds.
    bool AdvanceUntil(const std::function<bool()> &Done, int Seconds = 40) {
        for (int s = 0; s < Seconds && !Done(); ++s) {
            Clock.Advance(1000);
            SpinUntil(Done, 100);
        }
        return Done();
    }
    bool Retrying() const { return !Status.isEmpty() && Status.last().contains(QStringLiteral("Новая попытка")); }

    TManualClock Clock;
    TClockScope Scope{Clock};
    TScriptedWsServer Server;
    std::unique_ptr<host::TNetGameServer> Remote;
    QStringList Got, Status;
};

// A server that takes the connection and then answers nothing, or not as a WebSocket server must, is
// given up after the stage's deadline and tried again.
TEST_F(NetLinkTest, EveryStageHasADeadlineAndIsTriedAgain) {
    struct Case {
        const char *name;
        TScriptedWsServer::TUpgrade upgrade;
        bool welcome;
    };
    const Case cases[] = {{"never answers the upgrade", TScriptedWsServer::TUpgrade::Silent, true},
                          {"answers the upgrade with a wrong accept", TScriptedWsServer::TUpgrade::WrongAccept, true},
                          {"never says welcome", TScriptedWsServer::TUpgrade::Answer, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Server.Upgrade = c.upgrade;
        Server.Welcome = c.welcome;
        const int before = Server.Connections();
        const auto conn = Remote->Connect(QStringLiteral("Ann"));
        ASSERT_TRUE(SpinUntil([&] { return Server.Connections() == before + 1; }));
        EXPECT_TRUE(AdvanceUntil([&] { return Server.Connections() >= before + 2; }))
            << Status.join(u'\n').toStdString();
        EXPECT_FALSE(Remote->Online());
        EXPECT_TRUE(Status.filter(QStringLiteral("Новая попытка")).size() > 0) << Status.join(u'\n').toStdString();
        Remote->Disconnect(conn);
        Status.clear();
    }
}

// Garbage in place of the welcome is a server that does not speak our session, not an old Trelvo.
TEST_F(NetLinkTest, GarbageInsteadOfTheWelcomeIsToldAsSuchAndTriedAgain) {
    Server.Welcome = false;
    Server.OnText = [this](TScriptedWsServer::TPeer &Peer, const QString &) {
        Server.SendText(Peer, QStringLiteral("garbage!!"));
    };
    Remote->Connect(QStringLiteral("Ann"));
    ASSERT_TRUE(SpinUntil([&] { return Retrying(); })) << Status.join(u'\n').toStdString();
    EXPECT_FALSE(Status.last().contains(QStringLiteral("обновите"))) << Status.last().toStdString();
    EXPECT_TRUE(Status.last().contains(QStringLiteral("не так, как"))) << Status.last().toStdString();
    EXPECT_TRUE(AdvanceUntil([&] { return Server.Connections() >= 2; }));
    EXPECT_TRUE(Got.isEmpty());
}

// A server that welcomes and closes at once is waited for longer each time: only a session that
// lasted starts the waits again from the first.
TEST_F(NetLinkTest, AWelcomeClosedAtOnceDoesNotStartTheWaitsAgain) {
    Server.OnReady = [this](TScriptedWsServer::TPeer &Peer) { Server.Close(Peer); };
    Remote->Connect(QStringLiteral("Ann"));
    for (int seconds : {1, 2, 4, 8}) {
        const QString wait = QStringLiteral("через %1 с").arg(seconds);
        ASSERT_TRUE(SpinUntil([&] { return Retrying() && Status.last().contains(wait); }))
            << seconds << ": " << Status.join(u'\n').toStdString();
        const int connections = Server.Connections();
        // The last try finds a server that keeps the session.
        if (seconds == 8)
            Server.OnReady = nullptr;
        Clock.Advance(seconds * 1000);
        ASSERT_TRUE(SpinUntil([&] { return Server.Connections() > connections; }));
    }

    // A session that lasts: the next wait is the first again.
    ASSERT_TRUE(SpinUntil([&] { return Remote->Online(); }));
    Clock.Advance(host::TNetGameServer::kLastingSessionMs);
    Server.Close(*Server.Last());
    ASSERT_TRUE(SpinUntil([&] { return Retrying(); }));
    EXPECT_TRUE(Status.last().contains(QStringLiteral("через 1 с"))) << Status.last().toStdString();
}

// Header lines or a status line without end are cut off at the handshake's bound: the link is dropped
// long before the server is done sending.
TEST_F(NetLinkTest, AnEndlessHandshakeIsCutOff) {
    for (auto upgrade : {TScriptedWsServer::TUpgrade::EndlessHeader, TScriptedWsServer::TUpgrade::EndlessStatus}) {
        SCOPED_TRACE(static_cast<int>(upgrade));
        Server.Upgrade = upgrade;
        Status.clear();
        const int before = Server.Connections();
        const auto conn = Remote->Connect(QStringLiteral("Ann"));
        ASSERT_TRUE(SpinUntil([&] { return Server.Connections() > before && Server.Last()->Sent > 0; }));
        EXPECT_TRUE(SpinUntil([&] { return Retrying(); }, 20000)) << Status.join(u'\n').toStdString();
        EXPECT_FALSE(Remote->Online());
        Remote->Disconnect(conn);
    }
}

// A server that pings and never reads the answers: the host keeps a bounded queue for it and then lets
// it go, instead of growing by the pongs.
TEST_F(NetLinkTest, AServerThatNeverReadsItsPongsIsLetGo) {
    Server.OnReady = [this](TScriptedWsServer::TPeer &Peer) {
        Server.StopReading(Peer);
        std::uint64_t sent = 0;
        Server.StartFlood(Peer, [sent]() mutable {
            // A bound of our own, should the host take it all: 256 MiB of pings.
            if ((sent += 127) > (256u << 20))
                return QByteArray();
            return ws::EncodeFrame(ws::TOpcode::Ping, QByteArray(125, 'p'), std::nullopt);
        });
    };
    Remote->Connect(QStringLiteral("Ann"));
    ASSERT_TRUE(SpinUntil([&] { return Remote->Online(); }));
    EXPECT_TRUE(SpinUntil([&] { return Retrying(); }, 60000)) << Status.join(u'\n').toStdString();
    EXPECT_FALSE(Remote->Online());
}

// Frames a server must never send end the link: a masked one, a binary one, one over the bound. A long
// message within the bound (the table list of a big lobby) is taken.
TEST_F(NetLinkTest, FramesAServerMustNotSendEndTheLinkAndLongOnesWithinTheBoundAreTaken) {
    QString bigList = QStringLiteral("2;6000;3000;3000;6000;6000;");
    while (bigList.size() < 76917)
        bigList += QStringLiteral("%1;1;1;0;0;").arg(bigList.size());
    struct Case {
        const char *name;
        QByteArray frame;
        QString delivered; // empty: the link ends
    };
    const Case cases[] = {
        {"a table list of 77 kB", hostile::ServerText(bigList), bigList},
        {"a masked frame", ws::EncodeFrame(ws::TOpcode::Text, "3;12", 0x11223344u), {}},
        {"a binary frame", ws::EncodeFrame(ws::TOpcode::Binary, "3;12", std::nullopt), {}},
        {"a message over the bound",
         hostile::ServerText(QStringLiteral("2;") + QString(host::TNetGameServer::kMaxMessageBytes, u'7')), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Server.OnReady = [&](TScriptedWsServer::TPeer &Peer) {
            Server.SendRaw(Peer, c.frame);
            Server.SendText(Peer, QStringLiteral("7;0;"));
        };
        Got.clear();
        Status.clear();
        const auto conn = Remote->Connect(QStringLiteral("Ann"));
        if (!c.delivered.isEmpty()) {
            ASSERT_TRUE(SpinUntil([&] { return Got.contains(QStringLiteral("7;0;")); }));
            EXPECT_EQ(Got.first(), c.delivered);
            EXPECT_TRUE(Remote->Online());
        } else {
            EXPECT_TRUE(SpinUntil([&] { return Retrying(); })) << Status.join(u'\n').toStdString();
            EXPECT_TRUE(Got.isEmpty()) << Got.join(u'\n').left(200).toStdString();
        }
        Remote->Disconnect(conn);
    }
}

} // namespace
