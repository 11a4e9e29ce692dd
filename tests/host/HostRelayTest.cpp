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
    const QString huge = QStringLiteral("2;") + QString(1 << 20, u'7') + u';';
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
        EXPECT_TRUE(log[0].contains(QStringLiteral("2;7777"))) << log[0].toStdString();
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
