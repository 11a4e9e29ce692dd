#pragma once

#include "sync/Event.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace trelvo {

// One queued write: a private copy of the bytes.
struct TPipeWrite {
    std::unique_ptr<std::uint8_t[]> Buffer;
    std::int32_t Count = 0;
};

std::unique_ptr<TPipeWrite> NewPipeWrite(const void *Buffer, std::size_t Count);

class TStream;
// The next block of at most MAX_BUFFER bytes of Stream, or none at its end.
std::unique_ptr<TPipeWrite> ReadBlock(TStream &Stream);

// The outgoing queue shared by the owner's thread (enqueue, clear) and the worker (dequeue).
// DataEvent is set exactly while the queue holds a node, EmptyEvent exactly while it holds none.
class TWriteQueue {
public:
    TWriteQueue() = default;
    ~TWriteQueue();
    TWriteQueue(const TWriteQueue &) = delete;
    TWriteQueue &operator=(const TWriteQueue &) = delete;

    // Takes the record; one larger than MAX_BUFFER is framed and cut into packets.
    void Enqueue(std::unique_ptr<TPipeWrite> PipeWrite);
    void EnqueueStartPacket();
    void EnqueueEndPacket();
    // The oldest record, or none.
    std::unique_ptr<TPipeWrite> Dequeue();
    // Drops everything.
    void Clear();

    TEvent &DataEvent() { return FDataEv; }
    TEvent &EmptyEvent() { return FEmptyEv; }
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
    void EnqueueControl(std::uint32_t Command);
    void UpdateEvents();

    // Recursive: splitting and the control packets enqueue while already holding it.
    mutable std::recursive_mutex FMutex;
    TEvent FDataEv{false};
    TEvent FEmptyEv{true};
    std::uint32_t FDataSize = 0;
    TWriteNode *FHead = nullptr;
    TWriteNode *FTail = nullptr;
};

} // namespace trelvo
