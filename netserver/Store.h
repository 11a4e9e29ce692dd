#pragma once

#include "netserver/Ratings.h"
#include "server/GameServer.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>
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
    // the file is not empty and not a store of ours, was written by a newer trelvo-server, lacks a table
    // its version has, or a migration fails. Nothing is changed before these checks pass. Verify (the
    // server's start) also runs SQLite's quick integrity check and a test write, and wants the folder
    // writable (the journal lives beside the file).
    bool Open(QString &Error, int UpTo = kSchemaVersion, bool Verify = false);
    int Version();
    const QString &Path() const { return FPath; }

    // Writes the items in one transaction; false with Error (nothing of them written) when it fails.
    // Retry says whether the same write may succeed later (a full, locked or lost file) or never will
    // (the schema refuses one of them).
    bool Write(const TStoreWrite &Item, QString &Error, bool &Retry);
    bool Write(std::span<const TStoreWrite> Items, QString &Error, bool &Retry);
    // Folds the write-ahead log into the file and cuts it to nothing, so its disk space is free again.
    bool Checkpoint();
    // Caps the file at Pages pages (a full disk, for tests); 0 lifts the cap.
    bool SetPageLimit(int Pages);

    std::vector<TRatingRow> LoadRatings();
    std::vector<TRatingRow> Top(int Count);
    std::vector<TStoredGame> Games();
    std::vector<TStoredReport> Reports();
    TStatsSummary Summary();

private:
    bool Exec(const QString &Sql, QString &Error);
    // Whether the file is empty or a store of ours its version describes; Error says why not.
    bool Recognise(int &Version, QString &Error);
    // SQLite's quick integrity check and a write that changes nothing.
    bool Check(int Version, QString &Error);
    bool Insert(const TStoreWrite &Item, QString &Error, bool &Retry);

    QString FPath;
    QString FConnection;
};

// The store's file when --db is not given: under the user's data directory.
QString DefaultStorePath();
// Why the store's folder cannot take the files kept beside the store (errno Errno), naming the folder.
QString StoreFolderError(const QString &Folder, int Errno);

} // namespace trelvo::net
