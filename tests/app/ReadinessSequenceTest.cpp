// The waiting room's ready button against what the game server says, through the real dispatcher,
// controller and scene: a player who went out first of a four-player game waits while the others play on.
#include "HostileClient.h"

#include "lobby/WindowShowPlayer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

using Sent = std::vector<std::string>;

// Ann (this player), Bob, Cid and Dan at table 12, all ready.
constexpr const char *kAllReady = "7;6;12;4;0;Ann;1;1;Bob;1;2;Cid;1;3;Dan;1;";
// After the game: the server has reset every seat.
constexpr const char *kNobodyReady = "7;6;12;4;0;Ann;0;1;Bob;0;2;Cid;0;3;Dan;0;";
// Ann went out; the others still play (their seats stay ready while they do).
constexpr const char *kOthersPlaying = "7;6;12;4;0;Ann;0;1;Bob;1;2;Cid;1;3;Dan;1;";
// The bots make themselves ready again after the game.
constexpr const char *kBotsReady = "7;6;12;4;0;Ann;0;1;Bob;1;2;Cid;1;3;Dan;1;";

struct ReadinessSequence : testing::Test {
    THostileClient client;

    void SetUp() override {
        client.Deliver("5;Ann;10.0.0.2;1;srv;cc;m1;m2;");
        client.Deliver("1;600;800;");
        client.Deliver("7;1;1;5;abc;");
        client.Scene().OnEnterTable(12);
        client.Deliver("7;6;12;4;0;Ann;0;1;Bob;1;2;Cid;1;3;Dan;1;", 1000);
        client.TakeSent();
    }
    TWindowShowPlayer *Room() { return client.Scene().Window_Players(); }
    // A real click: the pointer goes down and up over the button, which reacts only when enabled.
    Sent ClickReady() {
        client.TakeSent();
        TForm &form = client.Scene().Form();
        const TControl *button = Room()->Button_Ready();
        const QPointF p = button->LocalToAbsolute({button->Width() / 2, button->Height() / 2});
        form.PointerMove(p);
        form.PointerDown(TMouseButton::Left, p);
        form.PointerUp(TMouseButton::Left, p);
        client.Run(100);
        return client.TakeSent();
    }
    // A four-player game in which this player goes out first: the result, then the room as it is.
    void GoOutFirst() {
        client.Deliver(kAllReady);
        client.Deliver("7;7;10;", 10000);
        client.Deliver("7;7;0;");
        client.Deliver("7;9;4;30;0;Ann;1;Bob;2;Cid;3;Dan;0;4;13;0;2;7;1;5;8;3;11;", 1000);
        client.Deliver("7;15;1;0;");
        client.Deliver(kOthersPlaying, 2000);
        client.TakeSent();
    }
};

TEST_F(ReadinessSequence, AfterGoingOutTheRoomWaitsForTheGameAndOneClickMakesReadyOnceItEnds) {
    ASSERT_EQ(ClickReady(), Sent{"7;8;12;1;"});
    GoOutFirst();
    TWindowShowPlayer *room = Room();
    ASSERT_NE(room, nullptr) << "the result did not open the waiting room";
    EXPECT_FALSE(room->StateReady()) << "the server reset this player's readiness on going out";
    EXPECT_EQ(room->Text_Ready()->Text(), "Соперники доигрывают партию");
    EXPECT_FALSE(room->Button_Ready()->Enabled()) << "readiness is reset when the game ends anyway";
    EXPECT_EQ(ClickReady(), Sent{});

    // What an older client's readiness during the game left the server with: the seat listed ready.
    client.Deliver(kAllReady, 100);
    EXPECT_TRUE(room->StateReady());
    client.Deliver(kNobodyReady, 100);
    EXPECT_FALSE(room->StateReady()) << "the button follows the server's reset";
    EXPECT_EQ(room->Button_Ready()->ImgName().Waiting, "Button_Ready_1");
    EXPECT_TRUE(room->Button_Ready()->Enabled());
    EXPECT_EQ(room->Text_Ready()->Text(), "Ожидание Вашей готовности");
    client.Deliver(kBotsReady, 100);
    EXPECT_EQ(room->Text_Ready()->Text(), "Ожидание Вашей готовности") << "the game is over: bots wait";
    EXPECT_EQ(ClickReady(), Sent{"7;8;12;1;"}) << "one click is ready";
}

TEST_F(ReadinessSequence, EveryListSetsTheButtonToTheReadinessItGivesThisPlayer) {
    struct Step {
        const char *message; // a click when empty
        Sent sent;
        bool ready;
    };
    const Step steps[] = {
        {"", {"7;8;12;1;"}, true},
        {"7;6;12;4;0;Ann;1;1;Bob;1;2;Cid;1;3;Dan;0;", {}, true},
        {"7;6;12;4;0;Ann;0;1;Bob;1;2;Cid;1;3;Dan;0;", {}, false},
        {"", {"7;8;12;1;"}, true},
        {"", {"7;8;12;0;"}, false},
        {"7;6;12;2;1;Bob;1;2;Ann;1;", {}, true},
        // A list without this player (the seat was given up) is not this player's readiness.
        {"7;6;12;1;1;Bob;1;", {}, false},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(*s.message ? s.message : "click");
        if (*s.message) {
            client.Deliver(s.message, 100);
            EXPECT_EQ(client.TakeSent(), s.sent);
        } else {
            EXPECT_EQ(ClickReady(), s.sent);
        }
        ASSERT_NE(Room(), nullptr);
        EXPECT_EQ(Room()->StateReady(), s.ready);
    }
}

TEST_F(ReadinessSequence, WithEverySeatReadyTheCountdownRunsWithoutAWaitingMessage) {
    ASSERT_EQ(ClickReady(), Sent{"7;8;12;1;"});
    client.Deliver("7;6;12;4;0;Ann;1;1;Bob;1;2;Cid;0;3;Dan;1;", 100);
    EXPECT_EQ(Room()->Text_Ready()->Text(), "Ожидание готовности соперников") << "Cid is not ready";
    client.Deliver(kAllReady);
    client.Deliver("7;7;10;", 1000);
    EXPECT_EQ(Room()->Text_Time()->Text(), "09");
    EXPECT_EQ(Room()->Text_Ready()->Text(), "") << "nobody is waited for";
    client.Deliver("7;7;0;");
    EXPECT_EQ(Room()->Text_Ready()->Text(), "Ожидание готовности соперников") << "the count stopped";
}

} // namespace
