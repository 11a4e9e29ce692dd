// The plug-in's protocol with the client and its relay to the game server, without pipes or windows.
#include "ScriptedServer.h"

#include "host/HostLog.h"
#include "host/HostRelay.h"
#include "host/HostWindow.h"

#include <gtest/gtest.h>

#include <functional>

using namespace trelvo;
using namespace trelvo::host;
using trelvo::test::TScriptedServer;

namespace {

class HostRelayTest : public testing::Test {
protected:
    HostRelayTest() : relay(server, Identity()) {
        relay.OnSendToClient = [this](const QString &Text) { sent << Text; };
        relay.OnLog = [this](const QString &Line) { log << Line; };
        relay.OnStopRequested = [this] { ++stops; };
    }
    static THostIdentity Identity() {
        THostIdentity id;
        id.Name = QStringLiteral("Аня");
        id.ChatVersion = QStringLiteral("1.0");
        id.MD5_CC = QStringLiteral("aa");
        id.MD5_Plugin = QStringLiteral("bb");
        return id;
    }
    void Connect() {
        relay.ClientConnected(0x2a00005, QSize(800, 600));
        sent.clear();
    }

    TScriptedServer server;
    THostRelay relay;
    QStringList sent;
    QStringList log;
    int stops = 0;
};

TEST_F(HostRelayTest, ConnectedClientGetsItsPlayerWindowAndSizeThenTheServersVersionCheck) {
    relay.ClientConnected(0x2a00005, QSize(800, 600));
    EXPECT_EQ(sent, QStringList({QStringLiteral("5;Аня;127.0.0.1;0;127.0.0.1;1.0;aa;bb;"),
                                 QStringLiteral("6;44040197;"), QStringLiteral("1;600;800;"),
                                 QStringLiteral("7;1;1;4711;p1;")}));
    EXPECT_EQ(server.Players, QStringList{QStringLiteral("Аня")});
    EXPECT_EQ(relay.Echo(), THostRelay::TEcho::Awaiting);
}

TEST_F(HostRelayTest, GameServerMessagesTravelBothWaysWithTheirCodeSevenEnvelope) {
    Connect();
    relay.ClientMessage(QStringLiteral("7;2;1;"));
    relay.ClientMessage(QStringLiteral("7;5;3"));
    EXPECT_EQ(server.Received, QStringList({QStringLiteral("1:2;1;"), QStringLiteral("1:5;3")}));
    server.Send(QStringLiteral("3;12"));
    EXPECT_EQ(sent, QStringList{QStringLiteral("7;3;12")});
}

TEST_F(HostRelayTest, MessagesForOtherConnectionsOrWithoutAClientAreNotRelayed) {
    server.Send(QStringLiteral("2;0;0;0;0;0;"), 1);
    relay.ShowGame();
    relay.Resize(QSize(10, 10));
    EXPECT_TRUE(sent.isEmpty());
    Connect();
    server.Send(QStringLiteral("2;0;0;0;0;0;"), 99);
    EXPECT_TRUE(sent.isEmpty());

    relay.ClientDisconnected();
    EXPECT_EQ(server.Disconnected, QList<int>{1});
    server.Send(QStringLiteral("2;0;0;0;0;0;"), 1);
    relay.ClientMessage(QStringLiteral("7;2;1;"));
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(server.Received.isEmpty());
}

TEST_F(HostRelayTest, VersionCheckEchoIsCheckedAgainstWhatTheServerAsked) {
    struct Case {
        const char *login;
        const char *answer;
        THostRelay::TEcho echo;
    };
    const Case cases[] = {
        {"1;1;4711;p1;", "4711", THostRelay::TEcho::Confirmed},
        {"1;1;4711;p1;", "4712", THostRelay::TEcho::Wrong},
        {"1;0;4711;p1;", "-1", THostRelay::TEcho::Confirmed}, // a refused version is answered -1
        {"1;0;4711;p1;", "4711", THostRelay::TEcho::Wrong},
        {"1;1;4711;p1;", "x", THostRelay::TEcho::Wrong},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.login) + " / " + c.answer);
        relay.ClientDisconnected();
        server.LoginAnswer = QString::fromLatin1(c.login);
        Connect();
        relay.ClientMessage(QStringLiteral("11;") + QString::fromLatin1(c.answer));
        EXPECT_EQ(relay.Echo(), c.echo);
    }
    // An answer nobody asked for is wrong too.
    relay.ClientMessage(QStringLiteral("11;4711"));
    EXPECT_EQ(relay.Echo(), THostRelay::TEcho::Wrong);
}

TEST_F(HostRelayTest, StopRequestClosesAndClientErrorsAreLoggedNotRelayed) {
    Connect();
    relay.ClientMessage(QStringLiteral("22;1;"));
    EXPECT_EQ(stops, 1);
    relay.ClientMessage(QStringLiteral("23;0"));
    relay.ClientMessage(QStringLiteral("25;картинка не найдена"));
    relay.ClientMessage(QStringLiteral("x;"));
    EXPECT_TRUE(server.Received.isEmpty());
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(log.filter(QStringLiteral("23;0")).size() == 1) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log.filter(QStringLiteral("картинка не найдена")).size() == 1);
}

// The client reads a game-server message's subcode as a number before anything else, and one that is
// not a number stops it in an error box: such messages stay in the host, logged, and the relay goes on.
TEST_F(HostRelayTest, AMessageWhoseSubcodeIsNoNumberNeverReachesTheClient) {
    Connect();
    const QString unreadable[] = {QStringLiteral("garbage!!"), QString(), QStringLiteral(";"),
                                  QStringLiteral("2147483648;"), QStringLiteral("welcome;7;"),
                                  QStringLiteral(" ;3"), QString(65536, u'x')};
    for (int round = 0; round < 50; ++round)
        for (const QString &message : unreadable)
            server.Send(message);
    EXPECT_TRUE(sent.isEmpty()) << sent.join(u'\n').left(300).toStdString();
    EXPECT_FALSE(log.filter(QStringLiteral("refused")).isEmpty()) << log.join(u'\n').toStdString();
    // Counted, not logged one by one.
    EXPECT_LT(log.size(), 50);
    server.Send(QStringLiteral("3;12"));
    server.Send(QStringLiteral("-7;"));
    EXPECT_EQ(sent.join(u'|').left(200).toStdString(), "7;3;12|7;-7;");
}

// What the client answers, and the table list it redraws whole, go on no faster than it uses them: one
// check or report at a time until the client has answered it (or said it could not read it), and one
// table list for each request of the client's.
TEST_F(HostRelayTest, FloodsReachTheClientNoFasterThanItAnswers) {
    struct Case {
        const char *name;
        QString message;
        QString answer; // from the client: lets the next one through
        bool askFirst;  // the client asks before the server answers
    };
    const Case cases[] = {
        {"reachability check", QStringLiteral("20;1;"), QStringLiteral("7;20;1;1;"), false},
        {"server report", QStringLiteral("21;1.0;a;b;c;"), QStringLiteral("7;21;1;"), false},
        {"handed-on report", QStringLiteral("22;0;Bob;1;0;ip;ip;800;600;1;os;k;1;pv;cv;a;b;c;"),
         QStringLiteral("7;23;1;"), false},
        {"check the client could not read", QStringLiteral("20;1;"), QStringLiteral("23;0"), false},
        {"table list", QStringLiteral("2;0;0;0;0;0;"), QStringLiteral("7;2;1;"), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        relay.ClientDisconnected();
        Connect();
        for (int round = 0; round < 3; ++round) {
            if (c.askFirst)
                relay.ClientMessage(c.answer);
            for (int i = 0; i < 1000; ++i)
                server.Send(c.message);
            EXPECT_EQ(sent.size(), round + 1);
            if (!c.askFirst)
                relay.ClientMessage(c.answer);
        }
        // Everything else still goes at once.
        server.Send(QStringLiteral("3;12"));
        EXPECT_EQ(sent.last(), QStringLiteral("7;3;12"));
        EXPECT_EQ(sent.filter(c.message).size(), 3);
        sent.clear();
    }
}

TEST_F(HostRelayTest, ChatWindowRequestsBecomeHostMessages) {
    Connect();
    relay.ShowGame();
    relay.HideGame();
    relay.ShowAbout();
    relay.Resize(QSize(1024, 700));
    EXPECT_EQ(sent, QStringList({QStringLiteral("2;"), QStringLiteral("3;"), QStringLiteral("26;"),
                                 QStringLiteral("1;700;1024;")}));
}

// A game server that stopped itself is told to the client as the game server leaving (host code 8), which
// closes the table without calling the player removed; nothing goes to a client that is not there.
TEST_F(HostRelayTest, AServerThatStoppedIsToldToTheClientAsTheGameServerLeaving) {
    ASSERT_TRUE(server.OnServerLeft);
    server.OnServerLeft();
    EXPECT_TRUE(sent.isEmpty());
    Connect();
    server.OnServerLeft();
    EXPECT_EQ(sent, QStringList{QStringLiteral("8;")});
}

// Laying out one long line in the log costs the square of its length, on the thread that runs the game
// server: the log shows the head of a message and its length, and its lines stay short.
TEST_F(HostRelayTest, TheLogShowsAHugeMessagesHeadAndLengthNotTheMessage) {
    Connect();
    const QString huge = QStringLiteral("6;") + QString(1 << 20, u'7') + u';';
    struct Way {
        const char *name;
        std::function<void()> send;
        qsizetype length; // of what the line speaks of: the message, or its payload after the code
    };
    const qsizetype n = huge.size();
    const Way ways[] = {
        {"server to client", [&] { server.Send(huge); }, n},
        {"client to server", [&] { relay.ClientMessage(QStringLiteral("7;") + huge); }, n},
        {"23 from the client", [&] { relay.ClientMessage(QStringLiteral("23;") + huge); }, n},
        {"25 from the client", [&] { relay.ClientMessage(QStringLiteral("25;") + huge); }, n},
        {"11 from the client", [&] { relay.ClientMessage(QStringLiteral("11;") + huge); }, n},
        {"unknown code", [&] { relay.ClientMessage(QStringLiteral("77;") + huge); }, n + 3},
        {"no code", [&] { relay.ClientMessage(QStringLiteral("x") + huge); }, n + 1},
    };
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        log.clear();
        way.send();
        ASSERT_EQ(log.size(), 1);
        EXPECT_LE(log[0].size(), kLogLineChars);
        EXPECT_TRUE(log[0].contains(QStringLiteral("6;7777"))) << log[0].toStdString();
        EXPECT_TRUE(log[0].contains(QString::number(way.length))) << log[0].toStdString();
    }
    // The message itself travels whole.
    server.Send(huge);
    EXPECT_EQ(sent.last().size(), huge.size() + 2);
}

TEST(HostWindowLogTest, KeepsItsLinesShortAndItsSizeBounded) {
    THostWindow window;
    window.AppendLog(QString(1 << 20, u'x'));
    EXPECT_LE(window.LogText().size(), kLogLineChars + 20);
    for (int i = 0; i < THostWindow::kLogLines + 500; ++i)
        window.AppendLog(QString(1000, u'y'));
    EXPECT_LE(window.LogText().size(), THostWindow::kLogLines * (kLogLineChars + 20));
}

} // namespace
