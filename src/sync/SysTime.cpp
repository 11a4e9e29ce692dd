#include "sync/SysTime.h"

#include <ctime>
#include <unistd.h>

namespace trelvo {

std::uint32_t CurrentThreadId() {
    // Asked on every message hand-off; a system call each time is measurable.
    thread_local const std::uint32_t id = static_cast<std::uint32_t>(gettid());
    return id;
}

std::uint64_t TickMs() {
    return TickNs() / 1000000u;
}

std::uint64_t TickNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u + static_cast<std::uint64_t>(ts.tv_nsec);
}

} // namespace trelvo
