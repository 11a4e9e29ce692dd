#include "pipes/ReadArea.h"

#include <mutex>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace trelvo {

namespace {
// Areas of ended connections, kept for the next ones: a client and a server in one process each find
// theirs.
constexpr int kSpareAreas = 2;

struct TSpares {
    std::mutex Lock;
    void *Data[kSpareAreas] = {};
    std::size_t Size[kSpareAreas] = {};
};

// Never destroyed: areas may be given back while the process exits.
TSpares &Spares() {
    static TSpares *spares = new TSpares;
    return *spares;
}
} // namespace

TPipeReadArea::TPipeReadArea(std::size_t Size) : FSize(Size) {
    {
        TSpares &spares = Spares();
        std::lock_guard lock(spares.Lock);
        for (int i = 0; i < kSpareAreas; ++i) {
            if (spares.Data[i] && spares.Size[i] == Size) {
                FData = static_cast<std::uint8_t *>(std::exchange(spares.Data[i], nullptr));
                return;
            }
        }
    }
    void *p =
        mmap(nullptr, FSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    FData = static_cast<std::uint8_t *>(p);
}

TPipeReadArea::~TPipeReadArea() {
    void *old = FData;
    std::size_t oldSize = FSize;
    {
        TSpares &spares = Spares();
        std::lock_guard lock(spares.Lock);
        // A free place takes the area; otherwise it replaces the oldest spare.
        int slot = 0;
        while (slot < kSpareAreas - 1 && spares.Data[slot])
            ++slot;
        std::swap(old, spares.Data[slot]);
        std::swap(oldSize, spares.Size[slot]);
    }
    if (old)
        munmap(old, oldSize);
}

} // namespace trelvo
