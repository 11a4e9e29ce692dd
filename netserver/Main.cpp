// trelvo-server: the Durak game server and its bots behind a WebSocket listener.
#include "common/QtClock.h"
#include "netserver/NetServer.h"
#include "netserver/Recorder.h"
#include "netserver/ResultGate.h"
#include "netserver/ServerOptions.h"
#include "netserver/StatsService.h"
#include "netserver/Store.h"
#include "netserver/StoreLock.h"
#include "netserver/StoreWriter.h"
#include "server/GameServer.h"
#include "server/Log.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>

namespace {

int gSignalPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT call Stop once; it ends the event loop when the server has stopped, so that what the
// store has queued is written before exit.
void OnStopSignals(QCoreApplication &App, std::function<void()> Stop) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &App);
    QObject::connect(notifier, &QSocketNotifier::activated, &App, [notifier, Stop = std::move(Stop)] {
        notifier->setEnabled(false);
        qCInfo(trelvo::server::lcServer) << "stopping";
        Stop();
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char **argv) {
    using namespace trelvo;
    using namespace trelvo::net;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TServerCommandLine options;
    QString error;
    bool help = false;
    if (!ParseServerOptions(arguments, options, error, help)) {
        std::fprintf(stderr, "trelvo-server: %s (see --help)\n", qPrintable(error));
        return 2;
    }
    if (help) {
        std::fputs(qPrintable(error), stdout);
        return 0;
    }

    QCoreApplication app(argc, argv);
    // A server's log says who came and went unless the rules say otherwise; journald adds the time.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("trelvo.server.info=true"));
    qSetMessagePattern(
        QStringLiteral("%{if-warning}warning: %{endif}%{if-critical}error: %{endif}%{message}"));

    // Reading the store's tables works beside a running server.
    if (options.Top > 0 || options.StatsSummary) {
        TStoreDb db(options.DbFile);
        if (!db.Open(error)) {
            std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
            return 1;
        }
        std::fputs(qPrintable(options.Top > 0 ? TopText(db.Top(options.Top)) : SummaryText(db.Summary())),
                   stdout);
        return 0;
    }

    // The store first, before anyone plays: one server per store, a file that is not ours or would lose
    // writes is refused, and the writer has the file open (with what an earlier run spilled written in).
    TStoreLock storeLock(options.DbFile);
    if (!storeLock.Take(error)) {
        std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
        return 1;
    }
    {
        TStoreDb db(options.DbFile);
        if (!db.Open(error, TStoreDb::kSchemaVersion, true)) {
            std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
            return 1;
        }
    }
    TStoreWriter writer(options.DbFile);
    TRatings ratings;
    {
        TStoreDb db(options.DbFile);
        if (!writer.Opened(error) || !db.Open(error)) {
            std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
            return 1;
        }
        ratings.Load(db.LoadRatings());
    }

    if (!LoadTls(options, error)) {
        std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
        return 2;
    }
    std::uint64_t files = 0;
    if (!RaiseOpenFileLimit(options.Net.MaxConnections, files))
        qCWarning(server::lcServer) << "the open-file limit is" << files << ": fewer than"
                                    << options.Net.MaxConnections << "players fit";

    TResultGate gate;
    TRecorder recorder(ratings, writer, &gate);
    TQtClock clock;
    TClockScope clockScope(clock);
    std::unique_ptr<TStatsService> stats;
    if (options.StatsAddress) {
        const auto tls = ReadTls(options.StatsCertFile, options.StatsKeyFile, error);
        if (!tls) {
            std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
            return 2;
        }
        stats = std::make_unique<TStatsService>(clock);
        stats->OnReport = [&writer](const TStoredReport &Report) {
            TStoreWrite write;
            write.Report = Report;
            return writer.Enqueue(std::move(write));
        };
        if (!stats->Listen(*options.StatsAddress, options.StatsPort, *tls, error)) {
            std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
            return 1;
        }
    }
    const std::uint64_t seed = options.Seed != 0 ? options.Seed : QRandomGenerator::global()->generate64();
    server::TGameServer game(clock, seed, options.Game);
    game.OnGameOver = [&recorder](const server::TGameRecord &Record) { recorder.GameOver(Record); };
    int status = 0;
    {
        TNetServer net(clock, game, options.Net);
        // What the game says to players goes out through the gate, which holds a finished game's
        // players until the store has it.
        gate.OnSend = std::move(game.OnSend);
        game.OnSend = [&gate](server::TConnId Conn, const QString &Message) { gate.Send(Conn, Message); };
        net.OnTop = [&recorder](const QString &Name) { return recorder.Top(Name); };
        if (!net.Listen(error)) {
            std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
            return 1;
        }
        qCInfo(server::lcServer).noquote() << "store:" << options.DbFile;
        // A stop is not the end of anyone's game: the games end without a result before the connections
        // close, so nobody is rated or recorded as a loser for it.
        OnStopSignals(app, [&net] { net.Stop([] { QCoreApplication::quit(); }); });
        status = QCoreApplication::exec();
    }
    gate.OnSend = nullptr;
    game.OnGameOver = nullptr;
    writer.Stop();
    return status;
}
