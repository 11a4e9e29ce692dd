// trelvo-server: the Durak game server and its bots behind a WebSocket listener.
#include "common/QtClock.h"
#include "netserver/NetServer.h"
#include "netserver/ServerOptions.h"
#include "server/GameServer.h"
#include "server/Log.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QRandomGenerator>

#include <cstdio>

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
    if (!LoadTls(options, error)) {
        std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
        return 2;
    }
    std::uint64_t files = 0;
    if (!RaiseOpenFileLimit(options.Net.MaxConnections, files))
        qCWarning(server::lcServer) << "the open-file limit is" << files << ": fewer than"
                                    << options.Net.MaxConnections << "players fit";

    TQtClock clock;
    TClockScope clockScope(clock);
    const std::uint64_t seed = options.Seed != 0 ? options.Seed : QRandomGenerator::global()->generate64();
    server::TGameServer game(clock, seed, options.Game);
    TNetServer net(clock, game, options.Net);
    if (!net.Listen(error)) {
        std::fprintf(stderr, "trelvo-server: %s\n", qPrintable(error));
        return 1;
    }
    return QCoreApplication::exec();
}
