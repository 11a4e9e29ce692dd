#include "sync/Event.h"

#include "sync/SysTime.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace trelvo {

TEvent::TEvent(bool Signalled) {
    FFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    if (Signalled)
        Set();
}

TEvent::~TEvent() {
    close(FFd);
}

void TEvent::Set() {
    std::lock_guard lock(FLock);
    if (FSet.load(std::memory_order_relaxed))
        return;
    // The flag first: a waiter woken by the descriptor must find the event set.
    FSet.store(true, std::memory_order_release);
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(FFd, &one, sizeof one);
}

void TEvent::Reset() {
    std::lock_guard lock(FLock);
    if (!FSet.load(std::memory_order_relaxed))
        return;
    std::uint64_t value = 0;
    [[maybe_unused]] ssize_t n = read(FFd, &value, sizeof value);
    FSet.store(false, std::memory_order_release);
}

bool TEvent::IsSet() const {
    return FSet.load(std::memory_order_acquire);
}

bool TEvent::Wait(int TimeoutMs) const {
    const std::uint64_t start = TickMs();
    for (;;) {
        if (IsSet())
            return true;
        int left = -1;
        if (TimeoutMs >= 0) {
            const std::uint64_t spent = TickMs() - start;
            if (spent >= static_cast<std::uint64_t>(TimeoutMs))
                return false;
            left = TimeoutMs - static_cast<int>(spent);
        }
        pollfd p{FFd, POLLIN, 0};
        if (poll(&p, 1, left) < 0 && errno != EINTR)
            return IsSet();
    }
}

} // namespace trelvo
