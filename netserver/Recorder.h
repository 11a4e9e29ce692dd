#pragma once

#include "netserver/Ratings.h"
#include "netserver/ResultGate.h"
#include "protocol/Session.h"
#include "netserver/StoreWriter.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

namespace trelvo::net {

// Between the game server and the store: rates each finished game at once (the table and "top;" read
// the ratings in memory) and queues the game with the ratings it changed for the writer. With a gate,
// the game's players hear the result only once the writer has made the game durable: the writer's
// word comes back to this (the game's) thread as a posted event.
class TRecorder {
public:
    TRecorder(TRatings &Ratings, TStoreWriter &Writer, TResultGate *Gate = nullptr)
        : FRatings(Ratings), FWriter(Writer), FGate(Gate) {}

    void GameOver(const server::TGameRecord &Record);
    // The best Count and the standing of Name.
    TTopAnswer Top(const QString &Name, int Count = kTopRows) const;

    // The wall clock of a record (tests fix it).
    std::function<std::int64_t()> Now;

private:
    TRatings &FRatings;
    TStoreWriter &FWriter;
    TResultGate *FGate;
    // Lives on the game's thread: the writer's word is posted to it.
    QObject FContext;
};

// A rating table in rows of text, for --top.
QString TopText(const std::vector<TRatingRow> &Rows);
// The statistics reports' counts in rows of text, for --stats-summary.
QString SummaryText(const TStatsSummary &Summary);

} // namespace trelvo::net
