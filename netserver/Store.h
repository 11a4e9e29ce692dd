#pragma once

#include "netserver/Ratings.h"
#include "server/GameServer.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// trelvo-server's store: one SQLite file of finished games, ratings and statistics reports. TStoreDb is
// the file itself, used by one thread at a time; TStoreWriter (StoreWriter.h) is the only writer while
// the server plays.
namespace trelvo::net {

struct TStoredSeat {
    QString Name;
    bool Bot = false;
    int Result = 0; // 0 lost, 1 won, 2 draw
    bool operator==(const TStoredSeat &) const = default;
};

struct TStoredGame {
    std::int64_t AtMs = 0; // wall-clock end, milliseconds since 1970 (UTC)
    server::TTableRules Rules;
    std::vector<TStoredSeat> Seats;
    int Bouts = 0;
    std::int64_t DurationMs = 0;
    std::uint64_t Seed = 0;
    bool operator==(const TStoredGame &) const = default;
};

// A statistics report as the service received it: the path's short name ("start", "server"), the
// address it came from, and its unscrambled field values as they arrived (bounded by the service).
struct TStoredReport {
    std::int64_t AtMs = 0;
    QString Kind;
    QString Address;
    QStringList Fields;
    bool operator==(const TStoredReport &) const = default;
};

// One transaction: a game with the ratings it changed, or a report.
struct TStoreWrite {
    std::optional<TStoredGame> Game;
    std::vector<TRatingRow> Ratings;
    std::optional<TStoredReport> Report;
};

TStoredGame StoredGame(const server::TGameRecord &Record, std::int64_t AtMs);

// Report counts for --stats-summary.
struct TStatsSummary {
    int Reports = 0;
    int Redirected = 0; // own reports that failed and reached us through another client
    int ServerReports = 0;
    std::vector<std::pair<QString, int>> BySystem, ByScreen, ByVersion;
};

class TStoreDb {
public:
    // 1: games, seats, ratings. 2: statistics reports.
    static constexpr int kSchemaVersion = 2;

    explicit TStoreDb(QString Path);
    ~TStoreDb();
    TStoreDb(const TStoreDb &) = delete;
    TStoreDb &operator=(const TStoreDb &) = delete;

    // Opens (creating the file and its folder) and brings the schema up to UpTo; false with Error when
    // the file cannot be opened, a migration fails, or it was written by a newer trelvo-server.
    bool Open(QString &Error, int UpTo = kSchemaVersion);
    int Version();
    const QString &Path() const { return FPath; }

    // Writes the item in one transaction; false with Error (nothing of it written) when it fails. Retry
    // says whether the same write may succeed later (a full, locked or lost file) or never will (the
    // schema refuses it).
    bool Write(const TStoreWrite &Item, QString &Error, bool &Retry);
    // Caps the file at Pages pages (a full disk, for tests); 0 lifts the cap.
    bool SetPageLimit(int Pages);

    std::vector<TRatingRow> LoadRatings();
    std::vector<TRatingRow> Top(int Count);
    std::vector<TStoredGame> Games();
    std::vector<TStoredReport> Reports();
    TStatsSummary Summary();

private:
    bool Exec(const QString &Sql, QString &Error);

    QString FPath;
    QString FConnection;
};

// The store's file when --db is not given: under the user's data directory.
QString DefaultStorePath();

} // namespace trelvo::net
