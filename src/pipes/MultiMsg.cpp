#include "pipes/MultiMsg.h"

#include "common/Log.h"
#include "pipes/PipeLog.h"
#include "pipes/PipeProtocol.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>

namespace trelvo {

std::string TPipeMultiMsg::TempPath() {
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

TPipeMultiMsg::TPipeMultiMsg(TPipeReadArea *Area) : FArea(Area) {
    if (!FArea) {
        FOwnArea = std::make_unique<TPipeReadArea>(kSpillBytes + MAX_BUFFER);
        FArea = FOwnArea.get();
    }
}

TPipeMultiMsg::~TPipeMultiMsg() = default;

std::uint8_t *TPipeMultiMsg::Tail() {
    return FLost || FPlace == TPlace::Memory ? nullptr : FArea->Data() + FHeld;
}

std::size_t TPipeMultiMsg::TailRoom() const {
    return FArea->Size() - FHeld;
}

void TPipeMultiMsg::Commit(std::size_t Count) {
    FView.reset();
    FHeld += Count;
    FArea->Touch(FHeld);
    if (FPlace == TPlace::Area && FHeld > kSpillBytes)
        Spill();
    else if (FPlace == TPlace::File && FHeld >= kStageBytes)
        WriteStaged();
}

void TPipeMultiMsg::Append(const void *Data, std::size_t Count) {
    const auto *p = static_cast<const std::uint8_t *>(Data);
    while (Count > 0) {
        if (FLost) {
            FLostSize += Count;
            return;
        }
        if (FPlace == TPlace::Memory) {
            try {
                FMemory.Write(p, Count);
            } catch (const std::bad_alloc &) {
                Lose(Count);
            }
            return;
        }
        const std::size_t n = std::min(Count, TailRoom());
        std::memcpy(Tail(), p, n);
        Commit(n);
        p += n;
        Count -= n;
    }
}

TStream &TPipeMultiMsg::Stream() {
    if (FPlace == TPlace::File && FHeld > 0)
        WriteStaged();
    switch (FPlace) {
    case TPlace::File:
        return *FFile;
    case TPlace::Memory:
        return FMemory;
    case TPlace::Area:
        break;
    }
    if (!FView)
        FView.emplace(FArea->Data(), FLost ? 0 : FHeld);
    return *FView;
}

void TPipeMultiMsg::Spill() {
    const int handle = open(TempPath().c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (handle < 0) {
        BackToMemory(0);
        return;
    }
    FFile = std::make_unique<THandleStream>(handle, true);
    FPlace = TPlace::File;
    WriteStaged();
}

// Writes what the area holds to the file; on failure the message moves to memory. True when written.
bool TPipeMultiMsg::WriteStaged() {
    try {
        FFile->Write(FArea->Data(), FHeld);
    } catch (const EStreamError &) {
        LogSwallowed(lcPipes(), "Writing a framed message to its temporary file");
        BackToMemory(FFileBytes);
        return false;
    }
    FFileBytes += FHeld;
    FHeld = 0;
    return true;
}

// The file could not take more: the FileBytes it holds and what the area holds come into memory of the
// message's own, and the message stays there.
void TPipeMultiMsg::BackToMemory(std::uint64_t FileBytes) {
    std::unique_ptr<THandleStream> file = std::move(FFile);
    FPlace = TPlace::Memory;
    try {
        FMemory.Clear();
        if (file) {
            // A failed write may have left part of its bytes in the file: only what was written counts.
            const std::string_view held = file->View();
            FMemory.Write(held.data(),
                          std::min<std::size_t>(held.size(), static_cast<std::size_t>(FileBytes)));
        }
        FMemory.Write(FArea->Data(), FHeld);
    } catch (const std::bad_alloc &) {
        Lose(0);
    }
    FHeld = 0;
    FFileBytes = 0;
}

void TPipeMultiMsg::Lose(std::size_t Count) {
    FLostSize = FFileBytes + FHeld + FMemory.Size() + Count;
    FLost = true;
    FHeld = 0;
    FMemory.Clear();
    FFile.reset();
    FView.reset();
}

} // namespace trelvo
