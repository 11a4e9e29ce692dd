// trelvo-host with the real client and the real game server under a real X server.
#include "SpinUntil.h"
#include "assets/Assets.h"
#include "common/QtClock.h"
#include "host/Autoplayer.h"
#include "host/Host.h"
#include "host/LocalGameServer.h"
#include "host/PictureFinder.h"
#include "host/ScreenshotTimer.h"
#include "host/X11Input.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::host;
using trelvo::test::SpinUntil;

namespace {

constexpr int kDeadlineMs = 15000;
// A game is bounded by its moves, not by the clock: the wait for one of its stages goes on while the
// host's log keeps growing, gives up when nothing happens for kStallMs, and gives up after more changes
// of the log than a game of 36 cards and four players can make (each relayed message is one).
constexpr int kStallMs = 60000;
constexpr int kMostGameChanges = 4000;
// The autoplayer looks a little faster than a person, still slower than a card's flight.
constexpr int kLookEveryMs = 400;

// Waits until Done() holds while the game moves on; false when it stalls or goes on past its known end.
bool SpinWhileTheGameMoves(THost &Host, int &Changes, const std::function<bool()> &Done) {
    QString last = Host.Window().LogText().right(400);
    while (!Done()) {
        const bool moved =
            SpinUntil([&] { return Done() || Host.Window().LogText().right(400) != last; }, kStallMs);
        if (!moved || ++Changes > kMostGameChanges)
            return false;
        last = Host.Window().LogText().right(400);
    }
    return true;
}

int Count(const QString &Text, const QString &What) {
    return static_cast<int>(Text.count(What));
}

// Whether a process runs the given program (the client leaves no other trace once its pipe is gone).
// Whether process Pid runs Program. A test asks only about processes it started, so that a person
// playing the same build meanwhile changes nothing; an ended process (or a zombie) runs nothing.
bool Runs(qint64 Pid, const QString &Program) {
    const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(Pid)).symLinkTarget();
    return !exe.isEmpty() && exe == QFileInfo(Program).canonicalFilePath();
}

// The process of Program that Parent started, 0 while there is none.
qint64 ChildRunning(qint64 Parent, const QString &Program) {
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces and parentheses, so read after the last.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> after = text.mid(text.lastIndexOf(')') + 1).simplified().split(' ');
        if (after.size() > 1 && after[1].toLongLong() == Parent && Runs(pid.toLongLong(), Program))
            return pid.toLongLong();
    }
    return 0;
}

TEST(HostServerX11E2E, TheServersLobbyReachesTheClientWhichKeepsPolling) {
    TQtClock clock;
    TClockScope scope(clock);
    THostOptions options;
    options.ClientPath = QStringLiteral(TRELVO_BINARY);
    options.LobbyTables = 2;
    options.BotThinkMinMs = options.BotThinkMaxMs = 0;
    THost host(options, std::make_unique<TLocalGameServer>(clock, 7, options), kClientPipeName);
    QString error;
    ASSERT_TRUE(host.Start(error)) << error.toStdString();

    ASSERT_TRUE(SpinUntil([&] { return host.Relay().Echo() == THostRelay::TEcho::Confirmed; }, kDeadlineMs))
        << host.Window().LogText().toStdString();
    // The lobby lists both variants of each bot table; the client reads the list and asks again.
    const QRegularExpression list(QStringLiteral("server → client: 2;([1-9][0-9]*);"));
    ASSERT_TRUE(SpinUntil([&] { return list.match(host.Window().LogText()).hasMatch(); }, kDeadlineMs))
        << host.Window().LogText().toStdString();
    ASSERT_TRUE(SpinUntil(
        [&] { return Count(host.Window().LogText(), QStringLiteral("client → server: 2;1;")) >= 2; },
        kDeadlineMs));
    EXPECT_EQ(Count(host.Window().LogText(), QStringLiteral("(23;")), 0)
        << host.Window().LogText().toStdString();
    EXPECT_TRUE(host.Shutdown());
}

// What the game's window shows, as the autoplayer would see it.
QImage GameShot(THost &Host) {
    const std::uint32_t window = Host.EmbeddedWindow();
    QScreen *screen = QGuiApplication::primaryScreen();
    return window != 0 && screen ? screen->grabWindow(window).toImage() : QImage();
}

void SaveStage(THost &Host, const char *Name) {
    const QString dir = QStringLiteral(TRELVO_SHOT_DIR);
    QDir().mkpath(dir);
    SaveWindowShot(Host.Window(),
                   dir + QStringLiteral("/whole-game-") + QString::fromLatin1(Name) + QStringLiteral(".png"));
}

// A whole game against three bots in which every move of the player's seat is a real pointer click on
// the client's window: opening a table, its settings, readiness, lit cards, take and bito, up to the
// result banner in the waiting room.
TEST(HostServerX11E2E, AWholeGamePlayedWithRealClicksEndsInTheResultBanner) {
    TQtClock clock;
    TClockScope scope(clock);
    THostOptions options;
    options.ClientPath = QStringLiteral(TRELVO_BINARY);
    options.LobbyTables = 1;
    options.Bots = 3;
    options.BotThinkMinMs = options.BotThinkMaxMs = 0;
    options.CountdownTickMs = 100;
    // Bots lead at once, while the client still shows the last bout's end: it cuts that short.
    options.RoundEndPauseMs = 0;
    THost host(options, std::make_unique<TLocalGameServer>(clock, 11, options), kClientPipeName);
    QString error;
    ASSERT_TRUE(host.Start(error)) << error.toStdString();
    TX11Input input;
    ASSERT_TRUE(input.Available());
    TAutoplayer autoplayer(
        clock, input, [&host] { return host.EmbeddedWindow(); }, 11, kLookEveryMs);
    QMap<TAutoMove, int> moves;
    autoplayer.OnClick = [&](TAutoMove Move, QPoint) { ++moves[Move]; };

    const TPictureFinder banner({LoadAsset(QStringLiteral("Icon_Player_Win")),
                                 LoadAsset(QStringLiteral("Icon_Player_Lose")),
                                 LoadAsset(QStringLiteral("Icon_Player_Draw"))});
    int changes = 0;
    ASSERT_TRUE(SpinWhileTheGameMoves(host, changes, [&] { return moves.value(TAutoMove::Ready) > 0; }))
        << host.Window().LogText().toStdString();
    SaveStage(host, "1-waiting-room");
    ASSERT_TRUE(SpinWhileTheGameMoves(host, changes, [&] {
        return host.Window().LogText().contains(QStringLiteral("server → client: 9;"));
    }));
    ASSERT_TRUE(SpinWhileTheGameMoves(host, changes, [&] { return moves.value(TAutoMove::PlayCard) > 0; }));
    SaveStage(host, "2-game");
    ASSERT_TRUE(SpinWhileTheGameMoves(
        host, changes,
        [&] { return host.Window().LogText().contains(QStringLiteral("server → client: 15;")); }))
        << "after " << changes << " changes of the log: " << host.Window().LogText().toStdString();
    const bool shown = SpinUntil([&] { return banner.Find(GameShot(host)).has_value(); }, kDeadlineMs);
    SaveStage(host, "3-result");
    QFile log(QStringLiteral(TRELVO_SHOT_DIR "/whole-game-log.txt"));
    if (log.open(QIODevice::WriteOnly))
        log.write(host.Window().LogText().toUtf8());
    EXPECT_TRUE(shown) << "no result banner in the waiting room";
    EXPECT_GT(moves.value(TAutoMove::OpenTable), 0);
    EXPECT_GT(moves.value(TAutoMove::Confirm), 0);
    EXPECT_EQ(Count(host.Window().LogText(), QStringLiteral("(23;")), 0);
    EXPECT_TRUE(host.Shutdown());
}

TEST(HostServerX11E2E, TheProgramRefusesASecondStartAndEndsWithItsClient) {
    QTemporaryDir shots, config;
    ASSERT_TRUE(shots.isValid());
    ASSERT_TRUE(config.isValid());
    // The program keeps its settings: not in the user's own.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    // Its own pipe and instance names, so that a game played on this machine meanwhile is no other host.
    environment.insert(QStringLiteral("TRELVO_SEAT"), QStringLiteral("second-start"));
    QProcess first;
    first.setProcessEnvironment(environment);
    first.setProgram(QStringLiteral(TRELVO_HOST_BINARY));
    first.setArguments({QStringLiteral("--client"), QStringLiteral(TRELVO_BINARY),
                        QStringLiteral("--quit-after"), QStringLiteral("5"), QStringLiteral("--screenshots"),
                        shots.path(), QStringLiteral("--screenshot-every"), QStringLiteral("1")});
    first.start();
    ASSERT_TRUE(first.waitForStarted(kDeadlineMs));
    // A saved screenshot says the host is up and its pipe is taken.
    ASSERT_TRUE(SpinUntil([&] { return QFileInfo::exists(shots.filePath(QStringLiteral("host-0001.png"))); },
                          kDeadlineMs));
    qint64 client = 0;
    ASSERT_TRUE(SpinUntil([&] { return (client = ChildRunning(first.processId(), QStringLiteral(TRELVO_BINARY))) != 0; },
                          kDeadlineMs))
        << "the host started no client";

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(TRELVO_HOST_BINARY),
                 {QStringLiteral("--client"), QStringLiteral(TRELVO_BINARY)});
    ASSERT_TRUE(second.waitForFinished(kDeadlineMs));
    EXPECT_EQ(second.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(said.contains(QStringLiteral("another host"))) << said.toStdString();
    EXPECT_EQ(said.count(u'\n'), 1) << "one clear line: " << said.toStdString();

    ASSERT_TRUE(first.waitForFinished(kDeadlineMs));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(SpinUntil([&] { return !Runs(client, QStringLiteral(TRELVO_BINARY)); }, kDeadlineMs))
        << "the client outlived its host";
}

} // namespace
