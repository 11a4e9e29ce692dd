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
        // What is due now (an object freed once the current event is over) goes as a posted call: Qt's
        // GLib loop runs its timers only when idle after they have fired once, and a host that pours in
        // messages keeps it from ever being idle, so objects waiting to be freed would pile up.
        if (wait == 0 && !FDuePosted) {
            FDuePosted = true;
            QMetaObject::invokeMethod(
                &FDueTimer,
                [this] {
                    FDuePosted = false;
                    OnDue();
                },
                Qt::QueuedConnection);
        }
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
