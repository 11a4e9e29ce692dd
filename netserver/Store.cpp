#include "netserver/Store.h"

#include "protocol/StatsReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>

#include <unistd.h>

namespace trelvo::net {

namespace {

// Each step brings the schema from its index to the next version, in one transaction.
const std::vector<std::vector<const char *>> kMigrations = {
    {
        "CREATE TABLE games(id INTEGER PRIMARY KEY, at_ms INTEGER NOT NULL, transfer INTEGER NOT NULL, "
        "first_not_transfer INTEGER NOT NULL, max_five INTEGER NOT NULL, players INTEGER NOT NULL, "
        "loser TEXT, bouts INTEGER NOT NULL, duration_ms INTEGER NOT NULL, seed TEXT NOT NULL)",
        "CREATE TABLE seats(game_id INTEGER NOT NULL REFERENCES games(id), seat INTEGER NOT NULL, "
        "name TEXT NOT NULL, bot INTEGER NOT NULL, result INTEGER NOT NULL, PRIMARY KEY(game_id, seat))",
        "CREATE INDEX seats_by_name ON seats(name)",
        "CREATE TABLE ratings(key TEXT PRIMARY KEY, name TEXT NOT NULL, rating REAL NOT NULL, "
        "games INTEGER NOT NULL, losses INTEGER NOT NULL)",
    },
    {
        "CREATE TABLE reports(id INTEGER PRIMARY KEY, at_ms INTEGER NOT NULL, kind TEXT NOT NULL, "
        "address TEXT NOT NULL, system TEXT, screen TEXT, version TEXT, redirected INTEGER NOT NULL, "
        "fields TEXT NOT NULL)",
    },
};

QString SqlError(const QSqlError &Error) {
    return Error.text().left(300);
}

// SQLite's result codes that a later try may not meet again: busy, locked, out of memory, read-only,
// I/O error, full, cannot open, lock protocol.
bool Passing(const QSqlError &Error) {
    static const QStringList codes = {"5", "6", "7", "8", "10", "13", "14", "15"};
    return codes.contains(Error.nativeErrorCode());
}

// The fields of a client's own usage report that the summary groups by.
constexpr int kFieldScreenX = kStartScreenSizeX, kFieldScreenY = kStartScreenSizeY, kFieldSystem = kStartOS,
              kFieldVersion = kStartPluginVersion, kFieldKind = kStartKindPost;
constexpr int kFieldServerVersion = kServerVersion;

QVariant FieldAt(const QStringList &Fields, int Index) {
    return Index < Fields.size() ? QVariant(Fields[Index]) : QVariant();
}

// The columns of each table (name, type, not null, key), as SQLite describes them; a table it cannot
// describe is listed under an empty name.
std::map<QString, QStringList> Columns(QSqlDatabase Db) {
    std::map<QString, QStringList> tables;
    QSqlQuery q(Db), info(Db);
    if (!q.exec(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"))) {
        tables[QString()];
        return tables;
    }
    while (q.next()) {
        const QString name = q.value(0).toString();
        QStringList &columns = tables[name];
        if (!info.exec(QStringLiteral("PRAGMA table_info(\"%1\")")
                           .arg(QString(name).replace(u'"', QLatin1String("\"\""))))) {
            tables[QString()];
            continue;
        }
        while (info.next())
            columns << QStringLiteral("%1 %2 %3 %4")
                           .arg(info.value(1).toString(), info.value(2).toString(), info.value(3).toString(),
                                info.value(5).toString());
    }
    return tables;
}

// The tables a store of Version has: the migrations up to it, run on a database in memory.
std::map<QString, QStringList> ExpectedColumns(int Version) {
    static std::atomic<int> next{0};
    const QString connection = QStringLiteral("trelvo-store-schema-%1").arg(next++);
    std::map<QString, QStringList> tables;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery q(db);
            for (int step = 0; step < Version && step < static_cast<int>(kMigrations.size()); ++step)
                for (const char *sql : kMigrations[static_cast<std::size_t>(step)])
                    q.exec(QString::fromLatin1(sql));
            tables = Columns(db);
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return tables;
}

bool LooksLikeSqlite(const QString &Path) {
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3", 16);
}

std::vector<std::pair<QString, int>> Counts(QSqlDatabase Db, const QString &Sql) {
    std::vector<std::pair<QString, int>> counts;
    QSqlQuery q(Db);
    if (q.exec(Sql))
        while (q.next())
            counts.emplace_back(q.value(0).toString(), q.value(1).toInt());
    return counts;
}

} // namespace

TStoredGame StoredGame(const server::TGameRecord &Record, std::int64_t AtMs) {
    TStoredGame game;
    game.AtMs = AtMs;
    game.Rules = Record.Rules;
    game.Bouts = Record.Bouts;
    game.DurationMs = Record.EndedMs - Record.StartedMs;
    game.Seed = Record.Seed;
    for (std::size_t i = 0; i < Record.Results.size(); ++i)
        game.Seats.push_back({i < Record.Names.size() ? Record.Names[i] : QString(),
                              i < Record.Bots.size() && Record.Bots[i], Record.Results[i]});
    return game;
}

QString StoreFolderError(const QString &Folder, int Errno) {
    return QStringLiteral("cannot write in the folder %1 (%2): the store keeps its journal, lock and spill "
                          "files beside its file")
        .arg(Folder, QString::fromLocal8Bit(std::strerror(Errno)));
}

QString DefaultStorePath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.local/share");
    return dir + QStringLiteral("/trelvo-server/trelvo-server.sqlite");
}

TStoreDb::TStoreDb(QString Path) : FPath(std::move(Path)) {
    static std::atomic<int> next{0};
    FConnection = QStringLiteral("trelvo-store-%1").arg(next++);
}

TStoreDb::~TStoreDb() {
    {
        QSqlDatabase db = QSqlDatabase::database(FConnection, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(FConnection))
        QSqlDatabase::removeDatabase(FConnection);
}

bool TStoreDb::Exec(const QString &Sql, QString &Error) {
    QSqlQuery q(QSqlDatabase::database(FConnection, false));
    if (q.exec(Sql))
        return true;
    Error = SqlError(q.lastError());
    return false;
}

bool TStoreDb::Open(QString &Error, int UpTo, bool Verify) {
    const QFileInfo file(FPath);
    if (!QDir().mkpath(file.absolutePath())) {
        Error = QStringLiteral("cannot make the folder %1").arg(file.absolutePath());
        return false;
    }
    if (Verify && ::access(QFile::encodeName(file.absolutePath()).constData(), W_OK) != 0) {
        Error = StoreFolderError(file.absolutePath(), errno);
        return false;
    }
    // Another program's file is refused before SQLite gets to write a byte of it.
    if (file.exists() && file.size() > 0 && !LooksLikeSqlite(FPath)) {
        Error = QStringLiteral("%1 is not a trelvo-server store (not an SQLite file): give another --db")
                    .arg(FPath);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FConnection);
    if (!db.isValid()) {
        Error = QStringLiteral("no SQLite driver for Qt (Debian: libqt6sql6-sqlite)");
        return false;
    }
    db.setDatabaseName(FPath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        Error = QStringLiteral("cannot open %1: %2").arg(FPath, SqlError(db.lastError()));
        return false;
    }
    QString why;
    int version = 0;
    if (!Recognise(version, Error))
        return false;
    if (Verify && !Check(version, Error))
        return false;
    // Only now, with the file known to be ours: a killed server keeps every committed game, and the
    // write-ahead log makes commits cheap; FULL syncs the log at each commit (a group of games), so a
    // result told is on the disk, not only in the system's cache.
    if (!Exec(QStringLiteral("PRAGMA journal_mode=WAL"), why) ||
        !Exec(QStringLiteral("PRAGMA synchronous=FULL"), why)) {
        Error = QStringLiteral("%1 is not a usable SQLite file: %2").arg(FPath, why);
        return false;
    }
    for (int step = version; step < std::min<int>(UpTo, static_cast<int>(kMigrations.size())); ++step) {
        bool ok = db.transaction();
        for (const char *sql : kMigrations[static_cast<std::size_t>(step)])
            ok = ok && Exec(QString::fromLatin1(sql), why);
        ok = ok && Exec(QStringLiteral("PRAGMA user_version=%1").arg(step + 1), why);
        if (!ok || !db.commit()) {
            db.rollback();
            Error =
                QStringLiteral("cannot bring %1 to store version %2: %3").arg(FPath).arg(step + 1).arg(why);
            return false;
        }
    }
    return true;
}

bool TStoreDb::Recognise(int &Version, QString &Error) {
    QSqlDatabase db = QSqlDatabase::database(FConnection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        Error =
            QStringLiteral("%1 is not a trelvo-server store (SQLite cannot read it: %2): give another --db")
                .arg(FPath, SqlError(q.lastError()));
        return false;
    }
    Version = q.value(0).toInt();
    const std::map<QString, QStringList> tables = Columns(db);
    if (tables.count(QString())) {
        Error =
            QStringLiteral("%1 is damaged (SQLite cannot read its tables): restore it from a backup, or give "
                           "another --db")
                .arg(FPath);
        return false;
    }
    if (Version > kSchemaVersion) {
        Error = QStringLiteral("%1 was written by a newer trelvo-server (store version %2; this one knows up "
                               "to %3): run the newer server, or give another --db")
                    .arg(FPath)
                    .arg(Version)
                    .arg(kSchemaVersion);
        return false;
    }
    if (Version == 0) {
        if (tables.empty())
            return true;
        QStringList names;
        for (const auto &[name, columns] : tables)
            names << name;
        Error = QStringLiteral("%1 is not a trelvo-server store (an SQLite file with other tables: %2): give "
                               "another --db")
                    .arg(FPath, names.join(QStringLiteral(", ")).left(200));
        return false;
    }
    for (const auto &[name, columns] : ExpectedColumns(Version)) {
        const auto found = tables.find(name);
        if (found == tables.end()) {
            Error =
                QStringLiteral("%1 is not a usable trelvo-server store: it says store version %2 but has no "
                               "table %3")
                    .arg(FPath)
                    .arg(Version)
                    .arg(name);
            return false;
        }
        if (found->second != columns) {
            Error =
                QStringLiteral("%1 is not a usable trelvo-server store: its table %2 is not the one of store "
                               "version %3")
                    .arg(FPath, name)
                    .arg(Version);
            return false;
        }
    }
    return true;
}

bool TStoreDb::Check(int Version, QString &Error) {
    QSqlDatabase db = QSqlDatabase::database(FConnection, false);
    QString why;
    QSqlQuery q(db);
    QStringList problems;
    if (!q.exec(QStringLiteral("PRAGMA quick_check(5)")))
        problems << SqlError(q.lastError());
    while (q.next())
        if (q.value(0).toString() != QLatin1String("ok"))
            problems << q.value(0).toString().left(200);
    if (!problems.isEmpty()) {
        Error = QStringLiteral("%1 is damaged (SQLite's quick check: %2): restore it from a backup, or give "
                               "another --db")
                    .arg(FPath, problems.join(QStringLiteral("; ")));
        return false;
    }
    // A write that changes nothing: a file that cannot take it would lose every game.
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE"), why) ||
        !Exec(QStringLiteral("PRAGMA user_version=%1").arg(Version), why) ||
        !Exec(QStringLiteral("COMMIT"), why)) {
        Exec(QStringLiteral("ROLLBACK"), Error);
        Error = QStringLiteral("cannot write to %1 (%2): the server needs it writable").arg(FPath, why);
        return false;
    }
    return true;
}

int TStoreDb::Version() {
    QSqlQuery q(QSqlDatabase::database(FConnection, false));
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool TStoreDb::SetPageLimit(int Pages) {
    QString why;
    // SQLite never lowers the cap below the pages in use, and a large one is as good as none.
    return Exec(QStringLiteral("PRAGMA max_page_count=%1").arg(Pages > 0 ? Pages : 1073741823), why);
}

bool TStoreDb::Write(const TStoreWrite &Item, QString &Error, bool &Retry) {
    return Write(std::span(&Item, 1), Error, Retry);
}

bool TStoreDb::Write(std::span<const TStoreWrite> Items, QString &Error, bool &Retry) {
    Retry = true;
    QSqlDatabase db = QSqlDatabase::database(FConnection, false);
    if (!db.isOpen()) {
        Error = QStringLiteral("the store is not open");
        return false;
    }
    if (!db.transaction()) {
        Error = SqlError(db.lastError());
        return false;
    }
    for (const TStoreWrite &item : Items)
        if (!Insert(item, Error, Retry)) {
            db.rollback();
            return false;
        }
    if (!db.commit()) {
        Error = SqlError(db.lastError());
        Retry = true;
        db.rollback();
        return false;
    }
    return true;
}

bool TStoreDb::Checkpoint() {
    QString why;
    return Exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), why);
}

bool TStoreDb::Insert(const TStoreWrite &Item, QString &Error, bool &Retry) {
    QSqlDatabase db = QSqlDatabase::database(FConnection, false);
    auto fail = [&](const QSqlQuery &q) {
        Error = SqlError(q.lastError());
        Retry = Passing(q.lastError());
        return false;
    };
    if (Item.Game) {
        const TStoredGame &g = *Item.Game;
        QVariant loser;
        for (const TStoredSeat &seat : g.Seats)
            if (seat.Result == 0) {
                loser = seat.Name;
                break;
            }
        QSqlQuery q(db);
        q.prepare(
            QStringLiteral("INSERT INTO games(at_ms, transfer, first_not_transfer, max_five, players, loser, "
                           "bouts, duration_ms, seed) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        q.addBindValue(QVariant::fromValue<qint64>(g.AtMs));
        q.addBindValue(g.Rules.Transfer ? 1 : 0);
        q.addBindValue(g.Rules.FirstNotTransfer ? 1 : 0);
        q.addBindValue(g.Rules.MaxFive ? 1 : 0);
        q.addBindValue(static_cast<int>(g.Seats.size()));
        q.addBindValue(loser);
        q.addBindValue(g.Bouts);
        q.addBindValue(QVariant::fromValue<qint64>(g.DurationMs));
        q.addBindValue(QString::number(g.Seed));
        if (!q.exec())
            return fail(q);
        const QVariant id = q.lastInsertId();
        QSqlQuery seat(db);
        seat.prepare(
            QStringLiteral("INSERT INTO seats(game_id, seat, name, bot, result) VALUES(?, ?, ?, ?, ?)"));
        for (std::size_t i = 0; i < g.Seats.size(); ++i) {
            seat.addBindValue(id);
            seat.addBindValue(static_cast<int>(i));
            seat.addBindValue(g.Seats[i].Name.isNull() ? QStringLiteral("") : g.Seats[i].Name);
            seat.addBindValue(g.Seats[i].Bot ? 1 : 0);
            seat.addBindValue(g.Seats[i].Result);
            if (!seat.exec())
                return fail(seat);
        }
    }
    if (!Item.Ratings.empty()) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO ratings(key, name, rating, games, losses) "
                                 "VALUES(?, ?, ?, ?, ?)"));
        for (const TRatingRow &row : Item.Ratings) {
            q.addBindValue(row.Key);
            q.addBindValue(row.Name);
            q.addBindValue(row.Rating);
            q.addBindValue(row.Games);
            q.addBindValue(row.Losses);
            if (!q.exec())
                return fail(q);
        }
    }
    if (Item.Report) {
        const TStoredReport &r = *Item.Report;
        const bool own = r.Kind == QLatin1String("start");
        QSqlQuery q(db);
        q.prepare(
            QStringLiteral("INSERT INTO reports(at_ms, kind, address, system, screen, version, redirected, "
                           "fields) VALUES(?, ?, ?, ?, ?, ?, ?, ?)"));
        q.addBindValue(QVariant::fromValue<qint64>(r.AtMs));
        q.addBindValue(r.Kind);
        q.addBindValue(r.Address);
        q.addBindValue(own ? FieldAt(r.Fields, kFieldSystem) : QVariant());
        q.addBindValue(own && r.Fields.size() > kFieldScreenY
                           ? QVariant(r.Fields[kFieldScreenX] + u'x' + r.Fields[kFieldScreenY])
                           : QVariant());
        q.addBindValue(FieldAt(r.Fields, own ? kFieldVersion : kFieldServerVersion));
        // A client's own record says 1 here; another client's failed report carries its end code.
        q.addBindValue(own && r.Fields.size() > kFieldKind && r.Fields[kFieldKind] != QLatin1String("1") ? 1
                                                                                                         : 0);
        q.addBindValue(QString::fromUtf8(
            QJsonDocument(QJsonArray::fromStringList(r.Fields)).toJson(QJsonDocument::Compact)));
        if (!q.exec())
            return fail(q);
    }
    return true;
}

std::vector<TRatingRow> TStoreDb::LoadRatings() {
    return Top(-1);
}

std::vector<TRatingRow> TStoreDb::Top(int Count) {
    std::vector<TRatingRow> rows;
    QSqlQuery q(QSqlDatabase::database(FConnection, false));
    q.prepare(QStringLiteral("SELECT key, name, rating, games, losses FROM ratings "
                             "ORDER BY rating DESC, games DESC, key LIMIT ?"));
    q.addBindValue(Count);
    if (q.exec())
        while (q.next())
            rows.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble(),
                            q.value(3).toInt(), q.value(4).toInt()});
    return rows;
}

std::vector<TStoredGame> TStoreDb::Games() {
    std::vector<TStoredGame> games;
    QSqlDatabase db = QSqlDatabase::database(FConnection, false);
    QSqlQuery q(db), seats(db);
    seats.prepare(QStringLiteral("SELECT name, bot, result FROM seats WHERE game_id = ? ORDER BY seat"));
    if (!q.exec(
            QStringLiteral("SELECT id, at_ms, transfer, first_not_transfer, max_five, bouts, duration_ms, "
                           "seed FROM games ORDER BY id")))
        return games;
    while (q.next()) {
        TStoredGame g;
        g.AtMs = q.value(1).toLongLong();
        g.Rules = {q.value(2).toBool(), q.value(3).toBool(), q.value(4).toBool()};
        g.Bouts = q.value(5).toInt();
        g.DurationMs = q.value(6).toLongLong();
        g.Seed = q.value(7).toString().toULongLong();
        seats.addBindValue(q.value(0));
        if (seats.exec())
            while (seats.next())
                g.Seats.push_back(
                    {seats.value(0).toString(), seats.value(1).toBool(), seats.value(2).toInt()});
        games.push_back(std::move(g));
    }
    return games;
}

std::vector<TStoredReport> TStoreDb::Reports() {
    std::vector<TStoredReport> reports;
    QSqlQuery q(QSqlDatabase::database(FConnection, false));
    if (!q.exec(QStringLiteral("SELECT at_ms, kind, address, fields FROM reports ORDER BY id")))
        return reports;
    while (q.next()) {
        TStoredReport r{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), {}};
        for (const QJsonValue &v : QJsonDocument::fromJson(q.value(3).toString().toUtf8()).array())
            r.Fields << v.toString();
        reports.push_back(std::move(r));
    }
    return reports;
}

TStatsSummary TStoreDb::Summary() {
    TStatsSummary s;
    QSqlDatabase db = QSqlDatabase::database(FConnection, false);
    QSqlQuery q(db);
    if (q.exec(QStringLiteral(
            "SELECT COUNT(*), COALESCE(SUM(redirected), 0) FROM reports WHERE kind = 'start'")) &&
        q.next()) {
        s.Reports = q.value(0).toInt();
        s.Redirected = q.value(1).toInt();
    }
    if (q.exec(QStringLiteral("SELECT COUNT(*) FROM reports WHERE kind = 'server'")) && q.next())
        s.ServerReports = q.value(0).toInt();
    const QString group =
        QStringLiteral("SELECT COALESCE(%1, ''), COUNT(*) FROM reports WHERE kind = 'start' "
                       "GROUP BY 1 ORDER BY 2 DESC, 1");
    s.BySystem = Counts(db, group.arg(QStringLiteral("system")));
    s.ByScreen = Counts(db, group.arg(QStringLiteral("screen")));
    s.ByVersion = Counts(db, group.arg(QStringLiteral("version")));
    return s;
}

} // namespace trelvo::net
