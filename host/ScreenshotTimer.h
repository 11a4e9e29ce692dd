#pragma once

#include "common/Clock.h"

#include <QString>

class QWidget;

namespace trelvo::host {

// Saves what the X server shows of a window (its embedded children included) as a PNG.
bool SaveWindowShot(QWidget &Window, const QString &Path);

// Saves the window into a folder every few seconds: host-0001.png, host-0002.png, ...
class TScreenshotTimer {
public:
    TScreenshotTimer(TClock &Clock, QWidget &Window, QString Dir, int EverySeconds);
    ~TScreenshotTimer();
    TScreenshotTimer(const TScreenshotTimer &) = delete;
    TScreenshotTimer &operator=(const TScreenshotTimer &) = delete;

    int Saved() const { return FSaved; }

private:
    void Tick();

    TClock &FClock;
    QWidget &FWindow;
    QString FDir;
    int FEveryMs;
    int FSaved = 0;
    TClock::TId FTimer = 0;
};

} // namespace trelvo::host
