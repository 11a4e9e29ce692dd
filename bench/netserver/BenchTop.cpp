#include "BenchTop.h"

#include "netserver/Recorder.h"
#include "protocol/Session.h"
#include "netserver/StoreWriter.h"
#include "server/Random.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace trelvo;
using namespace trelvo::net;

namespace {

double P99Ms(std::vector<qint64> Ns) {
    std::sort(Ns.begin(), Ns.end());
    return Ns.empty() ? 0 : Ns[std::min(Ns.size() - 1, Ns.size() * 99 / 100)] / 1e6;
}

} // namespace

void BenchTop(int Players) {
    // Games come far faster than a disk takes them here: the store's dropped writes are not the figure.
    QLoggingCategory::setFilterRules(QStringLiteral("trelvo.server.warning=false"));
    server::TRandom rng(7);
    std::vector<TRatingRow> rows;
    rows.reserve(static_cast<std::size_t>(Players));
    for (int p = 0; p < Players; ++p) {
        const QString name = QStringLiteral("player %1").arg(p);
        rows.push_back(
            {name.toCaseFolded(), name, 1000.0 + rng.Below(1000000) / 1000.0, 1 + rng.Below(200), 0});
    }
    TRatings ratings;
    ratings.Load(rows);
    QTemporaryDir dir;
    TStoreWriter writer(dir.filePath(QStringLiteral("top.sqlite")));
    TRecorder recorder(ratings, writer);

    // Between requests, games: often among the leaders (their ratings move the kept top), else anyone.
    const std::vector<TRatingRow> leaders = ratings.Top(TRatings::kTopAsked);
    std::vector<qint64> requests, games;
    QElapsedTimer clock;
    for (int i = 0; i < 20000; ++i) {
        server::TGameRecord game;
        for (int s = 0; s < 2; ++s) {
            const bool leader = rng.Below(3) == 0;
            game.Names.push_back(leader
                                     ? leaders[static_cast<std::size_t>(rng.Below(TRatings::kTopAsked))].Name
                                     : rows[static_cast<std::size_t>(rng.Below(Players))].Name);
            game.Bots.push_back(false);
            game.Slots.push_back(s);
        }
        if (game.Names[0] == game.Names[1])
            continue;
        game.Results = {rng.Below(2), 0};
        game.Results[1] = 1 - game.Results[0];
        clock.start();
        recorder.GameOver(game);
        games.push_back(clock.nsecsElapsed());
        const QString &asker = rows[static_cast<std::size_t>(rng.Below(Players))].Name;
        clock.start();
        const QString answer = BuildTopAnswer(recorder.Top(asker));
        requests.push_back(clock.nsecsElapsed());
        if (answer.isEmpty())
            std::printf("empty answer\n");
    }
    // Before the kept leaders: every request copied and sorted the whole table.
    std::vector<qint64> sorted;
    for (int i = 0; i < 20; ++i) {
        clock.start();
        const auto all = ratings.Top(TRatings::kTopKept + 1);
        sorted.push_back(clock.nsecsElapsed());
    }
    writer.Stop(true);
    QLoggingCategory::setFilterRules(QString());
    std::printf("top; with %d rated players, %zu requests between %zu games\n", Players, requests.size(),
                games.size());
    std::printf("  top; answer p99          %8.3f ms   (goal <= 1 ms)\n", P99Ms(requests));
    std::printf("  top; sorting every time  %8.3f ms   (p99, the way before the kept leaders)\n",
                P99Ms(sorted));
    std::printf("  game over, ratings kept  %8.3f ms   (p99)\n", P99Ms(games));
}
