#include "Clock.h"

#include "QtClock.h"

#include <vector>

namespace trelvo {

namespace {
TClock *gCurrent = nullptr;
}

TClock &TClock::Current() {
    if (!gCurrent) {
        // A program that never installed a clock runs on real time.
        static TQtClock fallback;
        gCurrent = &fallback;
    }
    return *gCurrent;
}

void TClock::SetCurrent(TClock *clock) {
    gCurrent = clock;
}

TClock::TId TClock::Schedule(int64_t delayMs, TCallback callback) {
    const TId id = FNextId++;
    const int64_t due = Now() + (delayMs > 0 ? delayMs : 0);
    FTimers.emplace(TKey{due, id}, std::move(callback));
    FDueOf.emplace(id, due);
    Changed();
    return id;
}

void TClock::Cancel(TId id) {
    auto it = FDueOf.find(id);
    if (it == FDueOf.end())
        return;
    FTimers.erase(TKey{it->second, id});
    FDueOf.erase(it);
    Changed();
}

bool TClock::IsScheduled(TId id) const {
    return FDueOf.count(id) != 0;
}

TClock::TId TClock::AddFrameClient(TFrameCallback callback) {
    const TId id = FNextId++;
    FFrameClients.emplace(id, std::move(callback));
    Changed();
    return id;
}

void TClock::RemoveFrameClient(TId id) {
    if (FFrameClients.erase(id))
        Changed();
}

int64_t TClock::NextDue() const {
    return FTimers.empty() ? -1 : FTimers.begin()->first.first;
}

void TClock::RunDue(int64_t nowMs) {
    // One at a time: a callback may schedule or cancel others, or destroy their owners.
    while (!FTimers.empty() && FTimers.begin()->first.first <= nowMs) {
        auto it = FTimers.begin();
        TCallback callback = std::move(it->second);
        FDueOf.erase(it->first.second);
        FTimers.erase(it);
        callback();
    }
    Changed();
}

void TClock::RunFrame(int64_t nowMs) {
    // A frame client may remove itself or others while the frame runs.
    std::vector<TId> ids;
    ids.reserve(FFrameClients.size());
    for (const auto &entry : FFrameClients)
        ids.push_back(entry.first);
    for (TId id : ids) {
        auto it = FFrameClients.find(id);
        if (it == FFrameClients.end())
            continue;
        TFrameCallback callback = it->second;
        callback(nowMs);
    }
    Changed();
}

void TManualClock::Advance(int64_t ms) {
    const int64_t target = FNow + (ms > 0 ? ms : 0);
    for (;;) {
        if (!Animating())
            FNextFrame = -1;
        else if (FNextFrame < 0)
            FNextFrame = FNow + FFrameStep;

        int64_t next = target + 1;
        const int64_t due = NextDue();
        if (due >= 0 && due < next)
            next = due;
        if (FNextFrame >= 0 && FNextFrame < next)
            next = FNextFrame;
        if (next > target) {
            FNow = target;
            return;
        }
        if (next > FNow)
            FNow = next;
        if (FNextFrame >= 0 && FNextFrame <= FNow) {
            FNextFrame = FNow + FFrameStep;
            RunFrame(FNow);
        }
        RunDue(FNow);
    }
}

TClockScope::TClockScope(TClock &clock) : FPrevious(gCurrent) {
    TClock::SetCurrent(&clock);
}

TClockScope::~TClockScope() {
    TClock::SetCurrent(FPrevious);
}

} // namespace trelvo
