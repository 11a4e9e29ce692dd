#pragma once

#include "server/GameServer.h"

#include <QString>

#include <map>
#include <vector>

// Elo ratings of the people who play on trelvo-server (docs/ratings.md has the formula and why).
namespace trelvo::net {

struct TRatingOptions {
    double Initial = 1500; // a newcomer's rating
    double K = 32;         // the most a two-player game can move a rating
    double BotRating = 1500;
    double BotFactor = 0.5; // a pair with a bot in it counts this much
};

// One person's standing. Key is the case-folded name: the server's names are unique that way.
struct TRatingRow {
    QString Key;
    QString Name;
    double Rating = 0;
    int Games = 0;
    int Losses = 0;
    bool operator==(const TRatingRow &) const = default;
};

class TRatings {
public:
    explicit TRatings(TRatingOptions Options = {}) : FOptions(Options) {}

    // Starts from rows read back from the store.
    void Load(const std::vector<TRatingRow> &Rows);
    // Rates one finished game; returns the rows it changed (people only, bots keep their rating).
    std::vector<TRatingRow> Apply(const server::TGameRecord &Record);

    // The standing of a name; a stranger gets the initial rating and no games.
    TRatingRow Of(const QString &Name) const;
    // The best Count people, highest rating first (ties: more games, then the name). Up to kTopKept
    // come from the kept leaders without looking at anyone else.
    std::vector<TRatingRow> Top(int Count) const;
    const TRatingOptions &Options() const { return FOptions; }

    // Leaders kept in order: the rating table asks for 20, and the rest are a margin for leaders who
    // fall back, so that the whole table is sorted again only after many of them have.
    static constexpr int kTopKept = 64;
    static constexpr int kTopAsked = 20;

private:
    void Sort(std::vector<TRatingRow> &Rows, std::size_t Count) const;
    void KeepLeaders();
    void Rerank(const TRatingRow &Row);

    TRatingOptions FOptions;
    std::map<QString, TRatingRow> FRows;
    // The best FTop.size() rows of all, in order: nobody outside ranks above its last.
    std::vector<TRatingRow> FTop;
};

// The Elo expectation of a player rated Own against one rated Other.
double EloExpected(double Own, double Other);

} // namespace trelvo::net
