#pragma once

#include <mutex>

namespace trelvo {

// A manual-reset event that poll() can watch: its descriptor is readable exactly while it is set.
class TEvent {
public:
    explicit TEvent(bool Signalled = false);
    ~TEvent();
    TEvent(const TEvent &) = delete;
    TEvent &operator=(const TEvent &) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    int Fd() const { return FFd; }
    // Waits until the event is set or TimeoutMs passes (-1: no limit); true when set.
    bool Wait(int TimeoutMs) const;

private:
    int FFd;
    mutable std::mutex FLock;
    bool FSet = false;
};

} // namespace trelvo
