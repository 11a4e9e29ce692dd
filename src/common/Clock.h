#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace trelvo {

// The one clock of the UI thread. Every timer and every animation runs on it, so that tests can
// replace real time by a manual clock and never sleep for game time.
//
// Two kinds of client:
//  - timers: Schedule(delay, callback) fires the callback once, at Now() + delay;
//  - frame clients: while at least one is registered, the clock produces animation frames
//    (a frame client is called with the current time on every frame). No frame client, no frames.
class TClock {
public:
    using TCallback = std::function<void()>;
    using TFrameCallback = std::function<void(int64_t nowMs)>;
    using TId = uint64_t;

    virtual ~TClock() = default;

    // Milliseconds since the clock was created.
    virtual int64_t Now() const = 0;

    TId Schedule(int64_t delayMs, TCallback callback);
    void Cancel(TId id);
    bool IsScheduled(TId id) const;

    TId AddFrameClient(TFrameCallback callback);
    void RemoveFrameClient(TId id);
    bool Animating() const { return !FFrameClients.empty(); }

    // Number of pending timers (frame clients excluded).
    size_t PendingCount() const { return FTimers.size(); }

    // The clock the UI thread runs on. The program installs a TQtClock; tests install a TManualClock.
    static TClock &Current();
    static void SetCurrent(TClock *clock);

protected:
    // Runs every timer due at or before `nowMs`, in order of due time (ties in order of scheduling).
    void RunDue(int64_t nowMs);
    // Calls every frame client once.
    void RunFrame(int64_t nowMs);
    // Earliest due time, or -1 when nothing is scheduled.
    int64_t NextDue() const;
    // Told whenever the earliest due time or the need for frames may have changed.
    virtual void Changed() {}

private:
    using TKey = std::pair<int64_t, TId>;
    std::map<TKey, TCallback> FTimers;
    std::map<TId, int64_t> FDueOf;
    std::map<TId, TFrameCallback> FFrameClients;
    TId FNextId = 1;
};

// A clock moved only by the test. Advance(ms) fires timers in order of due time and produces
// animation frames every FrameStep() ms while an animation runs.
class TManualClock : public TClock {
public:
    static constexpr int64_t kDefaultFrameStepMs = 16;

    int64_t Now() const override { return FNow; }
    void Advance(int64_t ms);
    // Runs what is due now without moving time (deferred work scheduled with delay 0).
    void Flush() { Advance(0); }

    int64_t FrameStep() const { return FFrameStep; }
    void SetFrameStep(int64_t ms) { FFrameStep = ms > 0 ? ms : 1; }

private:
    int64_t FNow = 0;
    int64_t FFrameStep = kDefaultFrameStepMs;
    int64_t FNextFrame = -1;
};

// Installs a clock as TClock::Current() for the lifetime of the scope and restores the previous one.
class TClockScope {
public:
    explicit TClockScope(TClock &clock);
    ~TClockScope();
    TClockScope(const TClockScope &) = delete;
    TClockScope &operator=(const TClockScope &) = delete;

private:
    TClock *FPrevious;
};

} // namespace trelvo
