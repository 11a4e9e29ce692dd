#include "pipes/ReadArea.h"

#include <mutex>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace trelvo {

namespace {
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
    void *old = nullptr;
    std::size_t oldSize = 0;
    {
        TSpare &spare = Spare();
        std::lock_guard lock(spare.Lock);
        old = std::exchange(spare.Data, FData);
        oldSize = std::exchange(spare.Size, FSize);
    }
    if (old)
        munmap(old, oldSize);
}

} // namespace trelvo
