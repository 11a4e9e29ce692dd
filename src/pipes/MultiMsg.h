#pragma once

#include "pipes/Streams.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace trelvo {

// The assembly of one framed message. It starts in memory and moves to an unnamed temporary file (one
// that vanishes when closed) once it outgrows kSpillBytes, so that a framed message is limited by disk
// space rather than memory, while messages up to that size cost no file. When the file cannot be made
// or written (no temporary directory, a full disk) the message goes on in memory; a message that cannot
// be held at all is lost (Lost()), and its further data is only counted.
class TPipeMultiMsg {
public:
    static constexpr std::size_t kSpillBytes = 16u << 20;

    TPipeMultiMsg() = default;
    ~TPipeMultiMsg();
    TPipeMultiMsg(const TPipeMultiMsg &) = delete;
    TPipeMultiMsg &operator=(const TPipeMultiMsg &) = delete;

    // Appends a data packet to the message.
    void Append(const void *Data, std::size_t Count);
    TStream &Stream() { return FFile ? static_cast<TStream &>(*FFile) : FMemory; }
    bool InFile() const { return FFile != nullptr; }
    bool Lost() const { return FLost; }
    // How many bytes the message had when it was lost, and since.
    std::uint64_t LostSize() const { return FLostSize; }

    // Where the temporary file goes: $TMPDIR, or /tmp.
    static std::string TempPath();

private:
    void Spill();
    void BackToMemory();
    void Lose(std::size_t Count);

    bool FSpillFailed = false;
    bool FLost = false;
    std::uint64_t FSize = 0; // bytes appended and held
    std::uint64_t FLostSize = 0;
    TFastMemStream FMemory;
    std::unique_ptr<THandleStream> FFile;
};

} // namespace trelvo
