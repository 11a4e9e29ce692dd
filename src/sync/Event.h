#pragma once

#include <atomic>
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
    // Serialises Set and Reset, so that the flag and the descriptor agree; IsSet only reads the flag,
    // so that a thread woken by Set does not queue behind the setter's lock.
    std::mutex FLock;
    std::atomic<bool> FSet{false};
};

} // namespace trelvo
