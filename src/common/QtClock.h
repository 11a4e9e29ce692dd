#pragma once

#include "Clock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace trelvo {

// The program's clock: real time, driven by the Qt event loop. One single-shot timer waits for the
// earliest due timer; a frame timer runs only while an animation does, so an idle client wakes only
// for its timers.
class TQtClock : public TClock {
public:
    static constexpr int kFrameIntervalMs = 16;

    TQtClock();
    ~TQtClock() override;

    int64_t Now() const override { return FElapsed.elapsed(); }

    // Wake-ups so far (timer and frame), for the idle measurements of the benchmarks.
    uint64_t WakeUps() const { return FWakeUps; }

protected:
    void Changed() override;

private:
    void OnDue();
    void OnFrame();

    QElapsedTimer FElapsed;
    QTimer FDueTimer;
    QTimer FFrameTimer;
    // A call to OnDue is posted and has not run yet.
    bool FDuePosted = false;
    uint64_t FWakeUps = 0;
};

} // namespace trelvo
