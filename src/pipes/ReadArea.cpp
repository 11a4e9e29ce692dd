#include "pipes/ReadArea.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace trelvo {

namespace {
// The area of an ended connection, kept (without its pages) for the next one.
struct TSpare {
    std::mutex Lock;
    void *Data = nullptr;
    std::size_t Size = 0;
};

// Never destroyed: areas may be given back while the process exits.
TSpare &Spare() {
    static TSpare *spare = new TSpare;
    return *spare;
}

std::size_t PageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// The end of the page that holds the last of the first Count bytes.
std::size_t PageEnd(std::size_t Count) {
    return (Count + PageSize() - 1) / PageSize() * PageSize();
}
} // namespace

TPipeReadArea::TPipeReadArea(std::size_t Size) : FSize(Size) {
    {
        TSpare &spare = Spare();
        std::lock_guard lock(spare.Lock);
        if (spare.Data && spare.Size == Size) {
            FData = static_cast<std::uint8_t *>(std::exchange(spare.Data, nullptr));
            return;
        }
    }
    void *p =
        mmap(nullptr, FSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    FData = static_cast<std::uint8_t *>(p);
}

TPipeReadArea::~TPipeReadArea() {
    ReturnPages(0);
    void *old = FData;
    std::size_t oldSize = FSize;
    {
        TSpare &spare = Spare();
        std::lock_guard lock(spare.Lock);
        // The newest area takes the place: its size is the one connections use now.
        std::swap(old, spare.Data);
        std::swap(oldSize, spare.Size);
    }
    if (old)
        munmap(old, oldSize);
}

bool TPipeReadArea::HoldsPagesBeyond(std::size_t Keep) const {
    return FTouched > PageEnd(Keep);
}

void TPipeReadArea::ReturnPages(std::size_t Keep) {
    const std::size_t from = PageEnd(Keep);
    if (FTouched > from && from < FSize)
        madvise(FData + from, std::min(FTouched, FSize) - from, MADV_DONTNEED);
    FTouched = std::min(FTouched, from);
}

} // namespace trelvo
