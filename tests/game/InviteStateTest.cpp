#include "game/InviteState.h"

#include <gtest/gtest.h>

#include <string>

namespace trelvo {
namespace {

// Seats as "Ann+ Bob- ..." (+ ready), up to four.
TPlayerList Seats(const std::string &Text) {
    TPlayerList list{};
    size_t slot = 0, pos = 0;
    while (pos < Text.size() && slot < list.size()) {
        const size_t end = Text.find(' ', pos);
        const std::string seat = Text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        list[slot].Playrname = QString::fromStdString(seat.substr(0, seat.size() - 1));
        list[slot].PlayerState = seat.back() == '+';
        ++slot;
        pos = end == std::string::npos ? Text.size() : end + 1;
    }
    return list;
}

TEST(InviteState, FollowsTheServersListsAroundAGameThisPlayerWentOutOf) {
    struct Step {
        const char *event; // "won", "lost", "reset" or the seats of a list
        bool ownReady;
        bool gameRuns;
    };
    const Step steps[] = {
        {"Ann- Bob+ Cid+ Dan+", false, false},
        {"Ann+ Bob+ Cid+ Dan+", true, false},
        {"reset", false, false}, // the game starts
        {"won", false, false},
        {"Ann- Bob+ Cid+ Dan+", false, true}, // went out: the others' seats stay ready
        {"Ann+ Bob+ Cid+ Dan+", true, true},
        {"Ann+ Bob- Cid+ Dan+", true, true},   // Bob went out too
        {"Ann- Bob- Cid- Dan-", false, false}, // the game is over: every seat reset
        {"Ann- Bob+ Cid+ Dan+", false, false}, // the bots are ready for the next one
        {"won", false, false},
        {"Ann- Bob- Cid- Dan-", false, false}, // a win at the game's end: nothing runs on
        {"lost", false, false},
        {"Ann+ Bob+", true, false}, // only a winner leaves a game running
        {"won", true, false},
        {"Ann+ Bob-", true, false}, // this player's own seat is no sign of a game
    };
    TInviteState state;
    for (const Step &s : steps) {
        SCOPED_TRACE(s.event);
        const std::string event = s.event;
        if (event == "won")
            state.GameResult(true);
        else if (event == "lost")
            state.GameResult(false);
        else if (event == "reset")
            state.Reset();
        else
            state.Seats(Seats(event), QStringLiteral("Ann"));
        EXPECT_EQ(state.OwnReady(), s.ownReady);
        EXPECT_EQ(state.GameRuns(), s.gameRuns);
    }
}

TEST(InviteState, OwnSeatIsFoundByNameOnlyWhenThereIsOne) {
    TInviteState state;
    state.Seats(Seats("Bob+ Ann+"), QStringLiteral("Ann"));
    EXPECT_TRUE(state.OwnReady()) << "any slot";
    state.Seats(Seats("Bob+"), QStringLiteral("Ann"));
    EXPECT_FALSE(state.OwnReady()) << "not seated";
    TPlayerList free{};
    free[2].PlayerState = true; // a free seat never counts as this player's
    state.Seats(free, QString());
    EXPECT_FALSE(state.OwnReady());
}

} // namespace
} // namespace trelvo
