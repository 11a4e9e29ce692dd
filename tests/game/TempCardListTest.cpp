#include "game/TempCardList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trelvo;

namespace {

// Four named cards: A (id 1), B (id 2), C (id 3), D (id 4).
void AddABCD(TTempCardList &list) {
    list.AddCard(1, 1, 5);
    list.AddCard(2, 2, 6);
    list.AddCard(3, 3, 7);
    list.AddCard(4, 4, 8);
}

std::vector<int> DrainFromFront(TTempCardList &list) {
    std::vector<int> ids;
    uint8_t id = 0, suit = 0, dignity = 0;
    while (list.GetCard(id, suit, dignity))
        ids.push_back(id);
    return ids;
}

} // namespace

TEST(TempCardList, TakingFromIndexZeroYieldsFirstThenFromTheBack) {
    TTempCardList list;
    AddABCD(list);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(DrainFromFront(list), (std::vector<int>{1, 4, 3, 2})); // A, D, C, B
    EXPECT_EQ(list.Count(), 0);
}

TEST(TempCardList, IndexZeroFormHandsOverTheFace) {
    TTempCardList list;
    list.AddCard(9, 3, 11);
    uint8_t id = 0, suit = 0, dignity = 0;
    ASSERT_TRUE(list.GetCard(id, suit, dignity));
    EXPECT_EQ(std::vector<int>({id, suit, dignity}), std::vector<int>({9, 3, 11}));
    // Asked once more on the empty list it yields "no card" instead of reading past the end.
    EXPECT_FALSE(list.GetCard(id, suit, dignity));
    EXPECT_EQ(id, kNoCard);
}

TEST(TempCardList, GetCardByFace) {
    struct Case {
        const char *name;
        std::vector<TSrvCardID> cards;
        uint8_t suit, dignity;
        int id;
        std::vector<int> rest; // the ids left, as the index-0 form then takes them
    };
    const Case cases[] = {
        {"empty list", {}, 1, 5, 255, {}},
        {"card not there", {{1, 1, 5}, {2, 2, 6}}, 3, 7, 255, {1, 2}},
        {"equal faces: the lower index wins", {{7, 3, 9}, {8, 3, 9}}, 3, 9, 7, {8}},
        // [1,2,3,4] minus 2 is [1,4,3]: taken as 1, then the last (3), then 4.
        {"the last entry fills the hole", {{1, 1, 5}, {2, 2, 6}, {3, 3, 7}, {4, 4, 8}}, 2, 6, 2, {1, 3, 4}},
        {"removing the last entry", {{1, 1, 5}, {2, 2, 6}}, 2, 6, 2, {1}},
        {"suit must match too", {{1, 1, 5}, {2, 2, 5}}, 2, 5, 2, {1}},
    };
    for (const Case &c : cases) {
        TTempCardList list;
        for (const TSrvCardID &card : c.cards)
            list.AddCard(card.ID, card.Suit, card.Dignity);
        EXPECT_EQ(list.GetCard(c.suit, c.dignity), c.id) << c.name;
        EXPECT_EQ(DrainFromFront(list), c.rest) << c.name;
    }
}

TEST(TempCardList, CleanResetsEverythingButTheDeck) {
    TTempCardList list;
    AddABCD(list);
    list.SetCountDeck(17);
    list.PlayerCountCard(2, 6);
    list.PlayerCountCard(4, 3);
    list.SetNextPlayer(2);
    list.SetEndGame(true);
    list.SetWinState(1);
    TPlayerList seats;
    seats[2] = {QStringLiteral("Bob"), true};
    list.SetPlayerList(seats);

    list.Clean();

    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.CountDeck(), 17);
    EXPECT_EQ(list.Player(), (TTempCardList::TPlayerCounts{-1, -1, -1}));
    EXPECT_EQ(list.NextPlayer(), -1);
    EXPECT_FALSE(list.EndGame());
    EXPECT_EQ(list.WinState(), 3);
    EXPECT_EQ(list.PlayerList(), TPlayerList{});
}

TEST(TempCardList, CreatedClean) {
    TTempCardList list;
    EXPECT_EQ(list.Player(), (TTempCardList::TPlayerCounts{-1, -1, -1}));
    EXPECT_EQ(list.NextPlayer(), -1);
    EXPECT_EQ(list.WinState(), 3);
    EXPECT_FALSE(list.EndGame());
}

TEST(TempCardList, PlayerCountCardKeepsOnlySeatsTwoToFour) {
    TTempCardList list;
    list.ResetPlayerCount();
    for (uint8_t seat : {uint8_t(0), uint8_t(1), uint8_t(5), uint8_t(255)})
        list.PlayerCountCard(seat, 9);
    EXPECT_EQ(list.Player(), (TTempCardList::TPlayerCounts{-1, -1, -1}));
    list.PlayerCountCard(2, 6);
    list.PlayerCountCard(3, 0);
    list.PlayerCountCard(4, 12);
    EXPECT_EQ(list.Player(), (TTempCardList::TPlayerCounts{6, 0, 12}));
    list.ResetPlayerCount();
    EXPECT_EQ(list.Player(), (TTempCardList::TPlayerCounts{-1, -1, -1}));
}

TEST(TempCardList, CountIsAByteButSizeIsNot) {
    TTempCardList list;
    for (int i = 0; i < 256; ++i)
        list.AddCard(static_cast<uint8_t>(i), 1, 5);
    EXPECT_EQ(list.Count(), 0); // wraps, as the byte it is
    EXPECT_EQ(list.Size(), 256u);
}
