#pragma once

#include <cstdint>
#include <utility>

// Small POSIX helpers shared by the threads and the transports built on them.
namespace trelvo {

// The kernel's id of the calling thread.
std::uint32_t CurrentThreadId();

// Milliseconds of a monotonic clock.
std::uint64_t TickMs();
// Nanoseconds of the same clock.
std::uint64_t TickNs();

// Time-out value meaning "wait forever".
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// Runs its action when the scope ends, also during unwinding.
template <typename F> class TFinally {
public:
    explicit TFinally(F Action) : FAction(std::move(Action)) {}
    TFinally(const TFinally &) = delete;
    TFinally &operator=(const TFinally &) = delete;
    ~TFinally() { FAction(); }

private:
    F FAction;
};

} // namespace trelvo
