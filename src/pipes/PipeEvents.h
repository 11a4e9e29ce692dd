#pragma once

#include "pipes/PipeProtocol.h"
#include "pipes/Posix.h"
#include "pipes/Streams.h"

#include <cstdint>
#include <functional>

// Event types of the pipe client and server. Sender is the client or server raising the event; Pipe
// identifies the connection.
namespace trelvo {

using TOnPipeConnect = std::function<void(void *Sender, TPipeHandle Pipe)>;
using TOnPipeDisconnect = std::function<void(void *Sender, TPipeHandle Pipe)>;
// Stream holds exactly one whole message, at position 0; it is valid only during the call.
using TOnPipeMessage = std::function<void(void *Sender, TPipeHandle Pipe, TStream &Stream)>;
using TOnPipeSent = std::function<void(void *Sender, TPipeHandle Pipe, std::uint32_t Size)>;
using TOnPipeError =
    std::function<void(void *Sender, TPipeHandle Pipe, TPipeContext PipeContext, std::int32_t ErrorCode)>;

} // namespace trelvo
