// A player removed mid-bout, as the real client shows it: the server's 16 and then the abandoned bout's
// 13 with the refill, through the real dispatcher, controller and scene on a manual clock.
#include "HostileClient.h"

#include "scene/Table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

const char *const kNames[] = {"Ann", "Bob", "Cid", "Dan"};

// The game's start for Players players, Ann (id 0) this player with six cards, trump hearts.
std::string StartGame(int Players, int First) {
    std::string text = "7;9;" + std::to_string(Players) + ";30;";
    for (int id = 0; id < Players; ++id)
        text += std::to_string(id) + ";" + kNames[id] + ";";
    text += std::to_string(First) + ";3;13;" + std::to_string(36 - 6 * Players) + ";6;";
    text += "0;1;5;1;1;6;2;2;7;3;3;8;4;4;9;5;4;10;";
    return text;
}

uint8_t SeatOf(const scene::TTable &Table, const char *Name) {
    for (uint8_t seat = 2; seat <= 4; ++seat)
        if (Table.Player(seat)->NickBar()->Visible() &&
            Table.Player(seat)->NickBar()->Nick() == QLatin1String(Name))
            return seat;
    return kNoSeat;
}

int CardsOnTable(const scene::TTable &Table) {
    int count = 0;
    for (uint8_t slot = 0; slot < 2 * scene::TPlayingPlace::kSlots; ++slot)
        if (Table.PlayingPlace()->GetCard(slot).Suit != 0)
            ++count;
    return count;
}

// A bout is under way when a player is removed (two time-outs in a row): the server abandons the bout
// to the discard. With two players the one left has won at once; with more, the bout's players draw
// up again and the player to the removed one's left leads.
TEST(Removal, TheTableShowsTheRemovalTheDiscardAndTheRefillAtTwoThreeAndFourPlayers) {
    struct Case {
        int players, first;
        const char *attack, *cover; // the bout so far
        const char *removed, *removal, *end;
        int deck;
        const char *leader, *lead; // who leads next and the lead, or nullptr when the game is over
        int ownDraw;               // the card Ann draws, or -1
    };
    const Case cases[] = {
        // Bob attacks Ann and goes.
        {2, 1, "7;10;1;0;2;11;0;", nullptr, "Bob", "7;16;1;0;255;", "7;15;1;1;", 24, nullptr, nullptr, -1},
        // Ann attacks Bob, who covers and goes; Ann draws the king of diamonds, Cid leads against Ann.
        {3, 0, "7;10;0;1;1;5;0;", "7;14;0;1;0;0;1;9;", "Bob", "7;16;1;0;255;",
         "7;13;1;255;2;17;2;0;6;2;6;1;20;2;12;", 17, "Cid", "7;10;2;0;1;7;0;", 20},
        // Bob attacks Cid, who covers and goes; Bob draws, Dan leads against Ann.
        {4, 1, "7;10;1;2;2;11;0;", "7;14;0;2;1;0;2;13;", "Cid", "7;16;2;0;255;",
         "7;13;1;255;3;11;3;0;6;1;6;3;6;0;", 11, "Dan", "7;10;3;0;1;9;0;", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.players) + " players");
        THostileClient client;
        client.DriveTo(2);
        client.Deliver(StartGame(c.players, c.first), 3000);
        scene::TTable *table = client.Scene().Table();
        ASSERT_NE(table, nullptr);
        const uint8_t removed = SeatOf(*table, c.removed);
        ASSERT_NE(removed, kNoSeat);
        client.Deliver(c.attack, 1000);
        if (c.cover)
            client.Deliver(c.cover, 1000);
        EXPECT_EQ(CardsOnTable(*table), c.cover ? 2 : 1);
        client.TakeSent();

        client.Deliver(c.removal, 0);
        // At once: the seat is empty, the bout's cards are gone, no control or mark stays.
        EXPECT_FALSE(table->Player(removed)->NickBar()->Visible());
        EXPECT_EQ(table->Player(removed)->CountCard(), 0);
        EXPECT_EQ(CardsOnTable(*table), 0);
        EXPECT_FALSE(table->PickBitoButton()->Visible());
        for (uint8_t seat = 1; seat <= 4; ++seat) {
            EXPECT_FALSE(table->Player(seat)->Beat()) << int(seat);
            EXPECT_FALSE(table->Player(seat)->Take()) << int(seat);
        }
        client.Deliver(c.end, 10000);
        if (!c.leader) {
            EXPECT_EQ(client.Game().State(), 2);
        } else {
            // The refill: every hand in the game has six again, the stock is what the server says.
            EXPECT_EQ(client.Game().State(), 3);
            for (uint8_t seat = 1; seat <= 4; ++seat) {
                if (seat == kOwnSeat || table->Player(seat)->NickBar()->Visible()) {
                    EXPECT_EQ(table->Player(seat)->CountCard(), 6) << int(seat);
                }
            }
            EXPECT_EQ(table->Player(removed)->CountCard(), 0);
            EXPECT_EQ(table->CardDeck()->Count(), c.deck);
            EXPECT_EQ(CardsOnTable(*table), 0);
            if (c.ownDraw >= 0) {
                EXPECT_EQ(table->Player(kOwnSeat)->GetCardID(2, 12), c.ownDraw);
            }
            // The leader has the move, the pointer is on a seat that holds cards.
            const uint8_t leader = SeatOf(*table, c.leader);
            ASSERT_NE(leader, kNoSeat);
            EXPECT_TRUE(table->Player(leader)->NickBar()->Active());
            EXPECT_FALSE(table->Player(removed)->Beat());
            // The next bout is played on the cleared table, against Ann.
            client.Deliver(c.lead, 1000);
            EXPECT_EQ(CardsOnTable(*table), 1);
            EXPECT_EQ(table->Player(leader)->CountCard(), 5);
            EXPECT_EQ(table->TableState(), scene::TTable::kStateCover);
        }
        EXPECT_EQ(client.Boxes(), std::vector<std::string>{});
        EXPECT_EQ(client.Deaths(), std::vector<std::string>{});
        for (const std::string &sent : client.TakeSent())
            EXPECT_NE(sent.rfind("23;", 0), 0u) << sent;
    }
}

} // namespace
