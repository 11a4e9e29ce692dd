#include "Timer.h"

namespace trelvo {

TTimer::TTimer() : FClock(&TClock::Current()) {
    Arm();
}

TTimer::~TTimer() {
    Disarm();
}

void TTimer::SetInterval(int ms) {
    if (ms == FInterval)
        return;
    FInterval = ms;
    Disarm();
    Arm();
}

void TTimer::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    Disarm();
    Arm();
}

void TTimer::Arm() {
    if (FEnabled && FInterval > 0 && FPending == 0)
        FPending = FClock->Schedule(FInterval, [this] { Tick(); });
}

void TTimer::Disarm() {
    if (FPending != 0) {
        FClock->Cancel(FPending);
        FPending = 0;
    }
}

void TTimer::Tick() {
    FPending = 0;
    // The next tick is armed first, so a handler that disables or re-times the timer wins.
    Arm();
    if (!OnTimer)
        return;
    // A copy: the handler may destroy this timer, and with it OnTimer.
    auto handler = OnTimer;
    handler(this);
}

} // namespace trelvo
