#pragma once

#include "Timer.h"

#include <functional>
#include <memory>

namespace trelvo {

// A one-shot timer: each enabling gives exactly one tick. With AutoFree it destroys itself after
// its tick, so it must be created with new; an owner that keeps a pointer to it clears that
// pointer in its OnTimer handler.
class TTimerEx {
public:
    std::function<void(TTimerEx *sender)> OnTimer;

    TTimerEx();
    // Virtual: an auto-freeing timer deletes itself through this class, also when it is a subclass
    // carrying data of its own.
    virtual ~TTimerEx();
    TTimerEx(const TTimerEx &) = delete;
    TTimerEx &operator=(const TTimerEx &) = delete;

    int Interval() const { return FTimer->Interval(); }
    void SetInterval(int ms) { FTimer->SetInterval(ms); }
    bool Enabled() const { return FTimer->Enabled(); }
    void SetEnabled(bool value) { FTimer->SetEnabled(value); }
    bool AutoFree() const { return FAutoFree; }
    void SetAutoFree(bool value) { FAutoFree = value; }

private:
    void Tick();

    std::unique_ptr<TTimer> FTimer;
    bool FAutoFree = false;
    std::shared_ptr<bool> FAlive;
};

} // namespace trelvo
