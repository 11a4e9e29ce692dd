// trelvo-server's listener against well-behaved and hostile peers on loopback. The game server and the
// listener run on a manual clock; the sockets on the Qt event loop of the test.
#include "NetTestSupport.h"

#include "netserver/NetServer.h"
#include "netserver/ServerOptions.h"
#include "protocol/Session.h"
#include "server/GameServer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace trelvo;
using namespace trelvo::net;
using namespace trelvo::net::test;
using trelvo::test::SpinUntil;

namespace {

class NetServerTest : public testing::Test {
protected:
    void Start(TNetServerOptions Net = {}, server::TServerOptions Game = {}) {
        Game.LobbyBotTables = 2;
        Game.BotThinkMinMs = 10;
        Game.BotThinkMaxMs = 20;
        Game.RoundEndPauseMs = 0;
        Net.Port = 0;
        FGame = std::make_unique<server::TGameServer>(Clock, 7, Game);
        Server = std::make_unique<TNetServer>(Clock, *FGame, Net);
        Server->OnDropped = [this](const QString &Reason) { Dropped << Reason; };
        QString error;
        ASSERT_TRUE(Server->Listen(error)) << error.toStdString();
    }
    std::unique_ptr<TWsPeer> Peer() { return std::make_unique<TWsPeer>(Server->Port()); }
    server::TGameServer &Game() { return *FGame; }

    TManualClock Clock;
    TClockScope Scope{Clock};
    std::unique_ptr<server::TGameServer> FGame;
    std::unique_ptr<TNetServer> Server;
    QStringList Dropped;
};

// "top;" is the session's own: answered by the listener with the asker's name, never given to the game.
TEST_F(NetServerTest, ATopRequestIsAnsweredWithTheTableAndTheAskersStanding) {
    Start();
    QString asked;
    Server->OnTop = [&](const QString &Name) {
        asked = Name;
        return TTopAnswer{{{QStringLiteral("Bob"), 1600, 4, 1}}, {QString(), 1490, 2, 1}};
    };
    auto ann = Peer();
    ASSERT_TRUE(ann->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})));
    ASSERT_TRUE(ann->WaitFrames(3));
    const int refused = Game().RefusedRequests();
    ann->Socket.sendTextMessage(kTopRequest);
    ASSERT_TRUE(ann->WaitFrames(4));
    EXPECT_EQ(asked, QStringLiteral("Ann"));
    const auto answer = ParseTopAnswer(ann->Got[3]);
    ASSERT_TRUE(answer) << ann->Got[3].toStdString();
    EXPECT_EQ(answer->Rows.size(), 1u);
    EXPECT_EQ(answer->Own.Rating, 1490);
    EXPECT_EQ(Game().RefusedRequests(), refused);
    EXPECT_EQ(Server->FramesIn(), 0u);
}

TEST_F(NetServerTest, AWelcomedPeerCarriesGameMessagesBothWays) {
    Start();
    auto ann = Peer();
    ASSERT_TRUE(ann->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})));
    const auto welcome = ParseAnswer(ann->Got[0]);
    ASSERT_TRUE(welcome && welcome->Accepted);
    // The game server's login answers follow the welcome, each a frame of its own.
    ASSERT_TRUE(ann->WaitFrames(3));
    const QString conn = QString::number(welcome->Conn);
    EXPECT_EQ(ann->Got[1], QStringLiteral("1;1;%1;%1;").arg(conn));
    EXPECT_EQ(ann->Got[2], QStringLiteral("20;1;"));
    ann->Socket.sendTextMessage(QStringLiteral("2;1;"));
    ASSERT_TRUE(ann->WaitFrames(4));
    EXPECT_TRUE(ann->Got[3].startsWith(QStringLiteral("2;2;"))) << ann->Got[3].toStdString();
    EXPECT_EQ(Server->Players(), 1);
    EXPECT_TRUE(Dropped.isEmpty());
}

TEST_F(NetServerTest, EveryRefusalIsAnsweredWithItsReasonAndTheSocketClosed) {
    TNetServerOptions net;
    net.MaxConnections = 2;
    Start(net);
    auto ann = Peer();
    ASSERT_TRUE(ann->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})));

    const struct {
        QString Hello;
        const char *Answer;
    } cases[] = {
        {BuildHello({kProtocolVersion + 1, QStringLiteral("Bob")}), "refused;version;"},
        {BuildHello({kProtocolVersion, QStringLiteral("ann")}), "refused;name-taken;"},
        {BuildHello({kProtocolVersion, QString(33, u'b')}), "refused;bad-name;"},
        {BuildHello({kProtocolVersion, QStringLiteral("B\tob")}), "refused;bad-name;"},
        {BuildHello({kProtocolVersion, QStringLiteral("Bob;")}), "refused;bad-name;"},
        {QStringLiteral("2;1;"), "refused;malformed;"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Hello.toStdString());
        auto peer = Peer();
        ASSERT_TRUE(peer->WaitOpen());
        peer->Socket.sendTextMessage(c.Hello);
        ASSERT_TRUE(peer->WaitClosed());
        EXPECT_EQ(peer->Got, QStringList{QString::fromLatin1(c.Answer)});
    }
    EXPECT_EQ(Dropped.size(), 6);

    // Two players fill this server; the third hears so.
    auto bob = Peer();
    ASSERT_TRUE(bob->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Bob")})));
    auto cid = Peer();
    ASSERT_TRUE(cid->WaitOpen());
    cid->Socket.sendTextMessage(BuildHello({kProtocolVersion, QStringLiteral("Cid")}));
    ASSERT_TRUE(cid->WaitClosed());
    EXPECT_EQ(cid->Got, QStringList{QStringLiteral("refused;full;")});
    EXPECT_EQ(Server->Players(), 2);
    EXPECT_FALSE(ann->Closed);
}

TEST_F(NetServerTest, ANameIsFreeAgainOnceItsPlayerHasGone) {
    Start();
    auto first = Peer();
    ASSERT_TRUE(first->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})));
    first->Socket.close();
    ASSERT_TRUE(SpinUntil([this] { return Server->Players() == 0; }));
    auto again = Peer();
    EXPECT_TRUE(again->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})));
}

TEST_F(NetServerTest, APeerThatSaysNothingForTenSecondsIsClosed) {
    Start();
    auto quiet = Peer();
    ASSERT_TRUE(quiet->WaitOpen());
    ASSERT_TRUE(SpinUntil([this] { return Server->Peers() == 1; }));
    Clock.Advance(9999);
    EXPECT_FALSE(quiet->Closed);
    Clock.Advance(1);
    ASSERT_TRUE(quiet->WaitClosed());
    ASSERT_EQ(Dropped.size(), 1);
    EXPECT_TRUE(Dropped[0].contains(QStringLiteral("session exchange"))) << Dropped[0].toStdString();
    EXPECT_EQ(quiet->Socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
}

TEST_F(NetServerTest, FramesOverTheLimitAndBinaryFramesCloseThePeer) {
    Start();
    const struct {
        int Size; // of a text frame; 0 sends a binary frame
        QWebSocketProtocol::CloseCode Code;
    } cases[] = {{64 * 1024 + 1, QWebSocketProtocol::CloseCodeTooMuchData},
                 {1 << 20, QWebSocketProtocol::CloseCodeTooMuchData},
                 {0, QWebSocketProtocol::CloseCodeDatatypeNotSupported}};
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Size);
        auto peer = Peer();
        ASSERT_TRUE(peer->LogIn(BuildHello({kProtocolVersion, QStringLiteral("P%1").arg(++n)})));
        if (c.Size > 0)
            peer->Socket.sendTextMessage(QString(c.Size, u'7'));
        else
            peer->Socket.sendBinaryMessage(QByteArray("2;1;"));
        ASSERT_TRUE(peer->WaitClosed());
        EXPECT_EQ(peer->Socket.closeCode(), c.Code);
    }
    EXPECT_EQ(Dropped.size(), 3);
    EXPECT_TRUE(SpinUntil([this] { return Server->Players() == 0; }));

    // At the limit a frame is merely a message the game server refuses.
    auto fits = Peer();
    ASSERT_TRUE(fits->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Fits")})));
    fits->Socket.sendTextMessage(QString(64 * 1024, u'7'));
    fits->Socket.sendTextMessage(QStringLiteral("2;1;"));
    ASSERT_TRUE(SpinUntil([&] { return fits->Got.size() >= 4 || fits->Closed; }));
    EXPECT_FALSE(fits->Closed);
    EXPECT_EQ(Game().RefusedRequests(), 1);
}

TEST_F(NetServerTest, ABurstIsAllowedButAFasterRateClosesThePeer) {
    TNetServerOptions net;
    net.RatePerSecond = 5;
    net.RateBurst = 10;
    Start(net);
    auto ann = Peer();
    ASSERT_TRUE(ann->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})));
    ASSERT_TRUE(ann->WaitFrames(3));
    auto ask = [&](int Count) {
        for (int i = 0; i < Count; ++i)
            ann->Socket.sendTextMessage(QStringLiteral("2;1;"));
    };
    ask(10); // the whole burst at one instant
    ASSERT_TRUE(ann->WaitFrames(13));
    Clock.Advance(1000); // five more a second
    ask(5);
    ASSERT_TRUE(ann->WaitFrames(18));
    EXPECT_FALSE(ann->Closed);
    ask(1);
    ASSERT_TRUE(ann->WaitClosed());
    EXPECT_EQ(ann->Got.size(), 18);
    EXPECT_EQ(ann->Socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    ASSERT_EQ(Dropped.size(), 1);
    EXPECT_TRUE(Dropped[0].contains(QStringLiteral("a second")));
}

// A peer that asks and asks but never reads fills its own queue only: it is closed, while another
// player's questions are answered all along and a table of bots plays game after game.
TEST_F(NetServerTest, APeerThatNeverReadsIsClosedWhileOthersPlayOn) {
    TNetServerOptions net;
    net.RatePerSecond = 1000000;
    net.RateBurst = 1000000;
    net.MaxQueuedBytes = 16 * 1024;
    Start(net);
    int games = 0;
    Game().OnGameOver = [&](const server::TGameRecord &) { ++games; };
    Game().OpenBotTable({}, {server::TBotLevel::Normal, server::TBotLevel::Normal});

    auto bob = Peer();
    ASSERT_TRUE(bob->LogIn(BuildHello({kProtocolVersion, QStringLiteral("Bob")})));
    ASSERT_TRUE(bob->WaitFrames(3));
    TRawPeer slow(Server->Port(), 4096);
    ASSERT_TRUE(slow.Upgrade());
    ASSERT_TRUE(slow.SendText(BuildHello({kProtocolVersion, QStringLiteral("Slow")}).toUtf8()));
    ASSERT_TRUE(SpinUntil([this] { return Server->Players() == 2; }));

    int asked = 0;
    for (int round = 0; round < 2000 && (Dropped.isEmpty() || games == 0); ++round) {
        for (int i = 0; i < 100 && Dropped.isEmpty(); ++i, ++asked)
            if (!slow.SendText("2;1;"))
                break;
        Clock.Advance(250);
        const int before = bob->Got.size();
        bob->Socket.sendTextMessage(QStringLiteral("2;1;"));
        ASSERT_TRUE(bob->WaitFrames(before + 1)) << "after " << asked << " questions of the slow peer";
    }
    ASSERT_EQ(Dropped.size(), 1) << asked;
    EXPECT_TRUE(Dropped[0].contains(QStringLiteral("output queue"))) << Dropped[0].toStdString();
    EXPECT_GT(games, 0);
    EXPECT_TRUE(SpinUntil([this] { return Server->Players() == 1; }));
    EXPECT_FALSE(bob->Closed);
}

// With a certificate the listener speaks TLS: a wss:// peer is welcomed (this test's certificate is
// its own, so the peer accepts it knowingly) and a plain ws:// one never gets as far as a hello.
TEST_F(NetServerTest, WithACertificateOnlyTlsPeersGetIn) {
    TServerCommandLine tls;
    tls.CertFile = QStringLiteral(TRELVO_TEST_DIR "/test-cert.pem");
    tls.KeyFile = QStringLiteral(TRELVO_TEST_DIR "/test-key.pem");
    QString error;
    ASSERT_TRUE(LoadTls(tls, error)) << error.toStdString();
    Start(tls.Net);

    TWsPeer secure(0);
    QObject::connect(&secure.Socket, &QWebSocket::sslErrors,
                     [&](const QList<QSslError> &) { secure.Socket.ignoreSslErrors(); });
    secure.Socket.open(QUrl(QStringLiteral("wss://127.0.0.1:%1").arg(Server->Port())));
    EXPECT_TRUE(secure.LogIn(BuildHello({kProtocolVersion, QStringLiteral("Ann")})));

    auto plain = Peer();
    EXPECT_FALSE(plain->WaitOpen(2000));
    EXPECT_EQ(Server->Players(), 1);
}

} // namespace
