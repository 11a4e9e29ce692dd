#pragma once

#include <cstddef>
#include <cstdint>

namespace trelvo {

// Reserved address space that packets are received into and framed messages assembled in. Pages are
// taken only as data reaches them, and stay for the next message: fresh pages cost far more than the
// copy into them. For the same reason the area of an ended connection is kept for the next one (two
// spare areas in the process).
class TPipeReadArea {
public:
    explicit TPipeReadArea(std::size_t Size);
    ~TPipeReadArea();
    TPipeReadArea(const TPipeReadArea &) = delete;
    TPipeReadArea &operator=(const TPipeReadArea &) = delete;

    std::uint8_t *Data() const { return FData; }
    std::size_t Size() const { return FSize; }

private:
    std::uint8_t *FData = nullptr;
    std::size_t FSize = 0;
};

} // namespace trelvo
