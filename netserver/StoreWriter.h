#pragma once

#include "netserver/Store.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace trelvo::net {

struct TStoreWriterOptions {
    int Capacity = 4096;    // writes that may wait; beyond it new ones are dropped (and logged)
    int FirstRetryMs = 100; // a failed write is tried again after this, doubling up to LastRetryMs
    int LastRetryMs = 5000;
    int FlushMs = 10000;        // what Stop lets the queue take at most
    int BatchMax = 256;         // writes one transaction takes at most
    int IdleCheckpointMs = 200; // this long without writes, the log is folded into the file and cut
    // A write the file cannot take for now (a full disk) is kept in the spill file beside it instead,
    // with SpillReserveBytes of disk set aside for it while there is room.
    bool Spill = true;
    qint64 SpillReserveBytes = 1 << 20;
};

// The store's only writer while the server plays: a thread of its own opens the file at once and takes
// writes from a bounded queue, so play never waits for the disk. What is queued when it comes for more
// goes into one transaction (games that end together share a commit and its sync). A write is durable
// once it is committed to the file or, when the file refuses it for now (full disk, locked or lost
// file), synced to the spill file; the spill goes into the file before any later write does, as soon
// as the file takes writes again, or at the next start. Only when neither takes it is it logged and
// tried again, in order, until it succeeds or the writer stops.
class TStoreWriter {
public:
    // Told on the writer's thread once a write is durable (true), or never will be (false: refused by
    // the schema, or neither written nor spilled when the writer stopped).
    using TDone = std::function<void(bool Durable)>;

    TStoreWriter(QString Path, TStoreWriterOptions Options = {});
    // Stops with a flush.
    ~TStoreWriter();
    TStoreWriter(const TStoreWriter &) = delete;
    TStoreWriter &operator=(const TStoreWriter &) = delete;

    // Waits until the thread has opened the store and written what an earlier run left in the spill
    // file; false with Error when the store cannot be opened.
    bool Opened(QString &Error);
    // Queues a write; false when the queue is full (the write is dropped, logged and counted; Done is
    // not called).
    bool Enqueue(TStoreWrite Item, TDone Done = {});
    // Writes what is queued, for at most FlushMs, spills what the file did not take, then ends the
    // thread. Abandon ends it after the write in hand, as a killed server would (tests).
    void Stop(bool Abandon = false);

    // Writes made durable (acknowledged), dropped for a full queue, waiting, and failed tries.
    std::uint64_t Written() const { return FWritten; }
    std::uint64_t Dropped() const { return FDropped; }
    std::size_t Queued() const;
    std::uint64_t Failures() const { return FFailures; }

    // Caps the file at Pages pages before the next write, as a full disk would (tests); 0 lifts it.
    void SetPageLimit(int Pages) { FPageLimit = Pages; }

private:
    struct TQueued {
        TStoreWrite Item;
        TDone Done;
    };
    enum class TOpen { Pending, Done, Failed };

    void Run();

    const QString FPath;
    const TStoreWriterOptions FOptions;
    mutable std::mutex FMutex;
    std::condition_variable FWake, FOpenWake;
    std::deque<TQueued> FQueue;
    std::size_t FInHand = 0;
    TOpen FOpen = TOpen::Pending;
    QString FOpenError;
    bool FStopping = false;
    bool FAbandon = false;
    std::atomic<std::uint64_t> FWritten{0}, FDropped{0}, FFailures{0};
    std::atomic<int> FPageLimit{-1};
    std::thread FThread;
};

} // namespace trelvo::net
