#include "common/CardRule.h"

#include <gtest/gtest.h>

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
