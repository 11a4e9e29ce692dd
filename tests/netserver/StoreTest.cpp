#include "ServerTestSupport.h"
#include "SpawnedProcess.h"
#include "SpinUntil.h"

#include "netserver/Ratings.h"
#include "netserver/Recorder.h"
#include "netserver/ResultGate.h"
#include "netserver/Store.h"
#include "netserver/StoreWriter.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::net;
using trelvo::test::SpinUntil;
using trelvo::test::TSpawnedProcess;

namespace {

// A human game: names, results (0 lost, 1 won, 2 draw), bots marked with a leading '*'.
server::TGameRecord Game(std::vector<QString> Names, std::vector<int> Results, std::uint64_t Seed = 7) {
    server::TGameRecord r;
    r.Results = std::move(Results);
    for (QString &name : Names) {
        const bool bot = name.startsWith(u'*');
        r.Bots.push_back(bot);
        r.Names.push_back(bot ? name.mid(1) : name);
    }
    for (std::size_t i = 0; i < r.Results.size(); ++i)
        r.Slots.push_back(static_cast<int>(i));
    r.Bouts = 9;
    r.Seed = Seed;
    r.StartedMs = 1000;
    r.EndedMs = 61000;
    r.Rules = {true, false, true};
    return r;
}

// Sets a file's schema version behind the store's back, as another program would.
void SetVersion(const QString &Path, int Version) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(Path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA user_version=%1").arg(Version)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

class StoreTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path() const { return Dir.filePath(QStringLiteral("sub/store.sqlite")); }
};

TEST_F(StoreTest, ANewFileGetsTheSchemaAndAnOldOneIsMigratedKeepingItsGames) {
    {
        TStoreDb db(Path());
        QString error;
        ASSERT_TRUE(db.Open(error, 1)) << error.toStdString();
        EXPECT_EQ(db.Version(), 1);
        TStoreWrite write;
        write.Game = StoredGame(Game({"Ann", "Bob"}, {1, 0}), 5);
        bool retry = true;
        ASSERT_TRUE(db.Write(write, error, retry)) << error.toStdString();
        // Reports came with version 2.
        write = {};
        write.Report = TStoredReport{1, "start", "1.2.3.4", {"x"}};
        EXPECT_FALSE(db.Write(write, error, retry));
    }
    TStoreDb db(Path());
    QString error;
    ASSERT_TRUE(db.Open(error)) << error.toStdString();
    EXPECT_EQ(db.Version(), TStoreDb::kSchemaVersion);
    ASSERT_EQ(db.Games().size(), 1u);
    EXPECT_EQ(db.Games()[0].Seats[1].Name, "Bob");
    TStoreWrite write;
    bool retry = true;
    write.Report = TStoredReport{1, "start", "1.2.3.4", {"x"}};
    EXPECT_TRUE(db.Write(write, error, retry)) << error.toStdString();
    EXPECT_EQ(db.Reports().size(), 1u);
}

TEST_F(StoreTest, AFileOfANewerServerIsRefusedAndTheServerExitsWithTheReason) {
    {
        TStoreDb db(Path());
        QString error;
        ASSERT_TRUE(db.Open(error));
    }
    SetVersion(Path(), TStoreDb::kSchemaVersion + 1);
    {
        TStoreDb db(Path());
        QString error;
        EXPECT_FALSE(db.Open(error));
        EXPECT_TRUE(error.contains(QStringLiteral("newer trelvo-server"))) << error.toStdString();
        EXPECT_EQ(db.Version(), TStoreDb::kSchemaVersion + 1); // left as it was
    }
    TSpawnedProcess server(
        QStringLiteral(TRELVO_SERVER_BINARY),
        {QStringLiteral("--db"), Path(), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    ASSERT_TRUE(server.WaitForFinished(20000));
    EXPECT_EQ(server.ExitCode(), 1);
    EXPECT_TRUE(server.ReadStandardError().contains("newer trelvo-server"));
}

// Ratings move the right way by the right amounts: K 32 shared among a seat's n - 1 meetings, a pair
// with a bot at half weight, winners not compared with each other.
TEST(Ratings, OneLoserAmongTwoToFourPlayers) {
    struct Case {
        const char *Name;
        server::TGameRecord Record;
        std::map<QString, double> Start;
        std::map<QString, double> Expected;
    };
    const Case cases[] = {
        {"two equals", Game({"A", "B"}, {1, 0}), {}, {{"A", 1516}, {"B", 1484}}},
        {"three equals", Game({"A", "B", "C"}, {1, 0, 1}), {}, {{"A", 1508}, {"B", 1484}, {"C", 1508}}},
        {"four equals",
         Game({"A", "B", "C", "D"}, {1, 1, 1, 0}),
         {},
         {{"A", 1500 + 16.0 / 3}, {"B", 1500 + 16.0 / 3}, {"C", 1500 + 16.0 / 3}, {"D", 1484}}},
        {"a draw between equals", Game({"A", "B"}, {2, 2}), {}, {{"A", 1500}, {"B", 1500}}},
        {"a draw behind a winner",
         Game({"A", "B", "C"}, {1, 2, 2}),
         {},
         {{"A", 1516}, {"B", 1492}, {"C", 1492}}},
        // 16 * (1 - 1 / (1 + 10^(-100/400))) = 5.7590; the weaker winner gains more: 10.2410.
        {"winners apart are not compared",
         Game({"A", "B", "C"}, {1, 1, 0}),
         {{"A", 1600}, {"B", 1400}},
         {{"A", 1605.7590}, {"B", 1410.2410}, {"C", 1484}}},
        {"losing to a bot costs half", Game({"Ann", "*Bot"}, {0, 1}), {}, {{"Ann", 1492}}},
        {"beating a bot gains half", Game({"Ann", "*Bot", "*Bot 2"}, {1, 0, 1}), {}, {{"Ann", 1504}}},
        {"bots only: nothing moves", Game({"*X", "*Y"}, {1, 0}), {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TRatings ratings;
        std::vector<TRatingRow> start;
        for (const auto &[name, rating] : c.Start)
            start.push_back({name.toCaseFolded(), name, rating, 10, 3});
        ratings.Load(start);
        const std::vector<TRatingRow> changed = ratings.Apply(c.Record);
        ASSERT_EQ(changed.size(), c.Expected.size());
        for (const TRatingRow &row : changed) {
            ASSERT_TRUE(c.Expected.count(row.Name)) << row.Name.toStdString();
            EXPECT_NEAR(row.Rating, c.Expected.at(row.Name), 1e-3) << row.Name.toStdString();
            EXPECT_EQ(row.Games, (c.Start.count(row.Name) ? 10 : 0) + 1);
            const int lost = c.Record.Results[static_cast<std::size_t>(
                                 std::find(c.Record.Names.begin(), c.Record.Names.end(), row.Name) -
                                 c.Record.Names.begin())] == 0;
            EXPECT_EQ(row.Losses, (c.Start.count(row.Name) ? 3 : 0) + lost);
        }
        for (const QString &bot : {QStringLiteral("Bot"), QStringLiteral("X")})
            EXPECT_EQ(ratings.Of(bot).Games, 0);
    }
}

// Scripted games go through the recorder and the writer; a restarted server reads the same ratings and
// the same games back, and the table ranks best first.
TEST_F(StoreTest, RecordedGamesAndRatingsSurviveARestart) {
    {
        TStoreDb db(Path());
        QString error;
        ASSERT_TRUE(db.Open(error));
    }
    TRatings ratings;
    std::vector<TRatingRow> before;
    {
        TStoreWriter writer(Path());
        TRecorder recorder(ratings, writer);
        recorder.Now = [] { return std::int64_t{1700000000000}; };
        recorder.GameOver(Game({"Ann", "Bob", "*Bot"}, {1, 0, 1}, 1));
        recorder.GameOver(Game({"Ann", "Cid"}, {0, 1}, 2));
        recorder.GameOver(Game({"bob", "Cid", "Ann", "Dan"}, {1, 1, 1, 0}, 3));
        before = ratings.Top(10);
        const TTopAnswer top = recorder.Top(QStringLiteral("ANN"));
        ASSERT_EQ(top.Rows.size(), 4u);
        EXPECT_EQ(top.Rows[0].Name, "Cid");
        EXPECT_EQ(top.Rows[3].Name, "Dan");
        EXPECT_EQ(top.Own.Games, 3);
        EXPECT_EQ(top.Own.Losses, 1);
        // Stopping (as on SIGTERM) flushes the queue.
    }
    TStoreDb db(Path());
    QString error;
    ASSERT_TRUE(db.Open(error));
    TRatings restarted;
    restarted.Load(db.LoadRatings());
    EXPECT_EQ(restarted.Top(10), before);
    const std::vector<TStoredGame> games = db.Games();
    ASSERT_EQ(games.size(), 3u);
    const TStoredGame expected{1700000000000,
                               {true, false, true},
                               {{"Ann", false, 1}, {"Bob", false, 0}, {"Bot", true, 1}},
                               9,
                               60000,
                               1};
    EXPECT_EQ(games[0], expected);
    EXPECT_EQ(games[2].Seats[0].Name, "bob"); // the name as it was that game; the rating row is one
    EXPECT_EQ(restarted.Of(QStringLiteral("BOB")).Games, 2);
}

// A real table of bots: every game reaches the store with its seats, bots, rules, bouts and seed.
TEST_F(StoreTest, AServerGameIsRecordedWithItsSeatsAndSeed) {
    {
        TStoreDb db(Path());
        QString error;
        ASSERT_TRUE(db.Open(error));
    }
    TRatings ratings;
    TStoreWriter writer(Path());
    TRecorder recorder(ratings, writer);
    server::test::TJumpClock clock;
    server::TServerOptions options;
    options.LobbyBotTables = 0;
    options.BotThinkMinMs = 1;
    options.BotThinkMaxMs = 30;
    server::TGameServer game(clock, 42, options);
    int played = 0;
    std::vector<server::TGameRecord> records;
    game.OnGameOver = [&](const server::TGameRecord &r) {
        ++played;
        records.push_back(r);
        recorder.GameOver(r);
    };
    const server::TTableRules rules{true, true, false};
    game.OpenBotTable(rules, {server::TBotLevel::Easy, server::TBotLevel::Normal, server::TBotLevel::Easy});
    ASSERT_TRUE(clock.RunUntil([&] { return played >= 3; }));
    game.OnGameOver = nullptr;
    writer.Stop();
    EXPECT_EQ(writer.Written(), 3u);
    TStoreDb db(Path());
    QString error;
    ASSERT_TRUE(db.Open(error));
    const std::vector<TStoredGame> games = db.Games();
    ASSERT_EQ(games.size(), 3u);
    for (std::size_t i = 0; i < games.size(); ++i) {
        EXPECT_EQ(games[i].Rules, rules);
        ASSERT_EQ(games[i].Seats.size(), 3u);
        for (const TStoredSeat &seat : games[i].Seats) {
            EXPECT_TRUE(seat.Bot);
            EXPECT_FALSE(seat.Name.isEmpty());
        }
        EXPECT_EQ(games[i].Seed, records[i].Seed);
        EXPECT_GT(games[i].Bouts, 0);
        EXPECT_GT(games[i].DurationMs, 0);
    }
    EXPECT_NE(games[0].Seed, games[1].Seed);
    EXPECT_TRUE(db.LoadRatings().empty());
}

// A full disk with no room for the spill file either: writes fail, are logged and tried again in order,
// play's queue stays open; once there is room every acknowledged write is there. A writer killed later
// loses nothing it acknowledged.
TEST_F(StoreTest, AFullDiskDelaysWritesAndAKilledWriterLosesNothingAcknowledged) {
    {
        TStoreDb db(Path());
        QString error;
        ASSERT_TRUE(db.Open(error));
    }
    TStoreWriterOptions options;
    options.Spill = false;
    options.FirstRetryMs = 5;
    options.LastRetryMs = 20;
    options.Capacity = 100;
    auto writer = std::make_unique<TStoreWriter>(Path(), options);
    writer->SetPageLimit(1);
    const QString longName(30, u'x');
    std::vector<TStoreWrite> writes;
    for (int i = 0; i < 60; ++i) {
        TStoreWrite w;
        w.Game = StoredGame(
            Game({longName + QString::number(i), "B", "C", "D"}, {1, 1, 1, 0}, static_cast<std::uint64_t>(i)),
            i);
        ASSERT_TRUE(writer->Enqueue(w));
    }
    ASSERT_TRUE(SpinUntil([&] { return writer->Failures() >= 3; }));
    const std::uint64_t stuck = writer->Written();
    EXPECT_LT(stuck, 60u);
    EXPECT_EQ(writer->Written() + writer->Queued(), 60u);
    // The queue is bounded: beyond it writes are dropped, not waited for.
    for (int i = 0; writer->Queued() < 100 && i < 200; ++i)
        writer->Enqueue({});
    EXPECT_FALSE(writer->Enqueue({}));
    EXPECT_GE(writer->Dropped(), 1u);

    writer->SetPageLimit(0);
    ASSERT_TRUE(SpinUntil([&] { return writer->Written() >= 60; }));
    const std::uint64_t acknowledged = writer->Written();
    writer->Stop(true);
    writer.reset();

    TStoreDb db(Path());
    QString error;
    ASSERT_TRUE(db.Open(error));
    const std::vector<TStoredGame> games = db.Games();
    ASSERT_GE(games.size(), 60u);
    EXPECT_LE(games.size(), acknowledged);
    for (std::size_t i = 0; i < 60; ++i)
        EXPECT_EQ(games[i].Seed, i) << "in order, none lost";
}

// A write the file can never take (here a rating row without a key, which the schema forbids) is logged
// and dropped: it must not hold up the writes behind it for ever.
TEST_F(StoreTest, AWriteThatCanNeverSucceedDoesNotStallTheQueue) {
    {
        TStoreDb db(Path());
        QString error;
        ASSERT_TRUE(db.Open(error));
    }
    TStoreWriterOptions options;
    options.FirstRetryMs = 5;
    options.LastRetryMs = 20;
    TStoreWriter writer(Path(), options);
    TStoreWrite poison;
    poison.Ratings.push_back({QString(), QString(), 1500, 1, 0});
    writer.Enqueue(poison);
    TStoreWrite good;
    good.Game = StoredGame(Game({"Ann", "Bob"}, {1, 0}), 1);
    writer.Enqueue(good);
    EXPECT_TRUE(SpinUntil([&] { return writer.Queued() == 0; }, 10000));
    EXPECT_EQ(writer.Written(), 1u);
}

// Once a burst is written and the writer is idle, its write-ahead log is folded into the file and cut to
// nothing: the log does not keep the disk space a full disk needs back.
TEST_F(StoreTest, AnIdleWriterTruncatesItsWriteAheadLog) {
    {
        TStoreDb db(Path());
        QString error;
        ASSERT_TRUE(db.Open(error));
    }
    TStoreWriter writer(Path());
    for (int i = 0; i < 300; ++i) {
        TStoreWrite w;
        w.Game = StoredGame(Game({"Ann", "Bob", "Cid"}, {1, 0, 1}, static_cast<std::uint64_t>(i)), i);
        ASSERT_TRUE(writer.Enqueue(w));
    }
    ASSERT_TRUE(SpinUntil([&] { return writer.Written() == 300; }, 30000));
    EXPECT_TRUE(SpinUntil([&] { return QFileInfo(Path() + QStringLiteral("-wal")).size() == 0; }, 10000))
        << QFileInfo(Path() + QStringLiteral("-wal")).size() << " bytes left in the log";
}

// What a finished game's players are sent waits, in order, until every game holding them is stored;
// others' messages go out at once.
TEST(ResultGate, HoldsAPlayersMessagesInOrderUntilEveryHoldIsReleased) {
    TResultGate gate;
    std::vector<std::pair<int, QString>> sent;
    gate.OnSend = [&](server::TConnId Conn, const QString &Message) { sent.emplace_back(Conn, Message); };
    const std::uint64_t first = gate.Hold({1, -1, 2});
    const std::uint64_t second = gate.Hold({2});
    gate.Send(1, QStringLiteral("15;1;1;"));
    gate.Send(3, QStringLiteral("9;"));
    gate.Send(2, QStringLiteral("15;0;1;"));
    gate.Send(1, QStringLiteral("8;"));
    EXPECT_EQ(sent, (std::vector<std::pair<int, QString>>{{3, "9;"}}));
    gate.Release(first);
    EXPECT_EQ(sent, (std::vector<std::pair<int, QString>>{{3, "9;"}, {1, "15;1;1;"}, {1, "8;"}}));
    gate.Release(first); // twice is once
    gate.Send(2, QStringLiteral("8;"));
    gate.Release(second);
    EXPECT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[3], std::make_pair(2, QStringLiteral("15;0;1;")));
    EXPECT_EQ(sent[4], std::make_pair(2, QStringLiteral("8;")));
    EXPECT_EQ(gate.Held(), 0u);
}

TEST(TopAnswer, RoundTripsAndRefusesMalformedFrames) {
    const TTopAnswer answer{{{"Ann;1", 1516, 3, 0}, {"Bob", 1484, 2, 2}}, {"", 1500, 0, 0}};
    const QString text = BuildTopAnswer(answer);
    EXPECT_EQ(ParseTopAnswer(text), answer);
    EXPECT_EQ(ParseTopAnswer(BuildTopAnswer({})), TTopAnswer{});
    for (const char *bad : {"top;", "top;1;Ann;1;2;3;4;5;", "top;0;1;2;", "top;x;1;2;3;", "top;0;1;2;3",
                            "top;21;", "pot;0;1;2;3;", "top;-1;1;2;3;"})
        EXPECT_FALSE(ParseTopAnswer(QString::fromLatin1(bad))) << bad;
}

} // namespace
