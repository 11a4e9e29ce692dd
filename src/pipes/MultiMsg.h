#pragma once

#include "pipes/ReadArea.h"
#include "pipes/Streams.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace trelvo {

// The assembly of one framed message. It starts in memory, in a read area that packets are received
// into directly (Tail, Commit), and moves to an unnamed temporary file (one that vanishes when closed)
// once it outgrows kSpillBytes: from then on the area stages packets for large writes to the file. So a
// framed message is limited by disk space rather than memory, while messages up to that size cost no
// file and no copy. When the file cannot be made or written (no temporary directory, a full disk) the
// message goes on in memory of its own; a message that cannot be held at all is lost (Lost()), and its
// further data is only counted.
class TPipeMultiMsg {
public:
    static constexpr std::size_t kSpillBytes = 16u << 20;
    // Bytes staged in the area before they go to the file in one write.
    static constexpr std::size_t kStageBytes = 1u << 20;

    // Area: the receiver's read area, of at least kSpillBytes plus the largest packet; none gives the
    // message an area of its own.
    explicit TPipeMultiMsg(TPipeReadArea *Area = nullptr);
    ~TPipeMultiMsg();
    TPipeMultiMsg(const TPipeMultiMsg &) = delete;
    TPipeMultiMsg &operator=(const TPipeMultiMsg &) = delete;

    // Where the next packet can be received without a copy, with TailRoom() bytes of room; none when
    // the message no longer lives in the area (then packets are read elsewhere and appended).
    std::uint8_t *Tail();
    std::size_t TailRoom() const;
    // Takes Count bytes received at Tail() as data.
    void Commit(std::size_t Count);
    // Appends a copy of a data packet to the message.
    void Append(const void *Data, std::size_t Count);
    // The whole message, at position 0 after the file's last write; valid until the next change.
    TStream &Stream();
    bool InFile() const { return FFile != nullptr; }
    bool Lost() const { return FLost; }
    // How many bytes the message had when it was lost, and since.
    std::uint64_t LostSize() const { return FLostSize; }

    // Where the temporary file goes: $TMPDIR, or /tmp.
    static std::string TempPath();

private:
    enum class TPlace { Area, File, Memory };

    void Spill();
    bool WriteStaged();
    void BackToMemory(std::uint64_t FileBytes);
    void Lose(std::size_t Count);

    std::unique_ptr<TPipeReadArea> FOwnArea;
    TPipeReadArea *FArea;
    TPlace FPlace = TPlace::Area;
    std::size_t FHeld = 0;        // bytes in the area: the message, or what waits for the file
    std::uint64_t FFileBytes = 0; // bytes written to the file
    bool FLost = false;
    std::uint64_t FLostSize = 0;
    TFastMemStream FMemory;
    std::unique_ptr<THandleStream> FFile;
    std::optional<TMemoryView> FView;
};

} // namespace trelvo
