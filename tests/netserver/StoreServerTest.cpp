// trelvo-server's store as operators meet it: a real server on a real file, killed, stopped on a full
// disk, started twice, or pointed at files it must not use. Players are WebSocket peers whose moves a
// bot brain chooses at once; a result counts as told when a player's socket received it.
#include "ServerProcess.h"
#include "SpawnedProcess.h"
#include "SpinUntil.h"

#include "common/QtClock.h"
#include "protocol/Session.h"
#include "netserver/Store.h"
#include "protocol/ServerMessages.h"
#include "server/Bot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <memory>

using namespace trelvo;
using namespace trelvo::net;
using trelvo::net::test::kProcessDeadlineMs;
using trelvo::net::test::TServerProcess;
using trelvo::test::SpinUntil;
using trelvo::test::TSpawnedProcess;

namespace {

constexpr int kDeadlineMs = kProcessDeadlineMs;

// trelvo-server on a store (a TServerProcess), and what the store's tests do to it.
class TServerRun {
public:
    explicit TServerRun(const QString &Db)
        : FServer(std::make_unique<TServerProcess>(QStringLiteral(TRELVO_SERVER_BINARY),
                                                   QStringList{QStringLiteral("--db"), Db,
                                                               QStringLiteral("--listen"),
                                                               QStringLiteral("127.0.0.1:0")})) {}
    bool WaitListening() {
        const bool listening = FServer->WaitListening();
        Port = FServer->Port();
        ReadLog();
        return listening;
    }
    // Everything it logged so far; reading also keeps its pipe from filling.
    const QString &ReadLog() {
        if (FServer)
            Log = FServer->Log();
        return Log;
    }
    bool Running() { return FServer && FServer->Process.Running(); }
    // SIGTERM, as systemctl stop sends it; true when it ended well.
    bool Stop() {
        FServer->Process.Terminate();
        const bool ended = FServer->Process.WaitForFinished(kDeadlineMs);
        ReadLog();
        return ended && FServer->Process.ExitedNormally() && FServer->Process.ExitCode() == 0;
    }
    // kill -9: the process's destructor kills and reaps it.
    void Kill() {
        ReadLog();
        FServer.reset();
    }
    // A start it refuses: the exit code (-1 when it keeps running).
    int Refused() {
        if (!FServer->Process.WaitForFinished(20000))
            return -1;
        ReadLog();
        return FServer->Process.ExitCode();
    }

    quint16 Port = 0;
    QString Log;

private:
    std::unique_ptr<TServerProcess> FServer;
};

// One person: a WebSocket and a bot brain that acts at once.
class TPlayer {
public:
    TPlayer(TClock &Clock, QString Name, std::uint64_t Seed)
        : Name(std::move(Name)), FBrain(Clock, Seed, server::TBotLevel::Easy, 1, 3, 0, this->Name) {
        FBrain.OnRequest = [this](const QString &Request) { FSocket.sendTextMessage(Request); };
        QObject::connect(&FSocket, &QWebSocket::connected, [this] {
            FSocket.sendTextMessage(BuildHello({kProtocolVersion, this->Name}));
        });
        QObject::connect(&FSocket, &QWebSocket::textMessageReceived,
                         [this](const QString &Text) { Frame(Text); });
        QObject::connect(&FSocket, &QWebSocket::disconnected, [this] { Closed = true; });
    }
    void Open(quint16 Port) { FSocket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(Port))); }
    void Send(const QString &Text) { FSocket.sendTextMessage(Text); }

    const QString Name;
    // Set on the table's creator: its partner enters the table it opened.
    TPlayer *Partner = nullptr;
    int Results = 0; // results of finished games received
    bool Closed = false;

private:
    void Frame(const QString &Text) {
        if (Text.startsWith(QStringLiteral("welcome;"))) {
            if (Partner)
                Send(QStringLiteral("3;0;0;0;"));
            return;
        }
        const auto m = msg::ParseServerMessage(Text);
        if (!m)
            return;
        if (const auto *created = std::get_if<msg::TTableCreated>(&*m); created && Partner)
            Partner->Send(QStringLiteral("5;%1").arg(created->TableID));
        // Ready once both sit: alone, the countdown does not start anyway.
        if (const auto *room = std::get_if<msg::TWaitingRoom>(&*m); room && room->Seats.size() < 2)
            return;
        // Two at a table: a result always ends the game.
        if (std::holds_alternative<msg::TGameResult>(*m))
            ++Results;
        FBrain.Receive(Text);
    }

    QWebSocket FSocket;
    server::TBot FBrain;
};

// Tables of two people playing game after game; the creator of table i is "a<i>".
class TTables {
public:
    TTables(int Count, quint16 Port, int Round = 0) {
        for (int i = 0; i < Count; ++i) {
            auto a = std::make_unique<TPlayer>(FClock, QStringLiteral("a%1").arg(i), 100 * Round + 2 * i + 1);
            auto b = std::make_unique<TPlayer>(FClock, QStringLiteral("b%1").arg(i), 100 * Round + 2 * i + 2);
            a->Partner = b.get();
            a->Open(Port);
            b->Open(Port);
            FPlayers.push_back(std::move(a));
            FPlayers.push_back(std::move(b));
        }
    }
    // Games whose result reached at least one of its players, by table.
    std::vector<int> Told() const {
        std::vector<int> told;
        for (std::size_t i = 0; i + 1 < FPlayers.size(); i += 2)
            told.push_back(std::max(FPlayers[i]->Results, FPlayers[i + 1]->Results));
        return told;
    }
    int TotalTold() const {
        int total = 0;
        for (int n : Told())
            total += n;
        return total;
    }
    bool AllClosed() const {
        return std::all_of(FPlayers.begin(), FPlayers.end(), [](const auto &p) { return p->Closed; });
    }

private:
    TQtClock FClock;
    TClockScope FScope{FClock};
    std::vector<std::unique_ptr<TPlayer>> FPlayers;
};

// Stored games by table (its creator's seat).
std::vector<int> Stored(const QString &Db, int Tables) {
    std::vector<int> stored(static_cast<std::size_t>(Tables), 0);
    TStoreDb db(Db);
    QString error;
    EXPECT_TRUE(db.Open(error)) << error.toStdString();
    for (const TStoredGame &game : db.Games())
        for (const TStoredSeat &seat : game.Seats)
            if (seat.Name.startsWith(u'a'))
                ++stored[static_cast<std::size_t>(seat.Name.mid(1).toInt())];
    return stored;
}

void ExpectEveryToldGameStored(const std::vector<int> &Told, const std::vector<int> &Stored) {
    ASSERT_EQ(Told.size(), Stored.size());
    for (std::size_t i = 0; i < Told.size(); ++i)
        EXPECT_GE(Stored[i], Told[i]) << "table " << i << ": results told of games the store does not have";
}

// A filesystem of its own (tmpfs), unmounted when done; mounting needs root.
class TMount {
public:
    TMount(const QString &Dir, const char *Options) : FDir(QFile::encodeName(Dir)) {
        QDir().mkpath(Dir);
        Ok = ::mount("tmpfs", FDir.constData(), "tmpfs", 0, Options) == 0;
    }
    ~TMount() {
        if (Ok)
            ::umount2(FDir.constData(), MNT_DETACH);
    }
    bool ReadOnly() {
        return ::mount(nullptr, FDir.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    bool Ok = false;

private:
    QByteArray FDir;
};

// A file this process cannot write: its mode, or for root (whom modes do not stop) a read-only bind mount.
class TReadOnlyFile {
public:
    explicit TReadOnlyFile(const QString &Path) : FPath(QFile::encodeName(Path)) {
        ::chmod(FPath.constData(), 0444);
        const int fd = ::open(FPath.constData(), O_RDWR);
        if (fd < 0) {
            Ok = true;
            return;
        }
        ::close(fd);
        FMounted = ::mount(FPath.constData(), FPath.constData(), nullptr, MS_BIND, nullptr) == 0;
        Ok = FMounted &&
             ::mount(nullptr, FPath.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    ~TReadOnlyFile() {
        if (FMounted)
            ::umount2(FPath.constData(), MNT_DETACH);
    }
    bool Ok = false;

private:
    QByteArray FPath;
    bool FMounted = false;
};

// Runs SQL on a file as another program would (rollback journal, no WAL).
void RawSql(const QString &Path, const QStringList &Statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(Path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString &sql : Statements)
            ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

QByteArray Contents(const QString &Path) {
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A store of this server with a few games, closed (so the log is folded into the file).
void MakeStore(const QString &Path, int Games) {
    TStoreDb db(Path);
    QString error;
    ASSERT_TRUE(db.Open(error)) << error.toStdString();
    for (int i = 0; i < Games; ++i) {
        TStoreWrite w;
        w.Game =
            TStoredGame{i, {}, {{QStringLiteral("Ann %1").arg(i), false, 1}, {"Bob", false, 0}}, 3, 100, 1};
        bool retry = false;
        ASSERT_TRUE(db.Write(w, error, retry)) << error.toStdString();
    }
}

class StoreServerTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Db() const { return Dir.filePath(QStringLiteral("store.sqlite")); }
};

// kill -9 right after a burst of games ended: every game a player was told the result of is in the store.
TEST_F(StoreServerTest, AGameWhoseResultWasToldSurvivesAKill) {
    constexpr int kTables = 12;
    TServerRun server(Db());
    ASSERT_TRUE(server.WaitListening()) << server.Log.toStdString();
    std::vector<int> told;
    {
        TTables tables(kTables, server.Port);
        // The first results of the burst: the rest of it is still being written.
        ASSERT_TRUE(SpinUntil(
            [&] {
                server.ReadLog();
                return tables.TotalTold() >= kTables / 3;
            },
            kDeadlineMs))
            << server.Log.toStdString();
        server.Kill();
        // Results already on their way still arrive: they count as told.
        EXPECT_TRUE(SpinUntil([&] { return tables.AllClosed(); }, kDeadlineMs));
        told = tables.Told();
    }
    ExpectEveryToldGameStored(told, Stored(Db(), kTables));
}

// SIGTERM while the disk is full: what could not go into the file waits in the spill file beside it, the
// log says so, and the next start writes it into the store.
TEST_F(StoreServerTest, AStopOnAFullDiskKeepsEveryToldGameForTheNextStart) {
    const QString disk = Dir.filePath(QStringLiteral("disk"));
    TMount mount(disk, "size=4m");
    if (!mount.Ok)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): the full-disk case is not run";
    const QString db = disk + QStringLiteral("/store.sqlite");
    constexpr int kTables = 6;
    std::vector<int> told;
    {
        TServerRun server(db);
        ASSERT_TRUE(server.WaitListening()) << server.Log.toStdString();
        // Fill the disk to its last byte.
        {
            QFile filler(disk + QStringLiteral("/filler"));
            ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        TTables tables(kTables, server.Port);
        ASSERT_TRUE(SpinUntil(
            [&] {
                server.ReadLog();
                return tables.TotalTold() >= kTables;
            },
            kDeadlineMs))
            << server.Log.toStdString();
        EXPECT_TRUE(server.Stop()) << server.Log.toStdString();
        EXPECT_TRUE(server.Log.contains(QStringLiteral("spill"))) << server.Log.toStdString();
        EXPECT_TRUE(SpinUntil([&] { return tables.AllClosed(); }, kDeadlineMs));
        told = tables.Told();
    }
    ASSERT_TRUE(QFile::remove(disk + QStringLiteral("/filler")));
    TServerRun again(db);
    ASSERT_TRUE(again.WaitListening()) << again.Log.toStdString();
    EXPECT_TRUE(again.Log.contains(QStringLiteral("spill"))) << again.Log.toStdString();
    EXPECT_TRUE(again.Stop()) << again.Log.toStdString();
    ExpectEveryToldGameStored(told, Stored(db, kTables));
}

// A file the server refuses is left byte for byte as it was: no switch to WAL, no tables added.
TEST_F(StoreServerTest, ARefusedStoreIsLeftUntouched) {
    const QString ours = QStringLiteral(
        "CREATE TABLE games(id INTEGER PRIMARY KEY, at_ms INTEGER NOT NULL, transfer INTEGER NOT NULL, "
        "first_not_transfer INTEGER NOT NULL, max_five INTEGER NOT NULL, players INTEGER NOT NULL, "
        "loser TEXT, bouts INTEGER NOT NULL, duration_ms INTEGER NOT NULL, seed TEXT NOT NULL)");
    struct Case {
        const char *Name;
        QStringList Sql; // empty: the file holds Text
        QByteArray Text;
        const char *Says;
    };
    const Case cases[] = {
        {"a newer server's store",
         {ours, QStringLiteral("PRAGMA user_version=%1").arg(TStoreDb::kSchemaVersion + 1)},
         {},
         "newer trelvo-server"},
        {"another program's file with a games table",
         {QStringLiteral("CREATE TABLE games(id INTEGER PRIMARY KEY, title TEXT)")},
         {},
         "not a trelvo-server store"},
        {"another program's file without our tables",
         {QStringLiteral("CREATE TABLE notes(body TEXT)")},
         {},
         "not a trelvo-server store"},
        {"not SQLite at all", {}, "shopping list: bread, milk\n", "not a trelvo-server store"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(Db());
        if (c.Sql.isEmpty()) {
            QFile f(Db());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.Text);
        } else {
            RawSql(Db(), c.Sql);
        }
        const QByteArray before = Contents(Db());
        TServerRun server(Db());
        EXPECT_EQ(server.Refused(), 1) << server.Log.toStdString();
        EXPECT_TRUE(server.Log.contains(QLatin1String(c.Says))) << server.Log.toStdString();
        EXPECT_EQ(Contents(Db()), before);
        EXPECT_FALSE(QFile::exists(Db() + QStringLiteral("-wal")));
    }
}

// A store that would lose writes is refused before anyone plays, with exit code 1 and the reason.
TEST_F(StoreServerTest, AStoreThatCannotBeUsedIsRefusedAtStart) {
    struct Case {
        const char *Name;
        std::function<bool(const QString &Db)> Make; // false: cannot be made here (skipped)
        QString Says;
    };
    std::vector<std::unique_ptr<TReadOnlyFile>> readOnly;
    std::vector<std::unique_ptr<TMount>> mounts;
    const Case cases[] = {
        {"store version 2 without tables",
         [](const QString &Db) {
             RawSql(Db, {QStringLiteral("PRAGMA user_version=2")});
             return true;
         },
         QStringLiteral("has no table games")},
        {"a read-only file",
         [&](const QString &Db) {
             MakeStore(Db, 1);
             readOnly.push_back(std::make_unique<TReadOnlyFile>(Db));
             return readOnly.back()->Ok;
         },
         QStringLiteral("cannot write")},
        {"its last page is noise",
         [](const QString &Db) {
             MakeStore(Db, 40);
             QFile f(Db);
             if (!f.open(QIODevice::ReadWrite) || f.size() < 8192)
                 return false;
             f.seek(f.size() - 4096);
             QByteArray noise(4096, '\0');
             for (int i = 0; i < noise.size(); ++i)
                 noise[i] = static_cast<char>((i * 7919 + 13) % 251);
             return f.write(noise) == noise.size();
         },
         QStringLiteral("damaged")},
        {"a read-only folder",
         [&](const QString &Db) {
             const QString folder = QFileInfo(Db).absolutePath();
             mounts.push_back(std::make_unique<TMount>(folder, "size=1m"));
             if (!mounts.back()->Ok)
                 return false;
             MakeStore(Db, 1);
             return mounts.back()->ReadOnly();
         },
         QStringLiteral("folder")},
    };
    int skipped = 0;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.Name);
        const QString db = Dir.filePath(QStringLiteral("case%1/store.sqlite").arg(i));
        QDir().mkpath(QFileInfo(db).absolutePath());
        if (!c.Make(db)) {
            ++skipped;
            std::fprintf(stderr, "skipped \"%s\": cannot be made here (needs root or a writable mount)\n",
                         c.Name);
            continue;
        }
        TServerRun server(db);
        EXPECT_EQ(server.Refused(), 1) << server.Log.toStdString();
        EXPECT_TRUE(server.Log.contains(c.Says)) << server.Log.toStdString();
        if (QString(c.Name).contains(QStringLiteral("folder"))) {
            EXPECT_TRUE(server.Log.contains(QFileInfo(db).absolutePath())) << server.Log.toStdString();
        }
    }
    EXPECT_LT(skipped, static_cast<int>(std::size(cases)));
}

// Two servers on one store would overwrite each other's ratings: the second is refused; reading the
// rating table from the side still works.
TEST_F(StoreServerTest, ASecondServerOnTheSameStoreIsRefused) {
    TServerRun first(Db());
    ASSERT_TRUE(first.WaitListening()) << first.Log.toStdString();
    TServerRun second(Db());
    EXPECT_EQ(second.Refused(), 1) << second.Log.toStdString();
    EXPECT_TRUE(second.Log.contains(QStringLiteral("another trelvo-server"))) << second.Log.toStdString();
    TSpawnedProcess top(QStringLiteral(TRELVO_SERVER_BINARY),
                        {QStringLiteral("--db"), Db(), QStringLiteral("--top"), QStringLiteral("5")});
    ASSERT_TRUE(top.WaitForFinished(kDeadlineMs));
    EXPECT_EQ(top.ExitCode(), 0) << top.ReadStandardError().toStdString();
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(first.Stop()) << first.Log.toStdString();
    // Once the first has gone, the store is free again.
    TServerRun third(Db());
    EXPECT_TRUE(third.WaitListening()) << third.Log.toStdString();
}

} // namespace
