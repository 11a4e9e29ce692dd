#pragma once

#include "netserver/Store.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace trelvo::net {

struct TStoreWriterOptions {
    int Capacity = 4096;    // writes that may wait; beyond it new ones are dropped (and logged)
    int FirstRetryMs = 100; // a failed write is tried again after this, doubling up to LastRetryMs
    int LastRetryMs = 5000;
    int FlushMs = 10000; // what Stop lets the queue take at most
};

// The store's only writer while the server plays: a thread of its own takes writes from a bounded
// queue, so play never waits for the disk. A failed write (full disk, locked or lost file) is logged
// and tried again, in order, until it succeeds or the writer stops.
class TStoreWriter {
public:
    TStoreWriter(QString Path, TStoreWriterOptions Options = {});
    // Stops with a flush.
    ~TStoreWriter();
    TStoreWriter(const TStoreWriter &) = delete;
    TStoreWriter &operator=(const TStoreWriter &) = delete;

    // Queues a write; false when the queue is full (the write is dropped, logged and counted).
    bool Enqueue(TStoreWrite Item);
    // Writes what is queued, for at most FlushMs, then ends the thread. Abandon ends it after the write
    // in hand, as a killed server would (tests).
    void Stop(bool Abandon = false);

    // Writes committed to the file (acknowledged), dropped for a full queue, waiting, and failed tries.
    std::uint64_t Written() const { return FWritten; }
    std::uint64_t Dropped() const { return FDropped; }
    std::size_t Queued() const;
    std::uint64_t Failures() const { return FFailures; }

    // Caps the file at Pages pages before the next write, as a full disk would (tests); 0 lifts it.
    void SetPageLimit(int Pages) { FPageLimit = Pages; }

private:
    void Run();

    const QString FPath;
    const TStoreWriterOptions FOptions;
    mutable std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<TStoreWrite> FQueue;
    bool FStopping = false;
    bool FAbandon = false;
    std::atomic<std::uint64_t> FWritten{0}, FDropped{0}, FFailures{0};
    std::atomic<int> FPageLimit{-1};
    std::thread FThread;
};

} // namespace trelvo::net
