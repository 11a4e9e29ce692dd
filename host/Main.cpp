// trelvo-host: a chat window with its plug-in, the Durak game server and bots (or a game server on the
// network); starts the client.
#include "common/QtClock.h"
#include "common/SeatName.h"
#include "host/Autoplayer.h"
#include "host/Host.h"
#include "host/HostLog.h"
#include "host/HostSettings.h"
#include "host/LocalGameServer.h"
#include "host/NetGameServer.h"
#include "host/RatingWindow.h"
#include "host/ResultLine.h"
#include "host/ScreenshotTimer.h"
#include "host/SettingsDialog.h"
#include "host/SoundCue.h"
#include "host/X11Input.h"
#include "host/sounds/SoundPlayer.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace {

// "Рейтинг" asks the server on the network; it is on only while connected to it.
void ShowRatingsOf(trelvo::host::TNetGameServer &Server, trelvo::host::THostWindow &Window) {
    using namespace trelvo::host;
    auto *ratings = new TRatingWindow(&Window);
    auto ask = [&Server, ratings] {
        ratings->SetNote(Server.RequestTop() ? QStringLiteral("Запрос рейтинга…")
                                             : QStringLiteral("Нет связи с сервером."));
    };
    ratings->OnRefresh = ask;
    Server.OnTop = [ratings](const trelvo::net::TTopAnswer &Answer) { ratings->SetAnswer(Answer); };
    Window.OnRating = [ratings, ask] {
        ratings->show();
        ratings->raise();
        ask();
    };
    auto status = Server.OnStatus;
    Server.OnStatus = [status, &Window](bool Connected, const QString &Text) {
        Window.RatingAction()->setEnabled(Connected);
        if (status)
            status(Connected, Text);
    };
}

} // namespace

int main(int argc, char **argv) {
    using namespace trelvo;
    using namespace trelvo::host;
    // The options are read before the window system is reached: --help and a bad option need no display.
    // They are read over the kept settings, so that an option wins for this run without being kept.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const std::unique_ptr<QSettings> store = OpenHostSettings();
    QStringList refused;
    THostSettings settings = ReadHostSettings(*store, &refused);
    THostOptions options;
    ApplyHostSettings(settings, options);
    QString error;
    bool help = false;
    if (!ParseHostOptions(arguments, options, error, help)) {
        std::fprintf(stderr, "trelvo-host: %s (see --help)\n", qPrintable(error));
        return 2;
    }
    if (help) {
        std::fputs(qPrintable(error), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("trelvo-host"));
    QApplication::setDesktopFileName(QStringLiteral("org.trelvo.Trelvo"));

    TQtClock clock;
    TClockScope clockScope(clock);
    const std::uint64_t seed = options.Seed != 0 ? options.Seed : QRandomGenerator::global()->generate64();
    std::unique_ptr<IGameServer> server;
    TNetGameServer *netServer = nullptr;
    if (options.ServerUrl.isEmpty()) {
        server = std::make_unique<TLocalGameServer>(clock, seed, options);
    } else {
        auto net = std::make_unique<TNetGameServer>(clock, QUrl(options.ServerUrl));
        netServer = net.get();
        server = std::move(net);
    }
    THost host(options, std::move(server), SeatName(kClientPipeName));
    THostWindow &window = host.Window();
    if (netServer)
        ShowRatingsOf(*netServer, window);
    for (const QString &line : refused)
        window.AppendLog(QStringLiteral("settings: passed over %1").arg(line));
    if (!settings.WindowGeometry.isEmpty())
        window.restoreGeometry(settings.WindowGeometry);
    window.SetLogVisible(settings.LogShown);
    window.OnLogShown = [&](bool Shown) {
        settings.LogShown = Shown;
        WriteHostSettings(*store, settings);
    };
    host.OnClosed = [&] {
        settings.WindowGeometry = window.saveGeometry();
        WriteHostSettings(*store, settings);
        QCoreApplication::exit(0);
    };
    window.OnSettings = [&] {
        TSettingsDialog dialog(SettingsInUse(settings, options, host.Relay().Identity().Name), &window);
        if (dialog.exec() != QDialog::Accepted)
            return;
        settings = dialog.Settings();
        WriteHostSettings(*store, settings);
    };

    if (!host.Start(error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // The audio system is reached only by a host that runs: a refused start says one line, no more.
    TSoundPlayer sounds([&window](const QString &Line) {
        window.AppendLog(Line);
        qCDebug(lcHost).noquote() << Line;
    });
    sounds.SetMuted(settings.Muted);
    window.SetSoundOn(!settings.Muted);
    window.OnSoundSwitched = [&](bool On) {
        sounds.SetMuted(!On);
        settings.Muted = !On;
        WriteHostSettings(*store, settings);
    };
    TSoundCue cue(host.Relay().Identity().Name);
    cue.OnSound = [&sounds](TSound Sound) { sounds.Play(Sound); };
    // The game's result in the window's foot: who was left the fool and, online, the new rating.
    TResultLine result(host.Relay().Identity().Name);
    result.OnText = [&window](const QString &Text) { window.SetResultLine(Text); };
    if (netServer) {
        result.OnAskRating = [netServer] { netServer->RequestTop(); };
        netServer->OnTop = [top = netServer->OnTop, &result](const net::TTopAnswer &Answer) {
            if (top)
                top(Answer);
            result.OwnRating(Answer.Own.Rating, Answer.Own.Games);
        };
    }
    host.Relay().OnRelayed = [&cue, &result](const QString &Message) {
        cue.ServerMessage(Message);
        result.ServerMessage(Message);
    };
    host.Relay().OnHostMessage = [&result](const QString &Message) { result.ServerMessage(Message); };

    std::unique_ptr<TScreenshotTimer> screenshots;
    if (!options.ScreenshotDir.isEmpty())
        screenshots = std::make_unique<TScreenshotTimer>(clock, window, options.ScreenshotDir,
                                                         options.ScreenshotEverySeconds);
    std::unique_ptr<TX11Input> input;
    std::unique_ptr<TAutoplayer> autoplayer;
    if (options.Autoplay) {
        input = std::make_unique<TX11Input>();
        autoplayer = std::make_unique<TAutoplayer>(
            clock, *input, [&host] { return host.EmbeddedWindow(); }, seed);
        autoplayer->OnClick = [&window](TAutoMove Move, QPoint Point) {
            window.AppendLog(
                QStringLiteral("autoplay %1 (%2,%3)").arg(AutoMoveName(Move)).arg(Point.x()).arg(Point.y()));
        };
    }
    if (options.QuitAfterSeconds > 0)
        clock.Schedule(options.QuitAfterSeconds * 1000, [&window] { window.close(); });
    const int code = QApplication::exec();
    // The sound parts end before the host, which may still relay while it shuts down.
    host.Relay().OnRelayed = nullptr;
    host.Relay().OnHostMessage = nullptr;
    if (netServer)
        netServer->OnTop = nullptr;
    window.OnSoundSwitched = nullptr;
    return code;
}
