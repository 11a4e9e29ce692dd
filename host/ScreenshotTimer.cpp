#include "host/ScreenshotTimer.h"

#include "host/HostLog.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

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

TScreenshotTimer::TScreenshotTimer(TClock &Clock, QWidget &Window, QString Dir, int EverySeconds)
    : FClock(Clock), FWindow(Window), FDir(std::move(Dir)), FEveryMs(EverySeconds * 1000) {
    QDir().mkpath(FDir);
    FTimer = FClock.Schedule(FEveryMs, [this] { Tick(); });
}

TScreenshotTimer::~TScreenshotTimer() {
    FClock.Cancel(FTimer);
}

void TScreenshotTimer::Tick() {
    ++FSaved;
    SaveWindowShot(FWindow, QStringLiteral("%1/host-%2.png").arg(FDir).arg(FSaved, 4, 10, QChar(u'0')));
    FTimer = FClock.Schedule(FEveryMs, [this] { Tick(); });
}

} // namespace trelvo::host
