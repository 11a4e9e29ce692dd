#pragma once

#include "pipes/PipeEvents.h"
#include "pipes/Posix.h"
#include "pipes/Streams.h"
#include "pipes/WriteQueue.h"
#include "sync/Event.h"
#include "sync/ThreadQueue.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace trelvo {

class TPipeThread;
class TThreadEx;
struct TThreadHandle;

// The client end of a message pipe. A worker thread does all pipe I/O; every event (message, sent,
// error, disconnect) is raised on the thread that created the client, which must run its message queue
// (TThreadQueue) from its event loop. All operations are meant for that thread.
class TPipeClient {
public:
    TPipeClient();
    ~TPipeClient();
    TPipeClient(const TPipeClient &) = delete;
    TPipeClient &operator=(const TPipeClient &) = delete;

    // A worker runs.
    bool Connected() const;
    // Opens the pipe (and starts the worker when Start is true). WaitTime: how long a busy listener is
    // waited for, 0 meaning 50 ms; a missing listener fails at once. True when connected or open.
    bool Connect(std::uint32_t WaitTime = 0, bool Start = true);
    void Disconnect();
    // Queues a copy of Count bytes; false when not connected.
    bool Write(const void *Buffer, std::uint32_t Count);
    // Sends the whole stream as one framed message and returns once the queue has emptied.
    bool SendStream(TStream *Stream);
    bool SendStream(TStream &Stream) { return SendStream(&Stream); }
    // Waits until the write queue is empty (returns at once inside a synchronously sent message).
    void FlushPipeBuffers();
    // Waits for the next delivered message; TimeOut in ms, kInfinite for no limit.
    bool WaitForReply(std::uint32_t TimeOut = kInfinite);

    std::uint32_t MemoryThrottle() const { return FThrottle; }
    void SetMemoryThrottle(std::uint32_t Value) { FThrottle = Value; }
    const std::string &PipeName() const { return FPipeName; }
    void SetPipeName(const std::string &Value);
    const std::string &ServerName() const { return FServerName; }
    void SetServerName(const std::string &Value);
    TWindowHandle WindowHandle() const { return FHwnd; }
    // The write queue's accounted size, for tests of the throttle.
    std::uint32_t DataSizeForTest() const { return FWriteQueue->DataSize(); }
    TPipeHandle Pipe() const { return FPipe; }

    TOnPipeDisconnect OnPipeDisconnect;
    TOnPipeMessage OnPipeMessage;
    // Sent events are raised for data queued while this is bound.
    TOnPipeSent OnPipeSent;
    TOnPipeError OnPipeError;

private:
    std::intptr_t HandleNotification(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    void WorkerFinished();
    void StartWorker();
    bool QueueWrite(std::unique_ptr<TPipeWrite> PipeWrite);
    bool QueueWrites(std::vector<std::unique_ptr<TPipeWrite>> &Batch);
    void FlushSent(bool Borrowed);
    void WaitForRoom();
    void PeerHungUp();

    std::uint32_t FBaseThread;
    TWindowHandle FHwnd = 0;
    TPipeHandle FPipe = kInvalidPipe;
    // The client itself holds FPipe (opened without a worker); once a worker runs, the socket is the
    // worker's to close, and FPipe is only its name.
    bool FPipeOwned = false;
    std::string FPipeName;
    std::string FServerName;
    bool FDisconnecting = false;
    bool FReply = false;
    bool FDestroying = false;
    std::uint32_t FThrottle = 10240000;
    // Shared with the worker, which may outlive a client destroyed inside one of its own events.
    std::shared_ptr<TWriteQueue> FWriteQueue;
    TPipeThread *FWorker = nullptr;
    std::shared_ptr<TThreadHandle> FWorkerHandle;
    std::shared_ptr<TEvent> FKillEv;
    // Whether OnPipeSent was bound when data was last queued; the worker skips the sent notification,
    // and its wait for this thread, when it was not.
    std::shared_ptr<std::atomic<bool>> FSentWanted;
    // Set by the worker when it can no longer write while one of our handlers runs.
    std::shared_ptr<TEvent> FLinkDown;
    // Set while a handler of ours waits for room in the queue: the worker then writes meanwhile.
    std::shared_ptr<TEvent> FRoomWanted;
    // OnPipeDisconnect was raised already, from the worker's word of a hang-up during a handler.
    bool FDisconnectRaised = false;
    // Cleared when the client goes; the worker's termination handler checks it.
    std::shared_ptr<bool> FAlive;
};

// Checks a pipe name: not empty, at most 256 characters, no "\". Raises EPipeException.
void CheckPipeName(const std::string &Name);

} // namespace trelvo
