#include "QtClock.h"

#include <algorithm>

namespace trelvo {

TQtClock::TQtClock() {
    FElapsed.start();
    FDueTimer.setSingleShot(true);
    FDueTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&FDueTimer, &QTimer::timeout, [this] { OnDue(); });
    FFrameTimer.setInterval(kFrameIntervalMs);
    FFrameTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&FFrameTimer, &QTimer::timeout, [this] { OnFrame(); });
}

TQtClock::~TQtClock() = default;

void TQtClock::Changed() {
    const int64_t due = NextDue();
    if (due < 0) {
        FDueTimer.stop();
    } else {
        const int64_t wait = std::max<int64_t>(0, due - Now());
        FDueTimer.start(static_cast<int>(std::min<int64_t>(wait, 24LL * 3600 * 1000)));
    }
    if (Animating() && !FFrameTimer.isActive())
        FFrameTimer.start();
    else if (!Animating() && FFrameTimer.isActive())
        FFrameTimer.stop();
}

void TQtClock::OnDue() {
    ++FWakeUps;
    RunDue(Now());
}

void TQtClock::OnFrame() {
    ++FWakeUps;
    RunFrame(Now());
}

} // namespace trelvo
