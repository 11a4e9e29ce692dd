#pragma once

#include "sync/Event.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace trelvo {

// One queued write: a private copy of the bytes, or bytes borrowed from a stream whose sender waits
// until the queue has sent them.
struct TPipeWrite {
    std::unique_ptr<std::uint8_t[]> Buffer;
    const std::uint8_t *Borrowed = nullptr;
    std::int32_t Count = 0;

    const std::uint8_t *Data() const { return Buffer ? Buffer.get() : Borrowed; }
};

std::unique_ptr<TPipeWrite> NewPipeWrite(const void *Buffer, std::size_t Count);

class TStream;
// The next block of at most MAX_BUFFER bytes of Stream, or none at its end.
std::unique_ptr<TPipeWrite> ReadBlock(TStream &Stream);

// Runs Flush, the owner's wait for its queue to empty. With Borrowed blocks queued the wait goes on
// through handlers that fail meanwhile, since the blocks point into the caller's stream; the first
// failure leaves afterwards.
void FlushUntilSent(const std::function<void()> &Flush, bool Borrowed);

class TWriteQueue;
// The owner's wait for a connection's queue to empty (FlushPipeBuffers of client and server): runs the
// calling thread's messages meanwhile, since the worker's notifications come that way. Queue gives the
// connection's queue, or none once the connection has ended (a message run here may end it). Inside a
// sent message it returns at once: the worker waits for that very handler. With StallMs, false once the
// queue has not shrunk for that long (a peer that stopped reading); true otherwise.
bool WaitUntilDrained(const std::function<std::shared_ptr<TWriteQueue>()> &Queue, int StallMs = 0);

// Queues a batch of records for the owner (after its memory throttle); false when it could not.
using TQueueBatch = std::function<bool(std::vector<std::unique_ptr<TPipeWrite>> &Batch)>;
// Cuts Stream, from its start, into the records of one framed message (start packet, blocks of
// MAX_BUFFER bytes, end packet) and hands them to QueueBatch in batches of a few blocks, so that a short
// message wakes the worker once. The frame is closed also when QueueBatch refuses a batch or reading
// the stream fails; false when QueueBatch refused. With Borrow, the blocks of a stream in memory point
// into it instead of holding copies: the caller must then not let the stream go or change before the
// queue has sent them.
bool QueueFramedStream(TStream &Stream, TWriteQueue &Queue, const TQueueBatch &QueueBatch, bool Borrow);

// The outgoing queue shared by the owner's thread (enqueue, clear) and the worker (dequeue).
// DataEvent is set while the queue holds a node; EmptyEvent, while it holds none. After a change they
// catch up as soon as the call that made it returns.
class TWriteQueue {
public:
    TWriteQueue() = default;
    ~TWriteQueue();
    TWriteQueue(const TWriteQueue &) = delete;
    TWriteQueue &operator=(const TWriteQueue &) = delete;

    // Takes the record; one larger than MAX_BUFFER is framed and cut into packets.
    void Enqueue(std::unique_ptr<TPipeWrite> PipeWrite);
    // Takes the records in order, as Enqueue would one by one, but signals the worker once for all.
    void EnqueueAll(std::vector<std::unique_ptr<TPipeWrite>> &PipeWrites);
    void EnqueueStartPacket();
    void EnqueueEndPacket();
    // The oldest record, or none.
    std::unique_ptr<TPipeWrite> Dequeue();
    // Drops everything.
    void Clear();

    TEvent &DataEvent() { return FDataEv; }
    TEvent &EmptyEvent() { return FEmptyEv; }
    // Whether the queue holds a node, without any lock: the worker looks after every packet it reads.
    bool HasData() const { return FHasData.load(std::memory_order_acquire); }
    // Accounted size: Count + 28 bytes per node holding a record (12 for an empty node).
    std::uint32_t DataSize() const;
    bool Empty() const;

private:
    struct TWriteNode {
        std::unique_ptr<TPipeWrite> PipeWrite;
        TWriteNode *NextNode = nullptr;
    };

    static std::uint32_t NodeCost(const TWriteNode &Node);
    void EnqueueSplit(std::unique_ptr<TPipeWrite> PipeWrite);
    // Links a record of at most MAX_BUFFER bytes (or splits a larger one) without updating the events.
    void Link(std::unique_ptr<TPipeWrite> PipeWrite);
    void EnqueueControl(std::uint32_t Command);
    void UpdateEvents();

    // Recursive: splitting and the control packets enqueue while already holding it.
    mutable std::recursive_mutex FMutex;
    std::mutex FEventLock;
    TEvent FDataEv{false};
    TEvent FEmptyEv{true};
    std::atomic<bool> FHasData{false};
    std::uint32_t FDataSize = 0;
    TWriteNode *FHead = nullptr;
    TWriteNode *FTail = nullptr;
};

} // namespace trelvo
