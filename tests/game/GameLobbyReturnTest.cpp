#include "GameFixture.h"

#include <cstdint>
#include <functional>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

using Times = std::vector<int64_t>;

// One stay in the lobby without a table: a poll 500 ms after arriving, then every 5000 ms, until the
// idle end at 600 000 ms, which stops the polling.
Times PollsOfOneLobbyStay() {
    Times polls;
    for (int64_t t = 500; t < 600000; t += 5000)
        polls.push_back(t);
    return polls;
}

} // namespace

class GameLobbyReturn : public GameFixture {
protected:
    // Runs a stay in the lobby that begins now and records when the controller polls and when it
    // gives up, relative to this moment.
    void RecordLobbyStay(Times &Polls, Times &Stops) {
        const int64_t start = Clock.Now();
        Game->OnTableList = [&Polls, start, this] { Polls.push_back(Clock.Now() - start); };
        Game->OnStopPlugin = [&Stops, start, this] { Stops.push_back(Clock.Now() - start); };
        // Far beyond the idle end: nothing may come after it.
        Clock.Advance(3 * 600000);
    }
};

// Every way back into the lobby starts a fresh stay there: polling and the idle end count from the
// return, not from an earlier visit, and the idle end comes once and silences the lobby.
TEST_F(GameLobbyReturn, EveryRouteBackStartsAFreshIdleLobby) {
    struct Case {
        const char *name;
        int from;
        std::function<void()> back;
    };
    const Case cases[] = {
        {"the player closes the waiting room", 2, [this] { Gfx->OnCloseInvite(); }},
        {"the entry is refused", 2, [this] { Server(5, "2;"); }},
        {"the server closes the table", 2, [this] { Server(4, ""); }},
        {"the server closes the table during a game", 4, [this] { Server(4, ""); }},
        {"removed from the game", 3, [this] { Server(16, "0;"); }},
        {"removed from the game while taking", 5, [this] { Server(16, "0;"); }},
        // Halfway through a stay: the idle end moves with the new check.
        {"the version is accepted again in the lobby", 1, [this] { Server(1, "1;5;abc;"); }},
        {"the version is accepted again at a table", 2, [this] { Server(1, "1;5;abc;"); }},
    };
    for (const Case &c : cases) {
        Drive(c.from);
        // Time at a table or in a game leaves no lobby timer behind.
        Clock.Advance(300000);
        Log.Clear();
        c.back();
        ASSERT_EQ(Game->State(), 1) << c.name;
        Times polls, stops;
        RecordLobbyStay(polls, stops);
        EXPECT_EQ(polls, PollsOfOneLobbyStay()) << c.name;
        EXPECT_EQ(stops, Times{600000}) << c.name;
        EXPECT_EQ(Game->State(), 1) << c.name;
    }
}

// The server bot leaving ends whatever is on screen but not the controller's state; the lobby's
// timers stop with it, and only the next accepted version check brings the lobby back.
TEST_F(GameLobbyReturn, ServerBotLeavingStopsEverythingUntilTheNextVersionCheck) {
    const Lines botLeft = {"ShowMessage(Сервер,Серверный бот вышел из канала. Ожидаем его возвращение.)",
                           "StopGame()"};
    for (int state : {1, 2, 3, 4, 5, 6}) {
        Drive(state);
        Clock.Advance(300000);
        Log.Clear();
        Game->ExitServerBot();
        EXPECT_EQ(Take(), botLeft) << "state " << state;
        EXPECT_EQ(Game->State(), state);
        Times polls, stops;
        RecordLobbyStay(polls, stops);
        EXPECT_TRUE(polls.empty()) << "state " << state;
        EXPECT_TRUE(stops.empty()) << "state " << state;
        EXPECT_TRUE(Log.Empty()) << "state " << state;

        Server(1, "1;5;abc;");
        EXPECT_EQ(Take(), Lines({"Stats.SetPlayerID(abc)", "ShowTableList()", "Stats.Send()",
                                 "CheckVersionResult(5)"}))
            << "state " << state;
        EXPECT_EQ(Game->State(), 1);
        RecordLobbyStay(polls, stops);
        EXPECT_EQ(polls, PollsOfOneLobbyStay()) << "state " << state;
        EXPECT_EQ(stops, Times{600000}) << "state " << state;
        // Back in the lobby the game's reports no longer act.
        Server(10, "1;0;3;11;0;");
        EXPECT_TRUE(Log.Empty()) << "state " << state;
    }
}
