// A hostile or broken game server against the real client: the dispatcher, the controller and the real
// scene offscreen. Whatever it sends, the client neither dies nor opens a box, answers the next message,
// and keeps what it holds on screen bounded.
#include "HostileClient.h"

#include "lobby/WindowShowPlayer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

struct Case {
    int state;           // the controller state the message arrives in
    const char *message; // from the host
    int errors;          // 23s sent for fields that did not convert
};

const Case kHostileCases[] = {
    // A result out of range (any result from 4 on), shown at once or after the round.
    {3, "7;15;4;1;", 0},
    {3, "7;15;255;1;", 0},
    {5, "7;15;9;0;", 0},
    {6, "7;15;x;1;", 1},
    // A card that does not exist, dealt at the end of a bout.
    {3, "7;13;1;255;0;20;1;1;6;1;30;9;9;", 0},
    {3, "7;13;0;1;0;20;1;1;6;2;30;0;5;31;2;14;", 0},
    {3, "7;13;1;255;0;20;1;1;6;1;30;x;5;", 1},
    {5, "7;13;0;0;1;20;1;1;6;1;30;1;0;", 0},
    // Attacks with cards the deck cannot hold, or by somebody not at the table.
    {3, "7;10;1;0;3;0;0;", 0},
    {3, "7;10;1;0;5;10;0;", 0},
    {4, "7;10;1;0;3;200;1;", 0},
    {3, "7;10;1;0;x;10;0;", 1},
    {3, "7;10;9;0;3;10;0;", 0},
    {6, "7;10;0;1;0;0;0;", 0},
    // Covers of a place that does not exist, with a card that does not exist, by nobody at the table.
    {4, "7;14;2;1;0;9;3;12;", 0},
    {4, "7;14;2;1;0;255;3;12;", 0},
    {4, "7;14;2;1;0;0;0;12;", 0},
    {4, "7;14;2;1;0;0;3;99;", 0},
    {4, "7;14;0;7;0;0;3;12;", 0},
    {3, "7;14;0;0;0;8;", 0},
    {4, "7;14;2;1;0;x;3;12;", 1},
    // Games that cannot be laid out: a hand card, a trump, a player id, a player count out of range.
    {2, "7;9;2;30;0;Ann;1;Bob;0;4;13;24;2;7;1;5;8;9;11;", 0},
    {2, "7;9;2;30;0;Ann;1;Bob;0;4;13;24;2;7;1;0;8;3;11;", 0},
    {2, "7;9;2;30;0;Ann;1;Bob;0;9;13;24;0;", 0},
    {2, "7;9;2;30;0;Ann;1;Bob;0;4;14;24;0;", 0},
    {2, "7;9;2;30;0;Ann;1;Bob;0;0;0;24;0;", 0},
    {2, "7;9;2;30;0;Ann;9;Bob;0;4;13;24;0;", 0},
    {2, "7;9;2;30;0;Ann;0;Bob;0;4;13;24;0;", 0},
    {2, "7;9;5;30;0;A;1;B;2;C;3;D;4;Ann;0;4;13;24;0;", 0},
    {2, "7;9;2;30;0;Ann;1;Bob;0;x;13;24;0;", 1},
    // Ids nobody holds in the other reports of a game.
    {3, "7;11;9;9;", 0},
    {4, "7;11;7;0;", 0},
    {3, "7;12;9;", 0},
    {3, "7;16;9;0;9;", 0},
    {3, "7;16;9;0;1;", 0},
    {3, "7;13;0;9;9;20;1;9;6;0;", 0},
    // Table ids at the end of the integer range.
    {1, "7;3;2147483647", 0},
    {2, "7;3;2147483647", 0},
    {2, "7;6;2147483647;1;0;Ann;1;", 0},
    {2, "7;6;-2147483648;1;0;Ann;1;", 0},
};

std::string Describe(const Case &c) {
    return "state " + std::to_string(c.state) + ": " + c.message;
}

TEST(HostileInputTest, NoMessageKillsTheClientOpensABoxOrStopsItsAnswers) {
    for (const Case &c : kHostileCases) {
        SCOPED_TRACE(Describe(c));
        THostileClient client;
        client.DriveTo(c.state);
        ASSERT_EQ(client.Game().State(), c.state);
        // Long enough for every animation, the round's end and the result's display.
        client.Deliver(c.message, 20000);
        // The round's end waits for the scene; then the next round and the end of the game come.
        client.Deliver("7;13;1;255;0;20;1;1;6;0;", 20000);
        client.Deliver("7;15;1;1;", 20000);
        EXPECT_EQ(client.Deaths(), std::vector<std::string>{});
        EXPECT_EQ(client.Boxes(), std::vector<std::string>{});
        const std::vector<std::string> sent = client.TakeSent();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "23;0"), c.errors);
        client.Deliver("7;1;1;77;abc;");
        EXPECT_EQ(client.TakeSent(), std::vector<std::string>{"11;77"});
        client.Deliver("7;3;4");
        client.Deliver("7;6;4;1;0;Ann;1;", 20000);
        EXPECT_EQ(client.Deaths(), std::vector<std::string>{});
        EXPECT_EQ(client.Boxes(), std::vector<std::string>{});
    }
}

// Ids nobody holds are passed on as "no seat" and the scene shows what it can; a value that converted but
// names no card, place, seat or result is refused whole, and nothing changes.
TEST(HostileInputTest, AValueOutOfRangeLeavesTheGameAsItWas) {
    struct Refused {
        int state;
        const char *message;
    };
    const Refused cases[] = {
        {3, "7;10;1;0;3;0;0;"},
        {3, "7;10;1;0;5;10;0;"},
        {4, "7;14;2;1;0;9;3;12;"},
        {4, "7;14;2;1;0;0;0;12;"},
        {2, "7;9;2;30;0;Ann;1;Bob;0;9;13;24;0;"},
        {2, "7;9;2;30;0;Ann;9;Bob;0;4;13;24;0;"},
        {2, "7;9;2;30;0;Ann;0;Bob;0;4;13;24;0;"},
        {3, "7;15;4;1;"},
    };
    for (const Refused &c : cases) {
        SCOPED_TRACE(std::to_string(c.state) + ": " + c.message);
        THostileClient client;
        client.DriveTo(c.state);
        const scene::TTable *table = client.Scene().Table();
        const int onTable = table ? table->CountCardGo() : -1;
        client.Deliver(c.message, 5000);
        EXPECT_EQ(client.Game().State(), c.state);
        EXPECT_EQ(client.Scene().Table() ? client.Scene().Table()->CountCardGo() : -1, onTable);
        EXPECT_EQ(client.TakeSent(), std::vector<std::string>{});
    }
}

TEST(HostileInputTest, AHandCardOutOfRangeIsLeftOutAndTheRestIsDealt) {
    THostileClient client;
    client.DriveTo(2);
    client.Deliver("7;9;2;30;0;Ann;1;Bob;0;4;13;24;3;7;1;5;8;9;11;9;2;3;", 5000);
    ASSERT_NE(client.Scene().Table(), nullptr);
    EXPECT_EQ(client.Scene().Table()->Player(kOwnSeat)->CardList()->Count(), 2);
    client.Deliver("7;13;1;255;0;20;1;1;6;3;30;9;9;31;2;2;32;3;3;", 20000);
    EXPECT_EQ(client.Scene().Table()->Player(kOwnSeat)->CardList()->Count(), 4);
    EXPECT_EQ(client.Deaths(), std::vector<std::string>{});
}

TEST(HostileInputTest, TheWaitingRoomShowsTheLastTableIdWithoutOverflow) {
    struct Number {
        const char *message;
        int shown;
    };
    const Number cases[] = {
        {"7;3;2147483647", INT_MAX},
        {"7;3;2147483646", INT_MAX},
    };
    for (const Number &c : cases) {
        SCOPED_TRACE(c.message);
        THostileClient client;
        client.DriveTo(2);
        client.Deliver(c.message, 1000);
        ASSERT_NE(client.Scene().Window_Players(), nullptr);
        EXPECT_EQ(client.Scene().Window_Players()->TableID(), c.shown);
        client.Deliver("7;6;2147483647;1;0;Ann;1;", 1000);
        EXPECT_EQ(client.Scene().Window_Players()->TableID(), INT_MAX);
    }
}

TEST(HostileInputTest, MessageBoxesStayFewAndARepeatRefreshesTheOneShown) {
    THostileClient client;
    client.DriveTo(1);
    TWindowShowMessage &boxes = client.Scene().WindowShowMessage();
    for (int i = 0; i < 200; ++i)
        client.Deliver("8;");
    EXPECT_EQ(boxes.Count(), 1);

    // Every message the server can make the client show, again and again: the oldest makes room.
    TWeakRef<TWindowMessage> first(boxes.Window(0));
    const char *shown[] = {"9;", "7;1;0;", "7;1;2;", "7;4;", "8;"};
    for (int round = 0; round < 50; ++round) {
        for (const char *message : shown) {
            client.Deliver(message);
            EXPECT_LE(boxes.Count(), TWindowShowMessage::kMaxBoxes);
        }
    }
    client.Run(0);
    EXPECT_FALSE(first);
    EXPECT_EQ(boxes.Count(), TWindowShowMessage::kMaxBoxes);
    EXPECT_EQ(client.Boxes(), std::vector<std::string>{});
}

TEST(HostileInputTest, ARepeatedMessageStaysOpenFiveMinutesFromItsLastRepeat) {
    THostileClient client;
    client.DriveTo(1);
    TWindowShowMessage &boxes = client.Scene().WindowShowMessage();
    client.Deliver("9;");
    TWeakRef<TWindowMessage> shown(boxes.Window(0));
    client.Run(TWindowShowMessage::kAutoCloseMs - 1000);
    client.Deliver("9;");
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Window(0), shown.Get());
    client.Run(TWindowShowMessage::kAutoCloseMs - 1000);
    EXPECT_EQ(boxes.Count(), 1);
    client.Run(2000);
    EXPECT_EQ(boxes.Count(), 0);
}

} // namespace
