#pragma once

#include "common/Clock.h"

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace trelvo::host {

// Saves what the X server shows of a window (its embedded children included) as a PNG.
bool SaveWindowShot(QWidget &Window, const QString &Path);

// Saves the window into a folder every few seconds: host-0001.png, host-0002.png, ... Pictures fall on
// the wall clock's multiples of the interval, so that hosts started apart (two players side by side)
// save the same moments of a game, and the time a picture takes does not add up.
class TScreenshotTimer {
public:
    // WallMs: the wall clock in ms (tests give their own); unset, the system's.
    TScreenshotTimer(TClock &Clock, QWidget &Window, QString Dir, int EverySeconds,
                     std::function<std::int64_t()> WallMs = {});
    ~TScreenshotTimer();
    TScreenshotTimer(const TScreenshotTimer &) = delete;
    TScreenshotTimer &operator=(const TScreenshotTimer &) = delete;

    int Saved() const { return FSaved; }

private:
    void Tick();
    void ScheduleNext();

    TClock &FClock;
    QWidget &FWindow;
    QString FDir;
    int FEveryMs;
    std::function<std::int64_t()> FWallMs;
    int FSaved = 0;
    TClock::TId FTimer = 0;
};

} // namespace trelvo::host
