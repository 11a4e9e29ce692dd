#pragma once

#include "common/Clock.h"

#include <cstdint>

namespace trelvo::server::bench {

// Jumps from timer to timer: bots think and countdowns run without real time passing.
class TJumpClock : public TManualClock {
public:
    bool Step() {
        const int64_t due = NextDue();
        if (due < 0)
            return false;
        Advance(due > Now() ? due - Now() : 0);
        return true;
    }
};

} // namespace trelvo::server::bench
