// Two people at one table of trelvo-server: two hosts on one machine, each with the real client under a
// real X server, both seats played by real pointer clicks.
#include "SpinUntil.h"
#include "assets/Assets.h"
#include "common/QtClock.h"
#include "common/SeatName.h"
#include "host/Autoplayer.h"
#include "host/Host.h"
#include "host/NetGameServer.h"
#include "host/PictureFinder.h"
#include "host/ScreenshotTimer.h"
#include "host/X11Input.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace trelvo;
using namespace trelvo::host;
using trelvo::test::SpinUntil;

namespace {

constexpr int kDeadlineMs = 20000;
// A whole game of two people: generous, the machine may be busy, each bout's end is shown and the
// random seats may pass many bouts; such a game takes a few minutes.
constexpr int kGameDeadlineMs = 600000;
constexpr int kLookEveryMs = 400;

// trelvo-server on a port of its own choosing on loopback, without bots or bot tables.
class TServerProcess {
public:
    bool Start(QString &Error) {
        FProcess.setProgram(QStringLiteral(TRELVO_SERVER_BINARY));
        FProcess.setArguments({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                               QStringLiteral("--bot-fill"), QStringLiteral("0"),
                               QStringLiteral("--lobby-tables"), QStringLiteral("0"),
                               QStringLiteral("--seed"), QStringLiteral("22"), QStringLiteral("--db"),
                               FStore.filePath(QStringLiteral("store.sqlite"))});
        FProcess.start();
        if (!FProcess.waitForStarted(kDeadlineMs)) {
            Error = FProcess.errorString();
            return false;
        }
        const QRegularExpression listening(QStringLiteral("listening on (ws://127\\.0\\.0\\.1:[0-9]+)"));
        const bool up = SpinUntil(
            [&] {
                FLog += QString::fromLocal8Bit(FProcess.readAllStandardError());
                const QRegularExpressionMatch match = listening.match(FLog);
                if (match.hasMatch())
                    FUrl = match.captured(1);
                return !FUrl.isEmpty() || FProcess.state() == QProcess::NotRunning;
            },
            kDeadlineMs);
        Error = FLog;
        return up && !FUrl.isEmpty();
    }
    ~TServerProcess() {
        FProcess.terminate();
        if (!FProcess.waitForFinished(kDeadlineMs))
            FProcess.kill();
    }
    QString Url() const { return FUrl; }
    QString Log() {
        FLog += QString::fromLocal8Bit(FProcess.readAllStandardError());
        return FLog;
    }

private:
    QTemporaryDir FStore; // the games it records stay with the test
    QProcess FProcess;
    QString FLog, FUrl;
};

// One person: a host with its client, at a place of its own on the screen, its seat played by clicks.
struct TPerson {
    explicit TPerson(const QString &Name) : Name(Name), Seat(Name.toLower()) {}

    // The client's pipe and instance names carry the seat: the host names its pipe, and the client reads
    // the seat from the environment it is started with.
    bool Start(TClock &Clock, const QString &Url, const QRect &Place, QString &Error) {
        THostOptions options;
        options.ClientPath = QStringLiteral(TRELVO_BINARY);
        options.PlayerName = Name;
        options.ServerUrl = Url;
        ::setenv("TRELVO_SEAT", qPrintable(Seat), 1);
        Host = std::make_unique<THost>(options, std::make_unique<TNetGameServer>(Clock, QUrl(Url)),
                                       SeatName(kClientPipeName));
        Host->Window().SetLogVisible(false);
        Host->Window().setGeometry(Place);
        const bool started = Host->Start(Error);
        ::unsetenv("TRELVO_SEAT");
        return started;
    }
    QString Log() const { return Host ? Host->Window().LogText() : QString(); }
    bool Saw(const QString &What) const { return Log().contains(What); }

    QString Name, Seat;
    std::unique_ptr<THost> Host;
    std::unique_ptr<TAutoplayer> Autoplayer;
    QMap<TAutoMove, int> Moves;
};

// What the game's window shows, as the autoplayer would see it.
QImage GameShot(THost &Host) {
    const std::uint32_t window = Host.EmbeddedWindow();
    QScreen *screen = QGuiApplication::primaryScreen();
    return window != 0 && screen ? screen->grabWindow(window).toImage() : QImage();
}

void Save(const TPerson &Person, const char *Stage) {
    const QString dir = QStringLiteral(TRELVO_SHOT_DIR);
    QDir().mkpath(dir);
    const QString stem = QStringLiteral("%1/two-seats-%2").arg(dir, Person.Seat);
    SaveWindowShot(Person.Host->Window(),
                   stem + QStringLiteral("-") + QLatin1String(Stage) + QStringLiteral(".png"));
    QFile log(stem + QStringLiteral("-log.txt"));
    if (log.open(QIODevice::WriteOnly))
        log.write(Person.Log().toUtf8());
}

// Anna opens a table and Boris enters it from his lobby; both say they are ready, play the game out with
// lit cards, take and bito, and each sees the result banner in the waiting room.
TEST(TwoSeatsX11E2E, AWholeGamePlayedWithRealClicksEndsInBothResultBanners) {
    TQtClock clock;
    TClockScope scope(clock);
    TServerProcess server;
    QString error;
    ASSERT_TRUE(server.Start(error)) << error.toStdString();

    // Side by side on test.sh's 1920 x 1200 screen, clear of each other's frames (each game area is at
    // least 800 x 600): the autoplayers see and click the screen itself.
    TPerson anna(QStringLiteral("Anna")), boris(QStringLiteral("Boris"));
    ASSERT_TRUE(anna.Start(clock, server.Url(), QRect(4, 28, 900, 1000), error)) << error.toStdString();
    ASSERT_TRUE(boris.Start(clock, server.Url(), QRect(964, 28, 900, 1000), error)) << error.toStdString();
    ASSERT_TRUE(SpinUntil(
        [&] { return anna.Host->EmbeddedWindow() != 0 && boris.Host->EmbeddedWindow() != 0; }, kDeadlineMs));
    ASSERT_FALSE(anna.Host->Window().frameGeometry().intersects(boris.Host->Window().frameGeometry()));

    TX11Input input;
    ASSERT_TRUE(input.Available());
    anna.Autoplayer = std::make_unique<TAutoplayer>(
        clock, input, [&] { return anna.Host->EmbeddedWindow(); }, 22, kLookEveryMs, TAutoSeat::OpenTable);
    boris.Autoplayer = std::make_unique<TAutoplayer>(
        clock, input, [&] { return boris.Host->EmbeddedWindow(); }, 23, kLookEveryMs, TAutoSeat::EnterListed);
    for (TPerson *person : {&anna, &boris})
        person->Autoplayer->OnClick = [person](TAutoMove Move, QPoint) { ++person->Moves[Move]; };

    auto dump = [&] {
        return ("anna:\n" + anna.Log() + "\nboris:\n" + boris.Log() + "\nserver:\n" + server.Log())
            .toStdString();
    };
    // Both in the waiting room of one table, ready.
    ASSERT_TRUE(SpinUntil(
        [&] { return anna.Moves.value(TAutoMove::Ready) > 0 && boris.Moves.value(TAutoMove::Ready) > 0; },
        kGameDeadlineMs))
        << dump();
    Save(anna, "1-waiting-room");
    Save(boris, "1-waiting-room");
    // The game starts for both and each plays cards.
    const QString started = QStringLiteral("server → client: 9;");
    ASSERT_TRUE(SpinUntil([&] { return anna.Saw(started) && boris.Saw(started); }, kGameDeadlineMs))
        << dump();
    ASSERT_TRUE(SpinUntil(
        [&] {
            return anna.Moves.value(TAutoMove::PlayCard) > 0 && boris.Moves.value(TAutoMove::PlayCard) > 0;
        },
        kGameDeadlineMs))
        << dump();
    Save(anna, "2-game");
    Save(boris, "2-game");

    // The game's end: each seat stops clicking once its client is told, so the next game does not begin.
    const QString over = QStringLiteral("server → client: 15;");
    ASSERT_TRUE(SpinUntil(
        [&] {
            for (TPerson *person : {&anna, &boris})
                if (person->Autoplayer && person->Saw(over))
                    person->Autoplayer.reset();
            return !anna.Autoplayer && !boris.Autoplayer;
        },
        kGameDeadlineMs))
        << dump();
    const TPictureFinder banner({LoadAsset(QStringLiteral("Icon_Player_Win")),
                                 LoadAsset(QStringLiteral("Icon_Player_Lose")),
                                 LoadAsset(QStringLiteral("Icon_Player_Draw"))});
    const bool annaSees =
        SpinUntil([&] { return banner.Find(GameShot(*anna.Host)).has_value(); }, kDeadlineMs);
    const bool borisSees =
        SpinUntil([&] { return banner.Find(GameShot(*boris.Host)).has_value(); }, kDeadlineMs);
    Save(anna, "3-result");
    Save(boris, "3-result");
    EXPECT_TRUE(annaSees) << "no result banner in Anna's waiting room";
    EXPECT_TRUE(borisSees) << "no result banner in Boris's waiting room";
    EXPECT_GT(anna.Moves.value(TAutoMove::OpenTable), 0);
    EXPECT_EQ(anna.Moves.value(TAutoMove::EnterTable), 0);
    EXPECT_GT(boris.Moves.value(TAutoMove::EnterTable), 0);
    EXPECT_EQ(boris.Moves.value(TAutoMove::OpenTable), 0);
    for (TPerson *person : {&anna, &boris}) {
        EXPECT_EQ(person->Log().count(QStringLiteral("(23;")), 0) << dump();
        EXPECT_TRUE(person->Host->Shutdown());
    }
}

} // namespace
