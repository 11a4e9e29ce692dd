#include "host/HostOptions.h"

#include "common/BoundedInt.h"
#include "netserver/Session.h"

#include <QCommandLineParser>
#include <QUrl>

namespace trelvo::host {

QString BotLevelName(THostBotLevel Level) {
    switch (Level) {
    case THostBotLevel::Easy:
        return QStringLiteral("easy");
    case THostBotLevel::Hard:
        return QStringLiteral("hard");
    case THostBotLevel::Normal:
        break;
    }
    return QStringLiteral("normal");
}

bool ParseHostOptions(const QStringList &Arguments, THostOptions &Options, QString &Error, bool &Help) {
    Help = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Trelvo host: a chat window with the game server and bots"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("The player's name."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption client(QStringLiteral("client"), QStringLiteral("The client program to start."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption bots(QStringLiteral("bots"),
                                  QStringLiteral("Bots that join a table you create (1 to 3, default 2)."),
                                  QStringLiteral("N"));
    const QCommandLineOption level(QStringLiteral("level"),
                                   QStringLiteral("Bot strength: easy, normal or hard."),
                                   QStringLiteral("LEVEL"));
    const QCommandLineOption think(
        QStringLiteral("bot-think-ms"),
        QStringLiteral("How long bots think, MIN or MIN-MAX ms (default %1-%2).")
            .arg(server::kBotThinkMinMs)
            .arg(server::kBotThinkMaxMs),
        QStringLiteral("MS"));
    const QCommandLineOption countdown(
        QStringLiteral("countdown-tick-ms"),
        QStringLiteral("One second of the countdown before a game, in ms (default %1).")
            .arg(server::kCountdownTickMs),
        QStringLiteral("MS"));
    const QCommandLineOption pause(
        QStringLiteral("round-end-pause-ms"),
        QStringLiteral("How long bots wait after a bout before leading, in ms (default %1: the game shows "
                       "the bout's end).")
            .arg(server::kRoundEndPauseMs),
        QStringLiteral("MS"));
    const QCommandLineOption tables(QStringLiteral("lobby-tables"),
                                    QStringLiteral("Tables with waiting bots in the lobby (default 3)."),
                                    QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of deals and bot choices."),
                                  QStringLiteral("N"));
    const QCommandLineOption autoplay(QStringLiteral("autoplay"),
                                      QStringLiteral("Play your seat by pointer clicks on the game window."));
    const QCommandLineOption shots(QStringLiteral("screenshots"),
                                   QStringLiteral("Save the window to DIR every few seconds."),
                                   QStringLiteral("DIR"));
    const QCommandLineOption every(QStringLiteral("screenshot-every"),
                                   QStringLiteral("Seconds between screenshots (default 5)."),
                                   QStringLiteral("S"));
    const QCommandLineOption quit(QStringLiteral("quit-after"), QStringLiteral("End after S seconds."),
                                  QStringLiteral("S"));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral(
            "Play on trelvo-server at ws://HOST:PORT or wss://HOST:PORT instead of the game server "
            "in this program (whose bot options then do not apply)."),
        QStringLiteral("URL"));
    const QCommandLineOption local(
        QStringLiteral("local"),
        QStringLiteral("Play against the bots of this program even when a server is remembered."));
    parser.addOptions({help, name, client, bots, level, think, countdown, pause, tables, seed, autoplay,
                       shots, every, quit, server, local});

    if (!parser.parse(QStringList{QStringLiteral("trelvo-host")} + Arguments)) {
        Error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        Help = true;
        // Read before the application exists, the parser knows no program name of its own.
        Error = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("trelvo-host"));
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    auto fail = [&](const QCommandLineOption &option, const QString &what) {
        Error = QStringLiteral("--%1: %2").arg(option.names().constLast(), what);
        return false;
    };
    if (parser.isSet(name)) {
        Options.PlayerName = parser.value(name);
        if (Options.PlayerName.isEmpty() || Options.PlayerName.contains(u';'))
            return fail(name, QStringLiteral("a name must not be empty nor hold ';'"));
    }
    if (parser.isSet(client))
        Options.ClientPath = parser.value(client);
    if (parser.isSet(bots) && !ReadInt(parser.value(bots), 1, 3, Options.Bots))
        return fail(bots, QStringLiteral("expected 1, 2 or 3"));
    if (parser.isSet(level)) {
        const QString value = parser.value(level).toLower();
        bool known = false;
        for (THostBotLevel each : {THostBotLevel::Easy, THostBotLevel::Normal, THostBotLevel::Hard})
            if (value == BotLevelName(each)) {
                Options.Level = each;
                known = true;
            }
        if (!known)
            return fail(level, QStringLiteral("expected easy, normal or hard"));
    }
    if (parser.isSet(think)) {
        const QStringList range = parser.value(think).split(u'-');
        int min = 0, max = 0;
        if (range.size() > 2 || !ReadInt(range.first(), 0, 60000, min) ||
            !ReadInt(range.last(), min, 60000, max))
            return fail(think, QStringLiteral("expected MIN or MIN-MAX milliseconds"));
        Options.BotThinkMinMs = min;
        Options.BotThinkMaxMs = max;
    }
    if (parser.isSet(countdown) && !ReadInt(parser.value(countdown), 10, 10000, Options.CountdownTickMs))
        return fail(countdown, QStringLiteral("expected 10 to 10000 milliseconds"));
    if (parser.isSet(pause) && !ReadInt(parser.value(pause), 0, 60000, Options.RoundEndPauseMs))
        return fail(pause, QStringLiteral("expected 0 to 60000 milliseconds"));
    if (parser.isSet(tables) && !ReadInt(parser.value(tables), 0, 50, Options.LobbyTables))
        return fail(tables, QStringLiteral("expected 0 to 50"));
    if (parser.isSet(seed)) {
        bool ok = false;
        Options.Seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            return fail(seed, QStringLiteral("expected a number"));
    }
    Options.Autoplay = parser.isSet(autoplay);
    if (parser.isSet(shots))
        Options.ScreenshotDir = parser.value(shots);
    if (parser.isSet(every) && !ReadInt(parser.value(every), 1, 3600, Options.ScreenshotEverySeconds))
        return fail(every, QStringLiteral("expected 1 to 3600 seconds"));
    if (parser.isSet(quit) && !ReadInt(parser.value(quit), 1, 24 * 3600, Options.QuitAfterSeconds))
        return fail(quit, QStringLiteral("expected a number of seconds"));
    if (parser.isSet(server) && parser.isSet(local))
        return fail(local, QStringLiteral("cannot go with --server"));
    if (parser.isSet(local))
        Options.ServerUrl.clear();
    if (parser.isSet(server)) {
        const QUrl url(parser.value(server), QUrl::StrictMode);
        if (!url.isValid() ||
            (url.scheme() != QStringLiteral("ws") && url.scheme() != QStringLiteral("wss")) ||
            url.host().isEmpty())
            return fail(server, QStringLiteral("expected ws://HOST:PORT or wss://HOST:PORT"));
        Options.ServerUrl = url.toString();
    }
    // The client reports to the statistics service of the server it plays on (given now or
    // remembered), and to none without one.
    Options.StatsService.clear();
    if (!Options.ServerUrl.isEmpty()) {
        QUrl stats;
        stats.setScheme(QStringLiteral("https"));
        stats.setHost(QUrl(Options.ServerUrl).host());
        stats.setPort(net::kDefaultStatsPort);
        Options.StatsService = stats.toString();
    }
    return true;
}

} // namespace trelvo::host
