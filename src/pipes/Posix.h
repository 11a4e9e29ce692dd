#pragma once

#include "sync/SysTime.h"

// Small POSIX helpers of the pipe transport.
namespace trelvo {

// A pipe is a socket descriptor; the value also serves as the pipe's identifier in events.
using TPipeHandle = int;
constexpr TPipeHandle kInvalidPipe = -1;

// Descriptor 0 is a real descriptor on POSIX (a process started with stdin closed may get it).
inline bool IsValidHandle(TPipeHandle Handle) {
    return Handle >= 0;
}

} // namespace trelvo
