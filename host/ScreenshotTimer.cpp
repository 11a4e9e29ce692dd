#include "host/ScreenshotTimer.h"

#include "host/HostLog.h"

#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace trelvo::host {

bool SaveWindowShot(QWidget &Window, const QString &Path) {
    QScreen *screen = Window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // The X server's picture of the window holds the client's foreign child; grab() would not.
    const QPixmap shot = screen ? screen->grabWindow(Window.winId()) : QPixmap();
    if (shot.isNull() || !shot.save(Path)) {
        qCWarning(lcHost) << "cannot save a screenshot to" << Path;
        return false;
    }
    return true;
}

TScreenshotTimer::TScreenshotTimer(TClock &Clock, QWidget &Window, QString Dir, int EverySeconds,
                                   std::function<std::int64_t()> WallMs)
    : FClock(Clock), FWindow(Window), FDir(std::move(Dir)), FEveryMs(std::max(EverySeconds, 1) * 1000),
      FWallMs(WallMs ? std::move(WallMs) : [] { return QDateTime::currentMSecsSinceEpoch(); }) {
    QDir().mkpath(FDir);
    ScheduleNext();
}

void TScreenshotTimer::ScheduleNext() {
    const std::int64_t wall = FWallMs();
    std::int64_t next = FEveryMs - ((wall % FEveryMs) + FEveryMs) % FEveryMs;
    // A timer that fired a hair early (the wall clock and the monotonic one part a little) would
    // otherwise take a second picture of the same mark.
    if (next < FEveryMs / 10)
        next += FEveryMs;
    FTimer = FClock.Schedule(next, [this] { Tick(); });
}

TScreenshotTimer::~TScreenshotTimer() {
    FClock.Cancel(FTimer);
}

void TScreenshotTimer::Tick() {
    ++FSaved;
    SaveWindowShot(FWindow, QStringLiteral("%1/host-%2.png").arg(FDir).arg(FSaved, 4, 10, QChar(u'0')));
    ScheduleNext();
}

} // namespace trelvo::host
