#pragma once

#include <cstddef>
#include <cstdint>

namespace trelvo {

// Reserved address space that packets are received into and framed messages assembled in. Pages are
// taken only as data reaches them, and stay for the next message while the connection is busy: fresh
// pages cost far more than the copy into them. An idle connection gives them back (ReturnPages), and
// the area of an ended connection is kept, empty, for the next one (one spare area in the process).
class TPipeReadArea {
public:
    explicit TPipeReadArea(std::size_t Size);
    ~TPipeReadArea();
    TPipeReadArea(const TPipeReadArea &) = delete;
    TPipeReadArea &operator=(const TPipeReadArea &) = delete;

    std::uint8_t *Data() const { return FData; }
    std::size_t Size() const { return FSize; }

    // Notes that the first End bytes may hold data now.
    void Touch(std::size_t End) {
        if (End > FTouched)
            FTouched = End;
    }
    // True when pages beyond the first Keep bytes may hold data.
    bool HoldsPagesBeyond(std::size_t Keep) const;
    // Gives the pages beyond the first Keep bytes back to the system; they read as zero afterwards.
    void ReturnPages(std::size_t Keep);

private:
    std::uint8_t *FData = nullptr;
    std::size_t FSize = 0;
    std::size_t FTouched = 0;
};

} // namespace trelvo
