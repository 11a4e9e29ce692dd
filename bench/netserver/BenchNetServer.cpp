// Load generator for trelvo-server: simulated players (the server's bot brains) over real WebSocket
// connections on loopback against one trelvo-server process. Prints the figures beside their goals.
//   bench_netserver [--players N] [--idle N] [--seconds S] [--port P] [--top-only]
#include "BenchTop.h"
#include "common/QtClock.h"
#include "protocol/Session.h"
#include "netserver/Store.h"
#include "protocol/Fields.h"
#include "protocol/ServerMessages.h"
#include "server/Bot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace trelvo;

namespace {

constexpr int kTableSize = 4;

// The server's resident memory (KiB) and CPU time (ms) from /proc.
struct TProcessFigures {
    long RssKiB = 0;
    long CpuMs = 0;
};

TProcessFigures Figures(qint64 Pid) {
    TProcessFigures f;
    QFile status(QStringLiteral("/proc/%1/status").arg(Pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                f.RssKiB = line.mid(6).trimmed().split(' ').first().toLong();
    QFile stat(QStringLiteral("/proc/%1/stat").arg(Pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        // The fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            f.CpuMs = (fields[11].toLong() + fields[12].toLong()) * 1000 / sysconf(_SC_CLK_TCK);
    }
    return f;
}

void Spin(int Ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < Ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

template <typename F> bool SpinUntil(F Done, int Ms) {
    QElapsedTimer t;
    t.start();
    while (!Done()) {
        if (t.elapsed() > Ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

struct TStats {
    int Welcomed = 0;
    int Refused = 0;
    int Closed = 0;
    long Results = 0;    // game results received: four a game of four
    long Mismatches = 0; // a player's own count of its cards differed from the server's
    long FramesIn = 0;
    std::vector<qint64> RoundTripsUs;
};

class TTable;

// One simulated person: a WebSocket, a bot brain and a referee's count of its own cards.
class TPlayer {
public:
    TPlayer(TClock &Clock, TStats &Stats, QElapsedTimer &Time, int Index, bool Playing)
        : FStats(Stats), FTime(Time), FName(QStringLiteral("p%1").arg(Index)) {
        if (Playing) {
            FBrain = std::make_unique<server::TBot>(Clock, 1000 + Index, server::TBotLevel::Normal, 1000,
                                                    2000, server::TServerOptions{}.RoundEndPauseMs, FName);
            FBrain->OnRequest = [this](const QString &Request) { Request_(Request); };
        }
        QObject::connect(&FSocket, &QWebSocket::connected, [this] {
            FSocket.sendTextMessage(net::BuildHello({net::kProtocolVersion, FName}));
        });
        QObject::connect(&FSocket, &QWebSocket::textMessageReceived,
                         [this](const QString &Text) { Frame(Text); });
        QObject::connect(&FSocket, &QWebSocket::disconnected, [this] { ++FStats.Closed; });
    }

    void Open(quint16 Port) { FSocket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(Port))); }
    void Close() { FSocket.abort(); }
    void Send(const QString &Text) { FSocket.sendTextMessage(Text); }
    bool Welcomed() const { return FWelcomed; }

    TTable *Table = nullptr;
    bool Creator = false;
    server::TTableRules Rules;

private:
    void Request_(const QString &Request) {
        int sub = 0;
        QStringView payload;
        if (msg::SplitSubcode(Request, sub, payload) &&
            (sub == 10 || sub == 11 || sub == 12 || sub == 14 || sub == 19))
            FMoveSentAt = FTime.nsecsElapsed();
        Send(Request);
    }
    void Frame(const QString &Text);
    void Referee(const msg::TServerMessage &M);

    TStats &FStats;
    QElapsedTimer &FTime;
    QString FName;
    QWebSocket FSocket;
    std::unique_ptr<server::TBot> FBrain;
    bool FWelcomed = false;
    qint64 FMoveSentAt = 0;
    int FOwnID = -1;
    int FHand = 0;
};

// Four players: the first opens the table, the others enter it once it has an id.
class TTable {
public:
    std::vector<TPlayer *> Players;
    int ID = -1;
    void Created(int TableID) {
        ID = TableID;
        for (TPlayer *p : Players)
            if (!p->Creator)
                p->Send(QStringLiteral("5;%1").arg(ID));
    }
};

void TPlayer::Frame(const QString &Text) {
    ++FStats.FramesIn;
    if (!FWelcomed) {
        const auto answer = net::ParseAnswer(Text);
        if (!answer || !answer->Accepted) {
            ++FStats.Refused;
            return;
        }
        FWelcomed = true;
        ++FStats.Welcomed;
        if (Creator)
            Send(QStringLiteral("3;%1;%2;%3;")
                     .arg(int(Rules.Transfer))
                     .arg(int(Rules.FirstNotTransfer))
                     .arg(int(Rules.MaxFive)));
        return;
    }
    if (FMoveSentAt) {
        FStats.RoundTripsUs.push_back((FTime.nsecsElapsed() - FMoveSentAt) / 1000);
        FMoveSentAt = 0;
    }
    if (!FBrain)
        return;
    const auto m = msg::ParseServerMessage(Text);
    if (!m)
        return;
    if (const auto *created = std::get_if<msg::TTableCreated>(&*m)) {
        if (Table && Creator && created->TableID >= 0)
            Table->Created(created->TableID);
    }
    // Readiness only once the whole table sits: the countdown would otherwise start with two.
    if (const auto *room = std::get_if<msg::TWaitingRoom>(&*m))
        if (static_cast<int>(room->Seats.size()) < kTableSize)
            return;
    Referee(*m);
    FBrain->SetRules(Rules);
    FBrain->Receive(Text);
}

// What the server says of this player's hand at every bout's end must be what the player counted from
// the messages it was sent: a lost or doubled message shows here.
void TPlayer::Referee(const msg::TServerMessage &M) {
    if (const auto *start = std::get_if<msg::TGameStart>(&M)) {
        FOwnID = -1;
        for (const auto &p : start->Players)
            if (p.Name == FName)
                FOwnID = p.ID;
        FHand = static_cast<int>(start->Cards.size());
    } else if (const auto *played = std::get_if<msg::TCardPlayed>(&M)) {
        if (played->AttackerID == FOwnID)
            --FHand;
    } else if (const auto *covered = std::get_if<msg::TCovered>(&M)) {
        if (covered->CovererID == FOwnID)
            --FHand;
    } else if (const auto *end = std::get_if<msg::TBoutEnd>(&M)) {
        FHand += static_cast<int>(end->Cards.size());
        for (const auto &c : end->Counts)
            if (c.ID == FOwnID && c.CardCount != FHand) {
                ++FStats.Mismatches;
                FHand = c.CardCount;
            }
    } else if (std::holds_alternative<msg::TGameResult>(M)) {
        ++FStats.Results;
    }
}

qint64 Percentile(std::vector<qint64> Values, double P) {
    if (Values.empty())
        return 0;
    const size_t at = std::min(Values.size() - 1, static_cast<size_t>(P * Values.size()));
    std::nth_element(Values.begin(), Values.begin() + at, Values.end());
    return Values[at];
}

// Opens the players' sockets a hundred at a time, so the listener's backlog is not overrun.
bool Connect(std::vector<std::unique_ptr<TPlayer>> &Players, quint16 Port, TStats &Stats) {
    for (size_t i = 0; i < Players.size(); ++i) {
        Players[i]->Open(Port);
        if (i % 100 == 99)
            SpinUntil([&] { return Stats.Welcomed + Stats.Refused >= static_cast<int>(i) - 100; }, 5000);
    }
    return SpinUntil([&] { return Stats.Welcomed + Stats.Refused >= static_cast<int>(Players.size()); },
                     120000);
}

int ReadOption(const QStringList &Args, const QString &Name, int Default) {
    const int at = Args.indexOf(Name);
    return at >= 0 && at + 1 < Args.size() ? Args[at + 1].toInt() : Default;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    BenchTop(1000000);
    if (args.contains(QStringLiteral("--top-only")))
        return 0;
    const int playerCount = ReadOption(args, QStringLiteral("--players"), 2000) / kTableSize * kTableSize;
    const int idleCount = ReadOption(args, QStringLiteral("--idle"), 10000);
    const int seconds = std::clamp(ReadOption(args, QStringLiteral("--seconds"), 60), 5, 3600);
    const quint16 port = static_cast<quint16>(ReadOption(args, QStringLiteral("--port"), 47917));

    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    // The store is on, as in production: every finished game and its ratings are written. For a
    // baseline, --server PATH --no-store runs another build (one from before the store) without it.
    const qsizetype serverAt = args.indexOf(QStringLiteral("--server"));
    const QString serverBinary = serverAt >= 0 && serverAt + 1 < args.size()
                                     ? args[serverAt + 1]
                                     : QStringLiteral(TRELVO_SERVER_BINARY);
    const bool store = !args.contains(QStringLiteral("--no-store"));
    QTemporaryDir storeDir;
    const QString storeFile = storeDir.filePath(QStringLiteral("bench.sqlite"));
    QStringList serverArgs = {QStringLiteral("--listen"),
                              QStringLiteral("127.0.0.1:%1").arg(port),
                              QStringLiteral("--max-connections"),
                              QString::number(std::max(playerCount, idleCount) + 100),
                              QStringLiteral("--seed"),
                              QStringLiteral("1")};
    if (store)
        serverArgs << QStringLiteral("--db") << storeFile;
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.setProcessEnvironment([] {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("trelvo.server.info=false"));
        return env;
    }());
    server.start(serverBinary, serverArgs);
    if (!server.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(serverBinary));
        return 1;
    }
    Spin(500);
    const qint64 pid = server.processId();
    const TProcessFigures empty = Figures(pid);

    TQtClock clock;
    TClockScope scope(clock);
    QElapsedTimer time;
    time.start();

    // Active players: four a table, acting every one to two seconds.
    {
        TStats stats;
        std::vector<std::unique_ptr<TPlayer>> players;
        std::vector<std::unique_ptr<TTable>> tables;
        for (int i = 0; i < playerCount; ++i) {
            if (i % kTableSize == 0)
                tables.push_back(std::make_unique<TTable>());
            auto player = std::make_unique<TPlayer>(clock, stats, time, i, true);
            player->Table = tables.back().get();
            player->Creator = i % kTableSize == 0;
            const int t = i / kTableSize;
            player->Rules = {t % 2 == 1, t % 4 == 3, t % 3 == 2};
            tables.back()->Players.push_back(player.get());
            players.push_back(std::move(player));
        }
        const bool all = Connect(players, port, stats);
        stats.RoundTripsUs.clear();
        const TProcessFigures before = Figures(pid);
        const TProcessFigures selfBefore = Figures(QCoreApplication::applicationPid());
        const qint64 start = time.elapsed();
        const long resultsBefore = stats.Results;
        Spin(seconds * 1000);
        const double wall = (time.elapsed() - start) / 1000.0;
        const TProcessFigures after = Figures(pid);
        const TProcessFigures selfAfter = Figures(QCoreApplication::applicationPid());
        const double games = (stats.Results - resultsBefore) / double(kTableSize) / wall;
        std::printf("active: %d players at %zu tables, %s, for %.0f s\n", stats.Welcomed, tables.size(),
                    all ? "all logged in" : "NOT all logged in", wall);
        std::printf("  games a second          %8.2f\n", games);
        std::printf("  moves answered          %8zu\n", stats.RoundTripsUs.size());
        std::printf("  move round trip median  %8.2f ms\n", Percentile(stats.RoundTripsUs, 0.5) / 1000.0);
        std::printf("  move round trip p99     %8.2f ms   (goal <= 20 ms)\n",
                    Percentile(stats.RoundTripsUs, 0.99) / 1000.0);
        std::printf("  server RSS              %8.1f MiB, %.1f KiB a connection\n", after.RssKiB / 1024.0,
                    double(after.RssKiB - empty.RssKiB) / std::max(1, stats.Welcomed));
        std::printf("  server CPU              %8.1f %% of one core\n",
                    (after.CpuMs - before.CpuMs) / wall / 10.0);
        std::printf(
            "  load generator CPU      %8.1f %% of one core (its own delays count in the round trip)\n",
            (selfAfter.CpuMs - selfBefore.CpuMs) / wall / 10.0);
        std::printf("  hand counts not matching the server's: %ld, connections closed: %d   (goal 0, 0)\n",
                    stats.Mismatches, stats.Closed);
        for (auto &p : players)
            p->Close();
        players.clear();
    }
    Spin(2000);

    // Idle connections: logged in, saying nothing.
    {
        TStats stats;
        const TProcessFigures base = Figures(pid);
        std::vector<std::unique_ptr<TPlayer>> players;
        for (int i = 0; i < idleCount; ++i)
            players.push_back(std::make_unique<TPlayer>(clock, stats, time, 100000 + i, false));
        const bool all = Connect(players, port, stats);
        Spin(1000);
        const TProcessFigures held = Figures(pid);
        Spin(5000);
        const TProcessFigures later = Figures(pid);
        std::printf("idle: %d connections held%s\n", stats.Welcomed, all ? "" : " (NOT all logged in)");
        std::printf("  server RSS              %8.1f MiB, %.1f KiB a connection   (goal <= 64 KiB)\n",
                    held.RssKiB / 1024.0, double(held.RssKiB - base.RssKiB) / std::max(1, stats.Welcomed));
        std::printf("  server CPU while idle   %8.1f %% of one core\n",
                    (later.CpuMs - held.CpuMs) / 5.0 / 10.0);
        for (auto &p : players)
            p->Close();
    }
    // SIGTERM writes what is queued: every game played is in the store.
    server.terminate();
    server.waitForFinished(30000);
    if (!store)
        return 0;
    trelvo::net::TStoreDb db(storeFile);
    QString error;
    if (db.Open(error))
        std::printf("store: %zu games recorded, %.1f MiB (with its write-ahead log)\n", db.Games().size(),
                    (QFileInfo(storeFile).size() + QFileInfo(storeFile + QStringLiteral("-wal")).size()) /
                        1048576.0);
    return 0;
}
