#include "netserver/StoreWriter.h"

#include "server/Log.h"

#include <chrono>

namespace trelvo::net {

TStoreWriter::TStoreWriter(QString Path, TStoreWriterOptions Options)
    : FPath(std::move(Path)), FOptions(Options), FThread([this] { Run(); }) {}

TStoreWriter::~TStoreWriter() {
    Stop();
}

bool TStoreWriter::Enqueue(TStoreWrite Item) {
    {
        std::lock_guard lock(FMutex);
        if (!FStopping && static_cast<int>(FQueue.size()) < FOptions.Capacity) {
            FQueue.push_back(std::move(Item));
            FWake.notify_one();
            return true;
        }
    }
    // Logged now and then: a stuck disk with a busy server would fill the log.
    const std::uint64_t dropped = ++FDropped;
    if ((dropped & (dropped - 1)) == 0)
        qCWarning(server::lcServer) << "store: the write queue is full;" << dropped
                                    << "writes dropped so far";
    return false;
}

std::size_t TStoreWriter::Queued() const {
    std::lock_guard lock(FMutex);
    return FQueue.size();
}

void TStoreWriter::Stop(bool Abandon) {
    {
        std::lock_guard lock(FMutex);
        FStopping = true;
        FAbandon = FAbandon || Abandon;
        FWake.notify_one();
    }
    if (FThread.joinable())
        FThread.join();
}

void TStoreWriter::Run() {
    using Clock = std::chrono::steady_clock;
    std::optional<TStoreDb> db;
    int retryMs = FOptions.FirstRetryMs;
    int pageLimit = -1;
    std::optional<Clock::time_point> flushEnd;
    std::unique_lock lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FStopping || !FQueue.empty(); });
        if (FStopping && !flushEnd)
            flushEnd = Clock::now() + std::chrono::milliseconds(FOptions.FlushMs);
        if (FAbandon || FQueue.empty() || (flushEnd && Clock::now() >= *flushEnd))
            break;
        // The write in hand stays at the head until it is committed: order is kept and nothing acknowledged
        // is lost.
        const TStoreWrite &item = FQueue.front();
        lock.unlock();
        QString error;
        bool ok = true, retry = true;
        if (!db) {
            db.emplace(FPath);
            ok = db->Open(error);
            if (!ok)
                db.reset();
        }
        const int wantedLimit = FPageLimit;
        if (ok && wantedLimit != pageLimit) {
            db->SetPageLimit(wantedLimit);
            pageLimit = wantedLimit;
        }
        ok = ok && db->Write(item, error, retry);
        lock.lock();
        if (!ok && !retry) {
            qCWarning(server::lcServer).noquote()
                << QStringLiteral("store: a write that %1 refuses is dropped (%2)").arg(FPath, error);
            FQueue.pop_front();
            ++FDropped;
            continue;
        }
        if (ok) {
            FQueue.pop_front();
            ++FWritten;
            if (retryMs != FOptions.FirstRetryMs)
                qCInfo(server::lcServer) << "store: writing again;" << FQueue.size() << "writes waiting";
            retryMs = FOptions.FirstRetryMs;
            continue;
        }
        const std::uint64_t failures = ++FFailures;
        if (retryMs == FOptions.FirstRetryMs || (failures & (failures - 1)) == 0)
            qCWarning(server::lcServer).noquote()
                << QStringLiteral("store: cannot write to %1 (%2); trying again in %3 ms, %4 writes waiting")
                       .arg(FPath, error)
                       .arg(retryMs)
                       .arg(FQueue.size());
        FWake.wait_for(lock, std::chrono::milliseconds(retryMs), [this] { return FAbandon; });
        retryMs = std::min(retryMs * 2, FOptions.LastRetryMs);
    }
    if (!FQueue.empty())
        qCWarning(server::lcServer) << "store: stopped with" << FQueue.size() << "writes not written";
}

} // namespace trelvo::net
