#include "sync/SysTime.h"

#include <ctime>
#include <unistd.h>

namespace trelvo {

std::uint32_t CurrentThreadId() {
    return static_cast<std::uint32_t>(gettid());
}

std::uint64_t TickMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

} // namespace trelvo
