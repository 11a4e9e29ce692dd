// The host's network seam: what the player is told about the link, and what becomes of the client when
// the link is lost and comes back.
#include "SpinUntil.h"

#include "host/NetGameServer.h"
#include "host/RatingWindow.h"
#include "netserver/NetServer.h"
#include "netserver/ServerOptions.h"
#include "protocol/Session.h"
#include "protocol/ServerMessages.h"
#include "server/GameServer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <memory>

using namespace trelvo;
using trelvo::test::SpinUntil;

namespace {

class NetGameServerTest : public testing::Test {
protected:
    NetGameServerTest() {
        server::TServerOptions options;
        options.LobbyBotTables = 0;
        options.AutoJoinBots = 1;
        options.CountdownTickMs = 10;
        options.BotThinkMinMs = options.BotThinkMaxMs = 10;
        Game = std::make_unique<server::TGameServer>(Clock, 3, options);
        Listen(0);
    }
    void Listen(quint16 Port) {
        net::TNetServerOptions options;
        options.Port = Port;
        Listener = std::make_unique<net::TNetServer>(Clock, *Game, options);
        QString error;
        ASSERT_TRUE(Listener->Listen(error)) << error.toStdString();
    }
    std::unique_ptr<host::TNetGameServer> Remote(QStringList &Got, QStringList &Status) {
        auto remote = std::make_unique<host::TNetGameServer>(
            Clock, QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(Listener->Port())));
        remote->OnSend = [&Got](host::IGameServer::TConnId, const QString &Text) { Got << Text; };
        remote->OnStatus = [&Status](bool Connected, const QString &Text) {
            Status << (Connected ? QStringLiteral("+ ") : QStringLiteral("- ")) + Text;
        };
        return remote;
    }
    // Drops every connection as a restarted server would, and listens again on the same port.
    void RestartListener() {
        const quint16 port = Listener->Port();
        Listener.reset();
        Listen(port);
    }

    TManualClock Clock;
    TClockScope Scope{Clock};
    std::unique_ptr<server::TGameServer> Game;
    std::unique_ptr<net::TNetServer> Listener;
};

// "Рейтинг": asked through the session only while connected; the answer fills the window and never
// reaches the client.
TEST_F(NetGameServerTest, TheRatingTableComesThroughTheSessionToTheWindow) {
    Listener->OnTop = [](const QString &Name) {
        return net::TTopAnswer{{{QStringLiteral("Bob"), 1600, 4, 1}, {Name, 1490, 2, 1}},
                               {QString(), 1490, 2, 1}};
    };
    QStringList got, status;
    auto ann = Remote(got, status);
    EXPECT_FALSE(ann->RequestTop());
    host::TRatingWindow window;
    ann->OnTop = [&window](const net::TTopAnswer &Answer) { window.SetAnswer(Answer); };
    ann->Connect(QStringLiteral("Ann"));
    ASSERT_TRUE(SpinUntil([&] { return got.size() >= 2; }));
    const qsizetype before = got.size();
    ASSERT_TRUE(ann->RequestTop());
    ASSERT_TRUE(SpinUntil([&] { return window.Rows() == 2; }));
    EXPECT_TRUE(window.OwnText().contains(QStringLiteral("1490"))) << window.OwnText().toStdString();
    EXPECT_EQ(got.size(), before);
}

TEST_F(NetGameServerTest, SaysWhenItIsConnectedAndWhyANameIsRefused) {
    QStringList annGot, annStatus, otherGot, otherStatus;
    auto ann = Remote(annGot, annStatus);
    const auto conn = ann->Connect(QStringLiteral("Ann"));
    ASSERT_TRUE(SpinUntil([&] { return annGot.size() >= 2; }));
    EXPECT_TRUE(ann->Online());
    EXPECT_TRUE(annGot[0].startsWith(QStringLiteral("1;1;")));
    ASSERT_FALSE(annStatus.isEmpty());
    EXPECT_TRUE(annStatus.last().startsWith(QStringLiteral("+ ")));

    auto other = Remote(otherGot, otherStatus);
    other->Connect(QStringLiteral("ann"));
    ASSERT_TRUE(SpinUntil([&] { return otherStatus.last().contains(QStringLiteral("имя уже занято")); }));
    EXPECT_FALSE(other->Online());
    // A refusal is final: nothing is tried again.
    Clock.Advance(120000);
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(Listener->Peers(), 1);
    EXPECT_TRUE(otherGot.isEmpty());

    ann->Disconnect(conn);
    EXPECT_TRUE(SpinUntil([&] { return Listener->Players() == 0; }));
}

TEST_F(NetGameServerTest, ALostLinkSendsTheClientToTheLobbyAndIsTriedAgainWithBackOff) {
    QStringList got, status;
    auto ann = Remote(got, status);
    const auto conn = ann->Connect(QStringLiteral("Ann"));
    ASSERT_TRUE(SpinUntil([&] { return got.size() >= 2; }));

    // In the waiting room: the client hears that the table is gone.
    ann->Receive(conn, QStringLiteral("3;0;0;0;"));
    ASSERT_TRUE(SpinUntil([&] { return got.last().startsWith(QStringLiteral("6;")); }));
    RestartListener();
    ASSERT_TRUE(SpinUntil([&] { return got.last() == QStringLiteral("4;"); }));
    EXPECT_FALSE(ann->Online());
    EXPECT_TRUE(status.last().contains(QStringLiteral("Нет связи")));
    EXPECT_TRUE(status.last().contains(QStringLiteral("1 с")));
    const int seen = got.size();
    Clock.Advance(host::TNetGameServer::kFirstRetryMs);
    ASSERT_TRUE(SpinUntil([&] { return ann->Online(); }));
    EXPECT_TRUE(status.last().startsWith(QStringLiteral("+ ")));
    // The renewed session's login answers are not the client's news.
    SpinUntil([&] { return Listener->FramesOut() >= 2; });
    SpinUntil([] { return false; }, 50);
    EXPECT_EQ(got.size(), seen);

    // In a game: the client's player has left it.
    ann->Receive(conn, QStringLiteral("3;0;0;0;"));
    ASSERT_TRUE(SpinUntil([&] { return got.last().startsWith(QStringLiteral("6;")); }));
    ann->Receive(conn, QStringLiteral("8;1;1;"));
    for (int i = 0; i < 100 && !got.last().startsWith(QStringLiteral("9;")); ++i) {
        Clock.Advance(10);
        SpinUntil([] { return false; }, 5);
    }
    ASSERT_TRUE(got.filter(QRegularExpression(QStringLiteral("^9;"))).size() == 1)
        << got.join(' ').toStdString();
    const auto start = msg::ParseServerMessage(got.filter(QRegularExpression(QStringLiteral("^9;"))).first());
    ASSERT_TRUE(start);
    int ownID = -1;
    for (const auto &p : std::get<msg::TGameStart>(*start).Players)
        if (p.Name == QStringLiteral("Ann"))
            ownID = p.ID;
    RestartListener();
    ASSERT_TRUE(SpinUntil([&] { return !ann->Online(); }));
    EXPECT_EQ(got.last(), QStringLiteral("16;%1;").arg(ownID));
    // A session this short does not start the waits again from the first.
    EXPECT_TRUE(status.last().contains(QStringLiteral("2 с"))) << status.last().toStdString();

    // In the lobby, after leaving a table by one's own choice: nothing to tell the client.
    Clock.Advance(2000);
    ASSERT_TRUE(SpinUntil([&] { return ann->Online(); }));
    ann->Receive(conn, QStringLiteral("3;0;0;0;"));
    ASSERT_TRUE(SpinUntil([&] { return got.last().startsWith(QStringLiteral("6;")); }));
    ann->Receive(conn, QStringLiteral("4;%1").arg(got.last().section(u';', 1, 1)));
    const int beforeLoss = got.size();
    RestartListener();
    ASSERT_TRUE(SpinUntil([&] { return !ann->Online(); }));
    EXPECT_EQ(got.size(), beforeLoss);

    // Nobody listens for a while: the waits grow.
    ASSERT_TRUE(status.last().contains(QStringLiteral("4 с"))) << status.last().toStdString();
    const quint16 port = Listener->Port();
    Listener.reset();
    Clock.Advance(4000);
    ASSERT_TRUE(SpinUntil([&] { return status.last().contains(QStringLiteral("8 с")); }));
    Clock.Advance(8000);
    ASSERT_TRUE(SpinUntil([&] { return status.last().contains(QStringLiteral("16 с")); }));
    Listen(port);
    Clock.Advance(16000);
    EXPECT_TRUE(SpinUntil([&] { return ann->Online(); }));
}

// The server stops itself (SIGTERM) while the player is in a game: the client hears that the server left,
// not that its player was removed for inactivity, the window says that the game ended without a result,
// and once the server is back its login takes the client to the lobby.
TEST_F(NetGameServerTest, AServerStopMidGameIsNoRemovalAndItsReturnBringsTheLobby) {
    QStringList got, status;
    auto ann = Remote(got, status);
    int left = 0;
    ann->OnServerLeft = [&left] { ++left; };
    const auto conn = ann->Connect(QStringLiteral("Ann"));
    ASSERT_TRUE(SpinUntil([&] { return got.size() >= 2; }));
    ann->Receive(conn, QStringLiteral("3;0;0;0;"));
    ASSERT_TRUE(SpinUntil([&] { return got.last().startsWith(QStringLiteral("6;")); }));
    ann->Receive(conn, QStringLiteral("8;%1;1;").arg(got.last().section(u';', 1, 1)));
    for (int i = 0; i < 100 && got.filter(QRegularExpression(QStringLiteral("^9;"))).isEmpty(); ++i) {
        Clock.Advance(10);
        SpinUntil([] { return false; }, 5);
    }
    ASSERT_FALSE(got.filter(QRegularExpression(QStringLiteral("^9;"))).isEmpty()) << got.join(' ').toStdString();

    const quint16 port = Listener->Port();
    bool stopped = false;
    Listener->Stop([&stopped] { stopped = true; });
    ASSERT_TRUE(SpinUntil([&] { return stopped && !ann->Online(); }));
    EXPECT_EQ(left, 1);
    EXPECT_TRUE(got.filter(QRegularExpression(QStringLiteral("^1[56];"))).isEmpty()) << got.join(' ').toStdString();
    EXPECT_TRUE(status.last().contains(QStringLiteral("остановлен; игра прервана без результата")))
        << status.last().toStdString();

    const int seen = got.size();
    Listener.reset();
    Listen(port);
    Clock.Advance(host::TNetGameServer::kFirstRetryMs);
    ASSERT_TRUE(SpinUntil([&] { return ann->Online() && got.size() > seen; })) << status.join(u'\n').toStdString();
    EXPECT_TRUE(got[seen].startsWith(QStringLiteral("1;1;"))) << got[seen].toStdString();
    EXPECT_EQ(left, 1);
}

// A server whose certificate cannot be trusted is said so, and not asked again.
TEST(NetGameServerTls, AnUntrustedCertificateIsToldAndNotTriedAgain) {
    TManualClock clock;
    TClockScope scope(clock);
    server::TGameServer game(clock, 3, {});
    net::TServerCommandLine tls;
    tls.CertFile = QStringLiteral(TRELVO_TEST_DIR "/test-cert.pem");
    tls.KeyFile = QStringLiteral(TRELVO_TEST_DIR "/test-key.pem");
    QString error;
    ASSERT_TRUE(net::LoadTls(tls, error)) << error.toStdString();
    tls.Net.Port = 0;
    net::TNetServer listener(clock, game, tls.Net);
    ASSERT_TRUE(listener.Listen(error)) << error.toStdString();

    host::TNetGameServer remote(clock, QUrl(QStringLiteral("wss://127.0.0.1:%1").arg(listener.Port())));
    QStringList status;
    remote.OnStatus = [&](bool, const QString &Text) { status << Text; };
    remote.Connect(QStringLiteral("Ann"));
    ASSERT_TRUE(SpinUntil([&] { return status.last().contains(QStringLiteral("сертификат")); }));
    const int said = status.size();
    clock.Advance(120000);
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(status.size(), said);
    EXPECT_FALSE(remote.Online());
    EXPECT_EQ(listener.Players(), 0);
}

} // namespace
