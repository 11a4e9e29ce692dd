#include "pipes/WriteQueue.h"

#include "pipes/PipeProtocol.h"
#include "pipes/Posix.h"
#include "pipes/Streams.h"
#include "sync/ThreadQueue.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <poll.h>
#include <string_view>

namespace trelvo {

std::unique_ptr<TPipeWrite> NewPipeWrite(const void *Buffer, std::size_t Count) {
    auto write = std::make_unique<TPipeWrite>();
    write->Buffer = std::make_unique_for_overwrite<std::uint8_t[]>(Count ? Count : 1);
    if (Count)
        std::memcpy(write->Buffer.get(), Buffer, Count);
    write->Count = static_cast<std::int32_t>(Count);
    return write;
}

std::unique_ptr<TPipeWrite> ReadBlock(TStream &Stream) {
    const std::uint64_t left = Stream.Size() > Stream.Position() ? Stream.Size() - Stream.Position() : 0;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(left ? left : MAX_BUFFER, MAX_BUFFER));
    auto block = std::make_unique<TPipeWrite>();
    block->Buffer = std::make_unique_for_overwrite<std::uint8_t[]>(want);
    const std::size_t n = Stream.Read(block->Buffer.get(), want);
    if (n == 0)
        return nullptr;
    block->Count = static_cast<std::int32_t>(n);
    return block;
}

namespace {
// Bytes of blocks read before they are queued: the memory throttle is looked at once per batch.
constexpr std::size_t kBatchBytes = 4 * MAX_BUFFER;

std::unique_ptr<TPipeWrite> ControlWrite(std::uint32_t Command) {
    const TPipeControlPacket packet = MakeControlPacket(Command);
    return NewPipeWrite(packet.data(), packet.size());
}
} // namespace

bool QueueFramedStream(TStream &Stream, TWriteQueue &Queue, const TQueueBatch &QueueBatch, bool Borrow) {
    const std::string_view borrowed = Borrow && Stream.ViewIsDirect() ? Stream.View() : std::string_view();
    std::size_t lent = 0;
    // The next block: a slice of the stream's memory, or a copy read from it.
    auto nextBlock = [&]() -> std::unique_ptr<TPipeWrite> {
        if (borrowed.data() == nullptr)
            return ReadBlock(Stream);
        if (lent >= borrowed.size())
            return nullptr;
        auto block = std::make_unique<TPipeWrite>();
        block->Borrowed = reinterpret_cast<const std::uint8_t *>(borrowed.data()) + lent;
        block->Count = static_cast<std::int32_t>(std::min<std::size_t>(borrowed.size() - lent, MAX_BUFFER));
        lent += static_cast<std::size_t>(block->Count);
        Stream.SetPosition(lent);
        return block;
    };
    std::vector<std::unique_ptr<TPipeWrite>> batch;
    batch.push_back(ControlWrite(MB_START));
    bool started = false;
    bool queued = true;
    bool reading = true;
    try {
        Stream.SetPosition(0);
        for (bool end = false; queued && !end;) {
            reading = true;
            std::size_t bytes = 0;
            while (bytes < kBatchBytes) {
                std::unique_ptr<TPipeWrite> block = nextBlock();
                if (!block) {
                    end = true;
                    batch.push_back(ControlWrite(MB_END));
                    break;
                }
                bytes += static_cast<std::size_t>(block->Count);
                batch.push_back(std::move(block));
            }
            reading = false;
            queued = QueueBatch(batch);
            started = started || queued;
        }
    } catch (...) {
        // What was read goes out before the frame is closed; a batch that failed on its way into the
        // queue is dropped.
        if (reading) {
            Queue.EnqueueAll(batch);
        } else if (!started) {
            Queue.EnqueueStartPacket();
        }
        Queue.EnqueueEndPacket();
        throw;
    }
    if (!queued) {
        if (!started)
            Queue.EnqueueStartPacket();
        Queue.EnqueueEndPacket();
    }
    return queued;
}

void FlushUntilSent(const std::function<void()> &Flush, bool Borrowed) {
    std::exception_ptr error;
    do {
        try {
            Flush();
            break;
        } catch (...) {
            if (!error)
                error = std::current_exception();
        }
    } while (Borrowed);
    if (error)
        std::rethrow_exception(error);
}

bool WaitUntilDrained(const std::function<std::shared_ptr<TWriteQueue>()> &Queue, int StallMs) {
    if (TThreadQueue::InSendMessage())
        return true;
    auto &messages = TThreadQueue::Current();
    std::uint32_t lastSize = UINT32_MAX;
    std::chrono::steady_clock::time_point progress;
    while (std::shared_ptr<TWriteQueue> writes = Queue()) {
        const TEvent &empty = writes->EmptyEvent();
        if (empty.IsSet())
            return true;
        int timeout = -1;
        if (StallMs > 0) {
            const auto now = std::chrono::steady_clock::now();
            if (const std::uint32_t size = writes->DataSize(); size < lastSize) {
                lastSize = size;
                progress = now;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                progress + std::chrono::milliseconds(StallMs) - now);
            if (left.count() <= 0)
                return false;
            timeout = static_cast<int>(left.count());
        }
        pollfd p[2] = {{empty.Fd(), POLLIN, 0}, {messages.EventFd(), POLLIN, 0}};
        if (poll(p, 2, timeout) <= 0)
            continue;
        if (p[0].revents & POLLIN)
            return true;
        if (p[1].revents & POLLIN)
            messages.ProcessMessages();
    }
    return true;
}

TWriteQueue::~TWriteQueue() {
    Clear();
}

std::uint32_t TWriteQueue::NodeCost(const TWriteNode &Node) {
    return Node.PipeWrite ? static_cast<std::uint32_t>(Node.PipeWrite->Count) + 28 : 12;
}

void TWriteQueue::Enqueue(std::unique_ptr<TPipeWrite> PipeWrite) {
    if (!PipeWrite)
        return;
    {
        std::lock_guard lock(FMutex);
        Link(std::move(PipeWrite));
    }
    UpdateEvents();
}

void TWriteQueue::EnqueueAll(std::vector<std::unique_ptr<TPipeWrite>> &PipeWrites) {
    {
        std::lock_guard lock(FMutex);
        for (auto &write : PipeWrites)
            if (write)
                Link(std::move(write));
    }
    PipeWrites.clear();
    UpdateEvents();
}

void TWriteQueue::Link(std::unique_ptr<TPipeWrite> PipeWrite) {
    if (PipeWrite->Count > static_cast<std::int32_t>(MAX_BUFFER)) {
        EnqueueSplit(std::move(PipeWrite));
        return;
    }
    auto *node = new TWriteNode{std::move(PipeWrite), nullptr};
    FDataSize += NodeCost(*node);
    if (FTail)
        FTail->NextNode = node;
    else
        FHead = node;
    FTail = node;
    FHasData.store(true, std::memory_order_release);
}

void TWriteQueue::EnqueueSplit(std::unique_ptr<TPipeWrite> PipeWrite) {
    std::lock_guard lock(FMutex);
    EnqueueStartPacket();
    TFinally end([this] { EnqueueEndPacket(); });
    const std::uint8_t *p = PipeWrite->Data();
    std::int32_t left = PipeWrite->Count;
    while (left > 0) {
        const std::int32_t chunk = std::min<std::int32_t>(left, MAX_BUFFER);
        Enqueue(NewPipeWrite(p, static_cast<std::size_t>(chunk)));
        p += chunk;
        left -= chunk;
    }
}

void TWriteQueue::EnqueueControl(std::uint32_t Command) {
    std::lock_guard lock(FMutex);
    const TPipeControlPacket packet = MakeControlPacket(Command);
    Enqueue(NewPipeWrite(packet.data(), packet.size()));
}

void TWriteQueue::EnqueueStartPacket() {
    EnqueueControl(MB_START);
}

void TWriteQueue::EnqueueEndPacket() {
    EnqueueControl(MB_END);
}

std::unique_ptr<TPipeWrite> TWriteQueue::Dequeue() {
    std::unique_ptr<TPipeWrite> result;
    {
        std::lock_guard lock(FMutex);
        if (!FHead)
            return nullptr;
        TWriteNode *node = FHead;
        FDataSize -= NodeCost(*node);
        if (FTail == node)
            FTail = nullptr;
        FHead = node->NextNode;
        FHasData.store(FHead != nullptr, std::memory_order_release);
        result = std::move(node->PipeWrite);
        delete node;
    }
    UpdateEvents();
    return result;
}

void TWriteQueue::Clear() {
    {
        std::lock_guard lock(FMutex);
        FHasData.store(false, std::memory_order_release);
        while (FHead) {
            TWriteNode *next = FHead->NextNode;
            delete FHead;
            FHead = next;
        }
        FTail = nullptr;
        FDataSize = 0;
    }
    UpdateEvents();
}

std::uint32_t TWriteQueue::DataSize() const {
    std::lock_guard lock(FMutex);
    return FDataSize;
}

bool TWriteQueue::Empty() const {
    std::lock_guard lock(FMutex);
    return FHead == nullptr;
}

// Runs after the queue's lock is let go, so that a woken worker does not wait for it. Every call
// applies the queue's state as it is then, so the call that follows the last change leaves the events
// right, whatever order calls from two threads come in.
void TWriteQueue::UpdateEvents() {
    std::lock_guard lock(FEventLock);
    if (FHasData.load(std::memory_order_seq_cst)) {
        FDataEv.Set();
        FEmptyEv.Reset();
    } else {
        FDataEv.Reset();
        FEmptyEv.Set();
    }
}

} // namespace trelvo
