// The rating table's leaders, kept as ratings change, against the whole table sorted.
#include "netserver/Ratings.h"

#include "server/Random.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::net;

namespace {

std::vector<TRatingRow> Prefix(const std::vector<TRatingRow> &Rows, std::size_t Count) {
    return {Rows.begin(), Rows.begin() + static_cast<std::ptrdiff_t>(std::min(Count, Rows.size()))};
}

// The kept leaders are the whole table's best at every step: while players join, while leaders lose
// game after game and fall behind (past the kept margin), and after a load.
TEST(Ratings, TheKeptLeadersAreTheWholeTablesBest) {
    struct TCase {
        const char *Why;
        int Players;
        int LeaderLosses; // games the first leaders lose in a row at the end
    };
    const TCase cases[] = {
        {"fewer players than are asked for", 7, 0},
        {"many players", 400, 0},
        {"leaders fall back past the kept margin", 400, 600},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Why);
        TRatings ratings;
        server::TRandom rng(17);
        auto name = [](int P) { return QStringLiteral("p%1").arg(P); };
        auto play = [&](int Winner, int Loser, bool Bot) {
            server::TGameRecord game;
            game.Names = {name(Winner), name(Loser)};
            game.Bots = {false, Bot};
            game.Results = {1, 0};
            ratings.Apply(game);
            const std::vector<TRatingRow> all = ratings.Top(1 << 30);
            ASSERT_EQ(ratings.Top(TRatings::kTopAsked), Prefix(all, TRatings::kTopAsked));
            ASSERT_EQ(ratings.Top(3), Prefix(all, 3));
        };
        for (int g = 0; g < 3000; ++g) {
            const int a = rng.Below(c.Players), b = rng.Below(c.Players);
            if (a != b)
                play(a, b, g % 5 == 0);
        }
        const std::vector<TRatingRow> leaders = ratings.Top(TRatings::kTopAsked);
        for (int g = 0; g < c.LeaderLosses; ++g) {
            const TRatingRow &leader = leaders[static_cast<std::size_t>(g) % leaders.size()];
            play(leader.Name.mid(1).toInt() == 0 ? 1 : 0, leader.Name.mid(1).toInt(), false);
        }
        TRatings loaded;
        loaded.Load(ratings.Top(1 << 30));
        EXPECT_EQ(loaded.Top(TRatings::kTopAsked), ratings.Top(TRatings::kTopAsked));
    }
}

} // namespace
