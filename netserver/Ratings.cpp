#include "netserver/Ratings.h"

#include <algorithm>
#include <cmath>

namespace trelvo::net {

namespace {

// How a seat finished, best first: went out, left with others at the end, stayed with cards.
int Rank(int Result) {
    switch (Result) {
    case 1:
        return 2;
    case 2:
        return 1;
    default:
        return 0;
    }
}

// Higher rating first, then more games, then the name.
bool Better(const TRatingRow &A, const TRatingRow &B) {
    if (A.Rating != B.Rating)
        return A.Rating > B.Rating;
    if (A.Games != B.Games)
        return A.Games > B.Games;
    return A.Key < B.Key;
}

} // namespace

double EloExpected(double Own, double Other) {
    return 1.0 / (1.0 + std::pow(10.0, (Other - Own) / 400.0));
}

void TRatings::Load(const std::vector<TRatingRow> &Rows) {
    FRows.clear();
    for (const TRatingRow &row : Rows)
        FRows[row.Key] = row;
    KeepLeaders();
}

TRatingRow TRatings::Of(const QString &Name) const {
    const QString key = Name.toCaseFolded();
    auto it = FRows.find(key);
    if (it != FRows.end())
        return it->second;
    return {key, Name, FOptions.Initial, 0, 0};
}

std::vector<TRatingRow> TRatings::Apply(const server::TGameRecord &Record) {
    const int n = static_cast<int>(Record.Results.size());
    if (n < 2 || static_cast<int>(Record.Names.size()) != n || static_cast<int>(Record.Bots.size()) != n)
        return {};
    std::vector<double> before(n), delta(n, 0.0);
    for (int i = 0; i < n; ++i)
        before[i] = Record.Bots[i] ? FOptions.BotRating : Of(Record.Names[i]).Rating;
    // Each seat meets every other once, with the game's K shared among its n - 1 meetings; two who
    // both went out are not compared: the order in which winners leave says little.
    const double k = FOptions.K / (n - 1);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            const int ri = Rank(Record.Results[i]), rj = Rank(Record.Results[j]);
            if (ri == 2 && rj == 2)
                continue;
            const double score = ri > rj ? 1.0 : ri < rj ? 0.0 : 0.5;
            const double factor = Record.Bots[i] || Record.Bots[j] ? FOptions.BotFactor : 1.0;
            const double change = k * factor * (score - EloExpected(before[i], before[j]));
            delta[i] += change;
            delta[j] -= change;
        }
    std::vector<TRatingRow> changed;
    for (int i = 0; i < n; ++i) {
        if (Record.Bots[i])
            continue;
        TRatingRow row = Of(Record.Names[i]);
        row.Name = Record.Names[i];
        row.Rating = before[i] + delta[i];
        ++row.Games;
        if (Record.Results[i] == 0)
            ++row.Losses;
        FRows[row.Key] = row;
        Rerank(row);
        changed.push_back(row);
    }
    return changed;
}

std::vector<TRatingRow> TRatings::Top(int Count) const {
    const std::size_t count =
        std::min<std::size_t>(FRows.size(), static_cast<std::size_t>(std::max(0, Count)));
    if (count <= FTop.size())
        return {FTop.begin(), FTop.begin() + static_cast<std::ptrdiff_t>(count)};
    std::vector<TRatingRow> rows;
    rows.reserve(FRows.size());
    for (const auto &[key, row] : FRows)
        rows.push_back(row);
    Sort(rows, count);
    return rows;
}

void TRatings::Sort(std::vector<TRatingRow> &Rows, std::size_t Count) const {
    std::partial_sort(Rows.begin(), Rows.begin() + static_cast<std::ptrdiff_t>(Count), Rows.end(), Better);
    Rows.resize(Count);
}

void TRatings::KeepLeaders() {
    FTop.clear();
    FTop.reserve(kTopKept);
    for (const auto &[key, row] : FRows)
        FTop.push_back(row);
    Sort(FTop, std::min<std::size_t>(FTop.size(), kTopKept));
}

void TRatings::Rerank(const TRatingRow &Row) {
    const auto old =
        std::find_if(FTop.begin(), FTop.end(), [&](const TRatingRow &r) { return r.Key == Row.Key; });
    if (old != FTop.end())
        FTop.erase(old);
    // The kept rows are still the best of the others; Row joins them if it ranks above their last, or
    // when they are everybody else.
    const bool everybodyElse = FTop.size() + 1 == FRows.size();
    if (everybodyElse || (!FTop.empty() && Better(Row, FTop.back()))) {
        FTop.insert(std::upper_bound(FTop.begin(), FTop.end(), Row, Better), Row);
        if (FTop.size() > kTopKept)
            FTop.pop_back();
    }
    // Too many leaders fell back: who follows them is known only from the whole table.
    if (FTop.size() < std::min<std::size_t>(kTopAsked, FRows.size()))
        KeepLeaders();
}

} // namespace trelvo::net
