#pragma once

#include "Clock.h"

#include <functional>

namespace trelvo {

// The toolkit timer: raises OnTimer every Interval ms while Enabled, on the UI clock.
// Like the toolkit it models it is enabled at creation with an interval of 1000 ms; an interval
// of 0 never ticks. It may be destroyed from inside its own OnTimer.
class TTimer {
public:
    static constexpr int kDefaultIntervalMs = 1000;

    std::function<void(TTimer *sender)> OnTimer;

    TTimer();
    ~TTimer();
    TTimer(const TTimer &) = delete;
    TTimer &operator=(const TTimer &) = delete;

    int Interval() const { return FInterval; }
    void SetInterval(int ms);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);

private:
    void Arm();
    void Disarm();
    void Tick();

    int FInterval = kDefaultIntervalMs;
    bool FEnabled = true;
    TClock *FClock;
    TClock::TId FPending = 0;
};

} // namespace trelvo
