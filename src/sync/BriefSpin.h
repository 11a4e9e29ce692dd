#pragma once

#include "sync/SysTime.h"

#include <cstdint>

namespace trelvo {

// A short busy look for something another thread or the other end of the pipe is about to do: on
// this kind of machine a sleep and a wake-up cost more than tens of microseconds of looking. When a
// look comes up empty, the other side is evidently not running just now (the machine is busy, or it
// waits itself), so the next few looks are skipped and the caller sleeps at once.
class TBriefSpin {
public:
    explicit TBriefSpin(std::uint64_t SpinNs) : FSpinNs(SpinNs) {}

    // True when Done() held within the spin; false at once while looks are skipped.
    template <typename F> bool Until(F Done) {
        if (FSkip > 0) {
            --FSkip;
            return false;
        }
        const std::uint64_t end = TickNs() + FSpinNs;
        do {
            if (Done())
                return true;
        } while (TickNs() < end);
        FSkip = kSkipAfterMiss;
        return false;
    }

    // Looks skipped after one that came up empty.
    static constexpr int kSkipAfterMiss = 16;

private:
    const std::uint64_t FSpinNs;
    int FSkip = 0;
};

} // namespace trelvo
