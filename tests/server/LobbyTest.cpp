#include "ServerTestSupport.h"

#include "protocol/ServerMessages.h"
#include "server/GameServer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::server;
using namespace trelvo::server::test;

namespace {

using Lines = std::vector<std::string>;

// A server on a jumping clock with people who only record what they are told.
class Lobby : public testing::Test {
protected:
    void Start(int LobbyTables, int AutoJoin = 1) {
        TServerOptions options;
        options.LobbyBotTables = LobbyTables;
        options.AutoJoinBots = AutoJoin;
        options.BotThinkMinMs = 10;
        options.BotThinkMaxMs = 10;
        Server = std::make_unique<TGameServer>(Clock, 5, options);
        Server->OnSend = [this](TConnId c, const QString &t) { Inbox[c].push_back(t.toStdString()); };
    }
    Lines Take(TConnId Conn) { return std::exchange(Inbox[Conn], {}); }
    void Say(TConnId Conn, const char *Text) { Server->Receive(Conn, QString::fromUtf8(Text)); }
    // Runs the clock for Ms, timers in order.
    void Run(int64_t Ms) { Clock.Advance(Ms); }
    bool Got(TConnId Conn, const std::string &Prefix) {
        for (const std::string &line : Inbox[Conn])
            if (line.rfind(Prefix, 0) == 0)
                return true;
        return false;
    }

    TJumpClock Clock;
    std::unique_ptr<TGameServer> Server;
    std::map<TConnId, Lines> Inbox;
};

TEST_F(Lobby, LoginGetsTheVersionCheckAndOneReachabilityCheckThenTheList) {
    Start(2);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    const std::string id = std::to_string(ann);
    EXPECT_EQ(Take(ann), (Lines{"1;1;" + id + ";" + id + ";", "20;1;"}));
    Say(ann, "20;1;1;");
    // A throw-in table with one bot and a transfer table with two.
    Say(ann, "2;1;");
    EXPECT_EQ(Take(ann), (Lines{"2;2;1;1;2;1;0;1;0;0;0;1;2;1;0;0;"}));
    EXPECT_EQ(Server->RefusedRequests(), 0);
}

TEST_F(Lobby, CreatingEnteringAndTheRefusals) {
    Start(0, 2);
    const TConnId ann = Server->Connect(QStringLiteral("A;nn"));
    const TConnId bob = Server->Connect(QStringLiteral("Bob"));
    const TConnId cid = Server->Connect(QStringLiteral("Cid"));
    Take(ann);
    Take(bob);
    Take(cid);
    Say(ann, "3;1;0;1;");
    const Lines created = Take(ann);
    ASSERT_GE(created.size(), 3u);
    EXPECT_EQ(created[0], "3;0");
    EXPECT_EQ(created[1], "6;0;1;0;A$r^e%p#l&a-c=e@nn;0;");
    EXPECT_EQ(created.back(), "6;0;3;0;A$r^e%p#l&a-c=e@nn;0;1;Бот 1;0;2;Бот 2;0;");
    // The bots declare readiness after thinking.
    Run(10);
    EXPECT_EQ(Take(ann).back(), "6;0;3;0;A$r^e%p#l&a-c=e@nn;0;1;Бот 1;1;2;Бот 2;1;");
    Say(ann, "3;0;0;0;");
    EXPECT_EQ(Take(ann), (Lines{"3;-1"}));
    Say(ann, "5;0");
    EXPECT_EQ(Take(ann), (Lines{"5;3;"}));
    Say(bob, "5;7");
    EXPECT_EQ(Take(bob), (Lines{"5;1;"}));
    Say(bob, "5;0");
    EXPECT_EQ(Take(bob).back(), "6;0;4;0;A$r^e%p#l&a-c=e@nn;0;1;Бот 1;1;2;Бот 2;1;3;Bob;0;");
    Say(cid, "5;0");
    EXPECT_EQ(Take(cid), (Lines{"5;2;"}));
    // Bob leaves; the others see the seat free.
    Say(bob, "4;0");
    EXPECT_TRUE(Take(bob).empty());
    EXPECT_EQ(Take(ann).back(), "6;0;3;0;A$r^e%p#l&a-c=e@nn;0;1;Бот 1;1;2;Бот 2;1;");
    EXPECT_EQ(Server->RefusedRequests(), 0);
}

TEST_F(Lobby, CountdownRemovesWhoIsNotReadyAtThreeAndStartsTheGameAtZero) {
    Start(0, 1);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    const TConnId bob = Server->Connect(QStringLiteral("Bob"));
    Say(ann, "3;0;0;0;");
    Run(10);
    Say(bob, "5;0");
    Say(ann, "8;0;1;");
    Say(bob, "8;0;1;");
    EXPECT_TRUE(Got(ann, "7;10;"));
    Take(ann);
    Take(bob);
    Say(bob, "8;0;0;");
    Run(7000);
    EXPECT_EQ(Take(bob), (Lines{"6;0;3;0;Ann;1;1;Бот 1;1;2;Bob;0;", "4;"}));
    Run(2999);
    EXPECT_FALSE(Got(ann, "9;"));
    Run(1);
    EXPECT_TRUE(Got(ann, "7;0;"));
    EXPECT_TRUE(Got(ann, "9;2;30;0;Ann;1;Бот 1;"));
    EXPECT_TRUE(Take(bob).empty());
}

TEST_F(Lobby, APlayerWhoLetsTheClockRunOutTwiceIsRemovedAndLoses) {
    Start(0, 1);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    int games = 0, annResult = -1;
    Server->OnGameOver = [&](const TGameRecord &r) {
        ++games;
        annResult = r.Results[0];
    };
    Say(ann, "3;0;0;0;");
    Run(10);
    Say(ann, "8;0;1;");
    Take(ann);
    Run(10000);
    ASSERT_TRUE(Got(ann, "9;"));
    // Ann never moves: the bot and the clock play for her until she is removed.
    ASSERT_TRUE(Clock.RunUntil([&] { return games > 0; }, 10000));
    EXPECT_EQ(annResult, 0);
    const Lines lines = Take(ann);
    EXPECT_EQ(lines.back(), "16;0;");
    // Removed from the table, too: she may open a new one.
    Say(ann, "3;0;0;0;");
    EXPECT_EQ(Take(ann).front(), "3;1");
}

TEST_F(Lobby, ATableNobodyPlaysAtIsClosedAfterFiveMinutes) {
    Start(1);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    Say(ann, "5;0");
    Run(10);
    Take(ann);
    Run(5 * 60 * 1000 - 11);
    EXPECT_FALSE(Got(ann, "4;"));
    Run(1);
    EXPECT_EQ(Take(ann), (Lines{"4;"}));
    // The lobby's table stays with its bot.
    Say(ann, "2;1;");
    EXPECT_EQ(Take(ann), (Lines{"2;1;0;1;0;1;0;1;0;0;0;"}));
}

// The bots' table has waited almost five minutes when a person sits down: each person's arrival, and
// each change of readiness, starts the five minutes again.
TEST_F(Lobby, APersonsArrivalOrReadinessRestartsTheIdleTime) {
    Start(1);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    const TConnId bob = Server->Connect(QStringLiteral("Bob"));
    Run(5 * 60 * 1000 - 2000);
    Say(ann, "5;0");
    Run(100 * 1000);
    Say(bob, "5;0");
    Run(200 * 1000);
    // Bob is not ready, so no countdown starts.
    Say(ann, "8;0;1;");
    Run(5 * 60 * 1000 - 1);
    EXPECT_FALSE(Got(ann, "4;")) << "five minutes after the last change of readiness";
    EXPECT_FALSE(Got(bob, "4;"));
    Run(1);
    EXPECT_TRUE(Got(ann, "4;"));
    EXPECT_TRUE(Got(bob, "4;"));
}

// Every person may open a table: one list holds a bounded number of them, those a person can still
// join first, while the counts tell the whole lobby.
TEST_F(Lobby, ABigLobbyIsListedWithinTheBoundJoinableTablesFirst) {
    Start(0, 2);
    constexpr int kTables = kMaxListedTables + 100;
    constexpr int kFull = kMaxListedTables + 50;
    std::vector<TConnId> people;
    for (int i = 0; i < kTables; ++i) {
        people.push_back(Server->Connect(QStringLiteral("P%1").arg(i)));
        Say(people.back(), "3;0;0;0;");
    }
    // The older tables fill up: a person and two bots sit at each, a fourth takes the last seat.
    for (int i = 0; i < kFull; ++i) {
        const TConnId guest = Server->Connect(QStringLiteral("G%1").arg(i));
        Server->Receive(guest, QStringLiteral("5;%1").arg(i));
    }
    Run(10);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    Take(ann);
    Say(ann, "2;1;");
    const Lines answer = Take(ann);
    ASSERT_EQ(answer.size(), 1u);
    const auto parsed = msg::ParseServerMessage(QString::fromStdString(answer[0]));
    ASSERT_TRUE(parsed);
    const auto &list = std::get<msg::TTableList>(*parsed);
    ASSERT_EQ(int(list.Tables.size()), kMaxListedTables);
    EXPECT_EQ(list.CountNotTrTable, kTables);
    EXPECT_EQ(list.CountNotTrPlayer, 3 * kTables + kFull);
    // The joinable ones, newest last, then the full ones.
    for (int i = 0; i < kMaxListedTables; ++i) {
        const bool joinable = i < kTables - kFull;
        SCOPED_TRACE(i);
        EXPECT_EQ(list.Tables[i].PlayerCount, joinable ? 3 : 4);
        EXPECT_EQ(list.Tables[i].ID, joinable ? kFull + i : i - (kTables - kFull));
    }
}

// Nobody is offered a table that is about to close for idleness; one who enters it from an older list
// keeps it open like any arrival.
TEST_F(Lobby, ATableAboutToCloseIsNotListed) {
    Start(1);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    const TConnId bob = Server->Connect(QStringLiteral("Bob"));
    Say(ann, "5;0");
    Take(ann);
    Take(bob);
    Run(5 * 60 * 1000 - 31 * 1000);
    Say(bob, "2;1;");
    EXPECT_EQ(Take(bob), (Lines{"2;1;0;1;0;2;0;2;0;0;0;"}));
    Run(2000);
    Say(bob, "2;1;");
    EXPECT_EQ(Take(bob), (Lines{"2;0;0;0;0;0;"}));
    Say(bob, "5;0");
    Run(60 * 1000);
    Take(bob);
    EXPECT_FALSE(Got(ann, "4;"));
    EXPECT_FALSE(Got(bob, "4;"));
    Say(bob, "2;1;");
    EXPECT_EQ(Take(bob), (Lines{"2;1;0;1;0;3;0;3;0;0;0;"}));
}

TEST_F(Lobby, BadRequestsAreRefusedAndChangeNothing) {
    Start(0, 1);
    const TConnId ann = Server->Connect(QStringLiteral("Ann"));
    Say(ann, "3;0;0;0;");
    Run(10);
    Say(ann, "8;0;1;");
    Run(10000);
    ASSERT_TRUE(Got(ann, "9;"));
    Take(ann);
    const char *bad[] = {"10;0;", "10;0;x;", "10;0;99;", "10;0;-1;", "14;0;1;9;", "19;0;3;", "12;0;",
                         "11;5;", "10;3;1;", "",         "7;",       "abc",       "2;1",     "8;9;1;"};
    int refused = Server->RefusedRequests();
    for (const char *text : bad) {
        Say(ann, text);
        EXPECT_EQ(Server->RefusedRequests(), ++refused) << text;
        EXPECT_TRUE(Take(ann).empty()) << text;
    }
    // The game goes on: the bot or Ann's clock moves it.
    int games = 0;
    Server->OnGameOver = [&](const TGameRecord &) { ++games; };
    EXPECT_TRUE(Clock.RunUntil([&] { return games > 0; }, 10000));
}

} // namespace
