#include "pipes/MultiMsg.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace trelvo {

namespace {
std::string TempPath() {
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}
} // namespace

TPipeMultiMsg::~TPipeMultiMsg() {
    FFile.reset();
    if (FHandle >= 0)
        close(FHandle);
}

void TPipeMultiMsg::Append(const void *Data, std::size_t Count) {
    if (!FFile && !FSpillFailed && FMemory.Size() + Count > kSpillBytes)
        Spill();
    Stream().Write(Data, Count);
}

void TPipeMultiMsg::Spill() {
    FHandle = open(TempPath().c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (FHandle < 0) {
        FSpillFailed = true;
        return;
    }
    FFile = std::make_unique<THandleStream>(FHandle, false);
    FFile->Write(FMemory.Memory(), FMemory.Size());
    FMemory.Clear();
}

} // namespace trelvo
