#pragma once

#include "pipes/Streams.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace trelvo {

// The assembly of one framed message. It starts in memory and moves to an unnamed temporary file (one
// that vanishes when closed) once it outgrows kSpillBytes, so that a framed message is limited by disk
// space, not memory, while the usual short message costs no file. Without a usable temporary
// directory it stays in memory.
class TPipeMultiMsg {
public:
    static constexpr std::size_t kSpillBytes = 1u << 20;

    TPipeMultiMsg() = default;
    ~TPipeMultiMsg();
    TPipeMultiMsg(const TPipeMultiMsg &) = delete;
    TPipeMultiMsg &operator=(const TPipeMultiMsg &) = delete;

    // Appends a data packet to the message.
    void Append(const void *Data, std::size_t Count);
    TStream &Stream() { return FFile ? static_cast<TStream &>(*FFile) : FMemory; }
    bool InFile() const { return FHandle >= 0; }

private:
    void Spill();

    int FHandle = -1;
    bool FSpillFailed = false;
    TFastMemStream FMemory;
    std::unique_ptr<THandleStream> FFile;
};

} // namespace trelvo
