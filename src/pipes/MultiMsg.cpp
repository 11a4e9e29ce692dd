#include "pipes/MultiMsg.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace trelvo {

namespace {
std::string TempPath()
{
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}
} // namespace

TPipeMultiMsg::TPipeMultiMsg()
{
    FHandle = open(TempPath().c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (FHandle >= 0)
        FStream = std::make_unique<THandleStream>(FHandle, false);
    else
        FStream = std::make_unique<TFastMemStream>();
}

TPipeMultiMsg::~TPipeMultiMsg()
{
    FStream.reset();
    if (FHandle >= 0)
        close(FHandle);
}

} // namespace trelvo
