#include "pipes/MultiMsg.h"

#include "common/Log.h"
#include "pipes/PipeLog.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>

namespace trelvo {

std::string TPipeMultiMsg::TempPath() {
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

TPipeMultiMsg::~TPipeMultiMsg() = default;

void TPipeMultiMsg::Append(const void *Data, std::size_t Count) {
    if (FLost) {
        FLostSize += Count;
        return;
    }
    if (!FFile && !FSpillFailed && FMemory.Size() + Count > kSpillBytes)
        Spill();
    if (FFile) {
        try {
            FFile->Write(Data, Count);
            FSize += Count;
            return;
        } catch (const EStreamError &) {
            LogSwallowed(lcPipes(), "Writing a framed message to its temporary file");
            BackToMemory();
            if (FLost) {
                FLostSize += Count;
                return;
            }
        }
    }
    try {
        FMemory.Write(Data, Count);
        FSize += Count;
    } catch (const std::bad_alloc &) {
        Lose(Count);
    }
}

void TPipeMultiMsg::Spill() {
    const int handle = open(TempPath().c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (handle < 0) {
        FSpillFailed = true;
        return;
    }
    FFile = std::make_unique<THandleStream>(handle, true);
    try {
        FFile->Write(FMemory.Memory(), FMemory.Size());
    } catch (const EStreamError &) {
        LogSwallowed(lcPipes(), "Moving a framed message to a temporary file");
        FFile.reset();
        FSpillFailed = true;
        return;
    }
    FMemory.Clear();
}

// The file could not take more: what it holds comes back into memory, and the message stays there.
void TPipeMultiMsg::BackToMemory() {
    FSpillFailed = true;
    std::unique_ptr<THandleStream> file = std::move(FFile);
    try {
        // A failed write may have left part of its bytes in the file: only what was appended counts.
        const std::string_view held = file->View();
        FMemory.Clear();
        FMemory.Write(held.data(), std::min<std::size_t>(held.size(), static_cast<std::size_t>(FSize)));
    } catch (const std::bad_alloc &) {
        Lose(0);
    }
}

void TPipeMultiMsg::Lose(std::size_t Count) {
    FLost = true;
    FLostSize = FSize + Count;
    FMemory.Clear();
    FFile.reset();
}

} // namespace trelvo
