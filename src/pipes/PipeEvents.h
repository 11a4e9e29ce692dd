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

// Raises the event behind one of the worker's error, sent and message notifications on the client or
// server that owns it; false for any other notification. Each handler is called through a copy, since
// it may destroy its owner.
template <typename TOwner>
bool RaiseWorkerEvent(TOwner *Owner, std::uint32_t Msg, TPipeHandle Pipe, std::intptr_t LParam) {
    switch (Msg) {
    case PIPE_NOTIFY_ERROR:
        if (auto handler = Owner->OnPipeError)
            handler(Owner, Pipe, pcWorker, static_cast<std::int32_t>(LParam));
        return true;
    case PIPE_NOTIFY_SENT:
        if (auto handler = Owner->OnPipeSent)
            handler(Owner, Pipe, static_cast<std::uint32_t>(LParam));
        return true;
    case PIPE_NOTIFY_MESSAGE:
        if (auto handler = Owner->OnPipeMessage)
            handler(Owner, Pipe, *reinterpret_cast<TStream *>(LParam));
        return true;
    default:
        return false;
    }
}

} // namespace trelvo
