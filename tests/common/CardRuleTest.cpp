#include "common/CardRule.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace trelvo;

namespace {

struct TFace {
    int Suit = 0;
    int Dignity = 0;
};

struct TCase {
    const char *Why;
    TFace Card, Attack;
    int Trump;
    bool Beats;
};

constexpr int kClubs = 1, kDiamonds = 2, kHearts = 3, kSpades = 4;

} // namespace

TEST(CardRule, WhichCardBeatsWhich) {
    const TCase cases[] = {
        {"higher of the same suit", {kClubs, 9}, {kClubs, 8}, kHearts, true},
        {"lower of the same suit", {kClubs, 7}, {kClubs, 8}, kHearts, false},
        {"equal card", {kClubs, 8}, {kClubs, 8}, kHearts, false},
        {"higher of another plain suit", {kSpades, 13}, {kClubs, 6}, kHearts, false},
        {"lowest trump over the highest plain card", {kHearts, 5}, {kDiamonds, 13}, kHearts, true},
        {"highest plain card under the lowest trump", {kDiamonds, 13}, {kHearts, 5}, kHearts, false},
        {"higher trump over trump", {kHearts, 12}, {kHearts, 11}, kHearts, true},
        {"lower trump under trump", {kHearts, 10}, {kHearts, 11}, kHearts, false},
        {"dignities from two up: a trump two over an ace", {kHearts, 1}, {kClubs, 13}, kHearts, true},
        {"an empty place is nothing to beat, even for a trump", {kHearts, 13}, {0, 0}, kHearts, false},
        {"a card seen from the back is nothing to beat", {kClubs, 13}, {kClubs, 0}, kHearts, false},
        {"no suit is trump before the game: only the suit counts", {kHearts, 6}, {kClubs, 5}, 0, false},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(Beats(c.Card, c.Attack, c.Trump), c.Beats) << c.Why;
}

// A throw-in adds a rank already on the table (an attack's or a cover's); a transfer takes the first
// attack's rank; a card seen from the back or an empty place has no rank.
TEST(CardRule, RanksOnTheTable) {
    struct TRankCase {
        const char *Why;
        TFace Card;
        std::vector<TFace> Table;
        bool OnTable;
    };
    const TRankCase cases[] = {
        {"an attack's rank", {kClubs, 9}, {{kHearts, 9}}, true},
        {"a cover's rank", {kClubs, 12}, {{kHearts, 9}, {kHearts, 12}}, true},
        {"a rank nowhere on the table", {kClubs, 10}, {{kHearts, 9}, {kHearts, 12}}, false},
        {"an empty table", {kClubs, 10}, {}, false},
        {"empty places match nothing", {kClubs, 0}, {{0, 0}, {kHearts, 0}}, false},
        {"a card seen from the back matches nothing", {0, 9}, {{kHearts, 9}}, false},
    };
    for (const TRankCase &c : cases)
        EXPECT_EQ(RankOnTable(c.Card, c.Table), c.OnTable) << c.Why;
    EXPECT_TRUE(TransfersWith(TFace{kClubs, 9}, TFace{kHearts, 9}));
    EXPECT_FALSE(TransfersWith(TFace{kClubs, 10}, TFace{kClubs, 9})) << "a cover is no transfer";
    EXPECT_FALSE(TransfersWith(TFace{kClubs, 0}, TFace{kHearts, 0})) << "no card";
    // Places of an attack and maybe a cover, as the server keeps them.
    struct TPlace {
        TFace Attack, Cover;
    };
    const std::vector<TPlace> places = {{{kSpades, 7}, {kSpades, 8}}, {{kDiamonds, 6}, {}}};
    auto cardsOf = [](const TPlace &p) { return std::array{p.Attack, p.Cover}; };
    EXPECT_TRUE(RankOnTable(TFace{kHearts, 8}, places, cardsOf));
    EXPECT_TRUE(RankOnTable(TFace{kHearts, 6}, places, cardsOf));
    EXPECT_FALSE(RankOnTable(TFace{kHearts, 9}, places, cardsOf));
}

// The cards one bout may hold: six, five in the first bout on "at most five", and never more than the
// defender held.
TEST(CardRule, TheAttackCap) {
    struct TCapCase {
        bool MaxFive;
        int Bout, DefenderCards, Cap;
    };
    const TCapCase cases[] = {
        {false, 0, 6, 6}, {true, 0, 6, 5},  {true, 1, 6, 6},
        {true, 0, 3, 3},  {false, 4, 9, 6}, {false, 4, 2, 2},
    };
    for (const TCapCase &c : cases)
        EXPECT_EQ(AttackCap(c.MaxFive, c.Bout, c.DefenderCards), c.Cap)
            << c.MaxFive << " bout " << c.Bout << " defender " << c.DefenderCards;
}

// The turn goes clockwise to the next player still in the game, past those who went out, and to nobody
// when all are.
TEST(CardRule, TheNextPlayerStillInTheGame) {
    struct TNextCase {
        std::vector<bool> In;
        int After, Next;
    };
    const TNextCase cases[] = {
        {{true, true, true, true}, 1, 2},    {{true, true, true, true}, 3, 0},
        {{true, false, false, true}, 0, 3},  {{true, true, false, false}, 1, 0},
        {{false, true, false, false}, 1, 1}, {{false, false, false}, 0, -1},
    };
    for (const TNextCase &c : cases)
        EXPECT_EQ(NextInGame(c.After, static_cast<int>(c.In.size()), [&](int p) { return c.In[p]; }), c.Next)
            << "after " << c.After;
}

// The deck: every face once, in suit and rank order, at its DeckIndex; nothing outside it is a face.
TEST(CardRule, TheDecksRanges) {
    const auto deck = DeckInOrder();
    for (int i = 0; i < kDeckSize; ++i) {
        EXPECT_TRUE(InDeck(deck[i]));
        EXPECT_EQ(DeckIndex(deck[i]), i);
    }
    EXPECT_EQ(deck.front().Dignity, kLowestDignity);
    EXPECT_EQ(deck.back().Suit, kLastSuit);
    const TFace outside[] = {{0, 9}, {5, 9}, {kClubs, 4}, {kClubs, 14}, {kClubs, 0}};
    for (const TFace &f : outside)
        EXPECT_FALSE(InDeck(f)) << f.Suit << "/" << f.Dignity;
}
