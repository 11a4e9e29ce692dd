#include "netserver/Recorder.h"

#include <QDateTime>

#include <cmath>

namespace trelvo::net {

namespace {

TTopRow Row(const TRatingRow &Rating) {
    return {Rating.Name, static_cast<int>(std::lround(Rating.Rating)), Rating.Games, Rating.Losses};
}

} // namespace

void TRecorder::GameOver(const server::TGameRecord &Record) {
    const std::int64_t at = Now ? Now() : QDateTime::currentMSecsSinceEpoch();
    TStoreWrite write;
    write.Game = StoredGame(Record, at);
    write.Ratings = FRatings.Apply(Record);
    if (!FGate) {
        FWriter.Enqueue(std::move(write));
        return;
    }
    const std::uint64_t ticket = FGate->Hold(Record.Conns);
    const bool queued = FWriter.Enqueue(std::move(write), [this, ticket](bool) {
        QMetaObject::invokeMethod(
            &FContext, [this, ticket] { FGate->Release(ticket); }, Qt::QueuedConnection);
    });
    // A queue full of writes the disk does not take: the game is lost already (and logged); its players
    // are not kept waiting as well.
    if (!queued)
        FGate->Release(ticket);
}

TTopAnswer TRecorder::Top(const QString &Name, int Count) const {
    TTopAnswer answer;
    for (const TRatingRow &row : FRatings.Top(Count))
        answer.Rows.push_back(Row(row));
    answer.Own = Row(FRatings.Of(Name));
    answer.Own.Name.clear();
    return answer;
}

QString TopText(const std::vector<TRatingRow> &Rows) {
    QString text = QStringLiteral("%1  %2  %3  %4  %5\n")
                       .arg(QStringLiteral("#"), 4)
                       .arg(QStringLiteral("name"), -32)
                       .arg(QStringLiteral("rating"), 6)
                       .arg(QStringLiteral("games"), 6)
                       .arg(QStringLiteral("lost"), 6);
    int place = 1;
    for (const TRatingRow &row : Rows)
        text += QStringLiteral("%1  %2  %3  %4  %5\n")
                    .arg(place++, 4)
                    .arg(row.Name, -32)
                    .arg(std::lround(row.Rating), 6)
                    .arg(row.Games, 6)
                    .arg(row.Losses, 6);
    return text;
}

QString SummaryText(const TStatsSummary &Summary) {
    QString text =
        QStringLiteral("usage reports: %1 (%2 redirected through another client)\nserver reports: %3\n")
            .arg(Summary.Reports)
            .arg(Summary.Redirected)
            .arg(Summary.ServerReports);
    const auto group = [&](const char *Title, const std::vector<std::pair<QString, int>> &Counts) {
        text += QStringLiteral("\nby %1:\n").arg(QLatin1String(Title));
        for (const auto &[value, count] : Counts)
            text += QStringLiteral("%1  %2\n")
                        .arg(count, 8)
                        .arg(value.isEmpty() ? QStringLiteral("(none)") : value);
    };
    group("system", Summary.BySystem);
    group("screen size", Summary.ByScreen);
    group("version", Summary.ByVersion);
    return text;
}

} // namespace trelvo::net
