#include "host/HostOptions.h"

#include "common/BoundedInt.h"
#include "common/OptionReader.h"
#include "protocol/Session.h"
#include "server/BotLevels.h"

#include <QUrl>

namespace trelvo::host {

bool ParseHostOptions(const QStringList &Arguments, THostOptions &Options, QString &Error, bool &Help) {
    auto name = [&](const QString &Value) {
        if (Value.isEmpty() || Value.contains(u';'))
            return QStringLiteral("a name must not be empty nor hold ';'");
        Options.PlayerName = Value;
        return QString();
    };
    auto level = [&](const QString &Value) {
        const std::optional<server::TBotLevel> level = server::BotLevelFromName(Value);
        if (!level)
            return QStringLiteral("expected %1").arg(server::BotLevelNames());
        Options.Level = *level;
        return QString();
    };
    auto think = [&](const QString &Value) {
        const QStringList range = Value.split(u'-');
        int min = 0, max = 0;
        if (range.size() > 2 || !ReadInt(range.first(), 0, 60000, min) ||
            !ReadInt(range.last(), min, 60000, max))
            return QStringLiteral("expected MIN or MIN-MAX milliseconds");
        Options.BotThinkMinMs = min;
        Options.BotThinkMaxMs = max;
        return QString();
    };
    auto seed = [&](const QString &Value) {
        bool ok = false;
        Options.Seed = Value.toULongLong(&ok);
        return ok ? QString() : QStringLiteral("expected a number");
    };
    QString server; // read once it is known not to clash with --local
    const std::vector<TOptionRow> rows = {
        {QStringLiteral("name"), QStringLiteral("NAME"), QStringLiteral("The player's name."), name},
        {QStringLiteral("client"), QStringLiteral("PATH"), QStringLiteral("The client program to start."),
         TextInto(Options.ClientPath)},
        {QStringLiteral("bots"), QStringLiteral("N"),
         QStringLiteral("Bots that join a table you create (1 to 3, default 2)."),
         IntInto(Options.Bots, 1, 3, QStringLiteral("expected 1, 2 or 3"))},
        {QStringLiteral("level"), QStringLiteral("LEVEL"),
         QStringLiteral("Bot strength: %1.").arg(server::BotLevelNames()), level},
        {QStringLiteral("bot-think-ms"), QStringLiteral("MS"),
         QStringLiteral("How long bots think, MIN or MIN-MAX ms (default %1-%2).")
             .arg(server::kBotThinkMinMs)
             .arg(server::kBotThinkMaxMs),
         think},
        {QStringLiteral("countdown-tick-ms"), QStringLiteral("MS"),
         QStringLiteral("One second of the countdown before a game, in ms (default %1).")
             .arg(server::kCountdownTickMs),
         IntInto(Options.CountdownTickMs, 10, 10000, QStringLiteral("expected 10 to 10000 milliseconds"))},
        {QStringLiteral("round-end-pause-ms"), QStringLiteral("MS"),
         QStringLiteral("How long bots wait after a bout before leading, in ms (default %1: the game shows "
                        "the bout's end).")
             .arg(server::kRoundEndPauseMs),
         IntInto(Options.RoundEndPauseMs, 0, 60000, QStringLiteral("expected 0 to 60000 milliseconds"))},
        {QStringLiteral("lobby-tables"), QStringLiteral("N"),
         QStringLiteral("Tables with waiting bots in the lobby (default 3)."),
         IntInto(Options.LobbyTables, 0, 50, QStringLiteral("expected 0 to 50"))},
        {QStringLiteral("seed"), QStringLiteral("N"), QStringLiteral("Seed of deals and bot choices."), seed},
        {QStringLiteral("autoplay"),
         {},
         QStringLiteral("Play your seat by pointer clicks on the game window."),
         {}},
        {QStringLiteral("screenshots"), QStringLiteral("DIR"),
         QStringLiteral("Save the window to DIR every few seconds."), TextInto(Options.ScreenshotDir)},
        {QStringLiteral("screenshot-every"), QStringLiteral("S"),
         QStringLiteral("Seconds between screenshots (default 5)."),
         IntInto(Options.ScreenshotEverySeconds, 1, 3600, QStringLiteral("expected 1 to 3600 seconds"))},
        {QStringLiteral("quit-after"), QStringLiteral("S"), QStringLiteral("End after S seconds."),
         IntInto(Options.QuitAfterSeconds, 1, 24 * 3600, QStringLiteral("expected a number of seconds"))},
        {QStringLiteral("server"), QStringLiteral("URL"),
         QStringLiteral(
             "Play on trelvo-server at ws://HOST:PORT or wss://HOST:PORT instead of the game server "
             "in this program (whose bot options then do not apply)."),
         TextInto(server)},
        {QStringLiteral("local"),
         {},
         QStringLiteral("Play against the bots of this program even when a server is remembered."),
         {}},
    };
    QStringList given;
    if (!ReadOptions(QStringLiteral("trelvo-host"),
                     QStringLiteral("Trelvo host: a chat window with the game server and bots"), rows,
                     Arguments, Error, Help, &given))
        return false;
    if (Help)
        return true;
    Options.Autoplay = given.contains(QStringLiteral("autoplay"));
    if (given.contains(QStringLiteral("server")) && given.contains(QStringLiteral("local"))) {
        Error = QStringLiteral("--local: cannot go with --server");
        return false;
    }
    if (given.contains(QStringLiteral("local")))
        Options.ServerUrl.clear();
    if (given.contains(QStringLiteral("server"))) {
        const QUrl url(server, QUrl::StrictMode);
        if (!url.isValid() ||
            (url.scheme() != QStringLiteral("ws") && url.scheme() != QStringLiteral("wss")) ||
            url.host().isEmpty()) {
            Error = QStringLiteral("--server: expected ws://HOST:PORT or wss://HOST:PORT");
            return false;
        }
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
