#pragma once

#include "pipes/PipeEvents.h"
#include "pipes/Posix.h"
#include "pipes/Streams.h"
#include "pipes/WriteQueue.h"
#include "sync/Event.h"
#include "sync/ThreadQueue.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace trelvo {

class TPipeThread;
class TThreadCounter;
struct TThreadHandle;

// The listening end of a message pipe, for the host simulator and the tests. It owns the pipe name,
// accepts clients and runs one worker per connection with the same queue, framing and notifications as
// the client. Every event is raised on the thread that created the server, which must run its message
// queue (TThreadQueue), from an event loop or from TThreadQueue::WaitUntil.
// Pipe in events and calls is the connection's id (unique for the server's life, never reused).
class TPipeServer {
public:
    TPipeServer();
    ~TPipeServer();
    TPipeServer(const TPipeServer &) = delete;
    TPipeServer &operator=(const TPipeServer &) = delete;

    // Starts listening; false when the name is taken or cannot be bound.
    bool Open();
    // Stops listening and drops every connection (OnPipeDisconnect is raised for each one).
    void Close();
    bool Active() const { return FListenerHandle != nullptr; }

    // Queues a copy of Count bytes for one connection; false when it is not connected.
    bool Write(TPipeHandle Pipe, const void *Buffer, std::uint32_t Count);
    // Sends the whole stream as one framed message; returns once that connection's queue has emptied.
    bool SendStream(TPipeHandle Pipe, TStream *Stream);
    bool SendStream(TPipeHandle Pipe, TStream &Stream) { return SendStream(Pipe, &Stream); }
    // Waits for one connection's queue to empty; drops the connection when its peer stops reading.
    void FlushPipeBuffers(TPipeHandle Pipe);
    // Drops one connection; its OnPipeDisconnect follows once its worker has ended. Outside a
    // synchronously sent message this waits for that.
    void Disconnect(TPipeHandle Pipe);
    bool Connected(TPipeHandle Pipe) const;
    std::vector<TPipeHandle> Clients() const;
    std::size_t ClientCount() const { return FConnections.size(); }

    const std::string &PipeName() const { return FPipeName; }
    void SetPipeName(const std::string &Value);
    std::uint32_t MemoryThrottle() const { return FThrottle; }
    void SetMemoryThrottle(std::uint32_t Value) { FThrottle = Value; }
    // A connection whose peer stops reading is dropped, with a warning, once this many bytes wait in its
    // queue (0: never), or once a wait for its queue has seen no progress for StallLimitMs (0: never).
    std::uint32_t QueueLimit() const { return FQueueLimit; }
    void SetQueueLimit(std::uint32_t Value) { FQueueLimit = Value; }
    int StallLimitMs() const { return FStallLimitMs; }
    void SetStallLimitMs(int Value) { FStallLimitMs = Value; }
    // Bytes waiting in one connection's queue (0 when it is not connected).
    std::uint32_t QueuedBytes(TPipeHandle Pipe) const;
    TWindowHandle WindowHandle() const { return FHwnd; }

    TOnPipeConnect OnPipeConnect;
    TOnPipeDisconnect OnPipeDisconnect;
    TOnPipeMessage OnPipeMessage;
    // Sent events are raised for data queued while this is bound.
    TOnPipeSent OnPipeSent;
    TOnPipeError OnPipeError;

private:
    struct TConnection {
        std::shared_ptr<TWriteQueue> Queue;
        std::shared_ptr<TEvent> Kill;
        std::shared_ptr<TThreadHandle> Worker;
        // Dropped for a peer that fell behind: nothing more is queued while its worker ends.
        bool Dropped = false;
    };

    std::intptr_t HandleNotification(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    bool QueueWrite(TPipeHandle Pipe, std::unique_ptr<TPipeWrite> PipeWrite);
    bool QueueWrites(TPipeHandle Pipe, std::vector<std::unique_ptr<TPipeWrite>> &Batch);
    void AddConnection(TPipeHandle Socket);
    void WorkerFinished(TPipeHandle Pipe);
    // False, dropping the connection, when its peer is too far behind to take another message.
    bool Admit(TPipeHandle Pipe);
    void DropLaggard(TPipeHandle Pipe, const QString &Why);
    void ListenerError(int ErrorCode);
    TConnection *Find(TPipeHandle Pipe);

    std::uint32_t FBaseThread;
    TWindowHandle FHwnd = 0;
    std::string FPipeName = "PipeServer";
    std::uint32_t FThrottle = 10240000;
    std::uint32_t FQueueLimit = 64u << 20;
    int FStallLimitMs = 10000;
    bool FDestroying = false;
    TPipeHandle FNextId = 1;
    std::map<TPipeHandle, TConnection> FConnections;
    std::shared_ptr<TThreadCounter> FCounter;
    std::shared_ptr<TEvent> FListenerKill;
    std::shared_ptr<TThreadHandle> FListenerHandle;
    // Whether OnPipeSent was bound when data was last queued (see TPipeClient).
    std::shared_ptr<std::atomic<bool>> FSentWanted;
    std::shared_ptr<bool> FAlive;
};

} // namespace trelvo
