#include "TimerEx.h"

namespace trelvo {

TTimerEx::TTimerEx() : FTimer(std::make_unique<TTimer>()), FAlive(std::make_shared<bool>(true)) {
    FTimer->SetEnabled(false);
    FTimer->OnTimer = [this](TTimer *) { Tick(); };
}

TTimerEx::~TTimerEx() {
    *FAlive = false;
    FTimer->SetEnabled(false);
}

void TTimerEx::Tick() {
    FTimer->SetEnabled(false);
    auto alive = FAlive;
    if (OnTimer) {
        auto handler = OnTimer;
        handler(this);
    }
    // The handler may have destroyed this timer itself; then there is nothing left to free.
    if (*alive && FAutoFree)
        delete this;
}

} // namespace trelvo
