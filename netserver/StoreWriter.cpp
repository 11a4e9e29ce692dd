#include "netserver/StoreWriter.h"

#include "netserver/StoreSpill.h"
#include "server/Log.h"

#include <QDateTime>
#include <QFile>

#include <chrono>
#include <optional>
#include <vector>

namespace trelvo::net {

namespace {

using TSteady = std::chrono::steady_clock;

// The writer thread's own things: the open file, the spill beside it, and what became of a write.
class TWriterState {
public:
    enum class TResult { Written, Spilled, Refused, Failed };

    TWriterState(const QString &Path, const TStoreWriterOptions &Options)
        : FPath(Path), FOptions(Options), FSpill(Path), FRetryMs(Options.FirstRetryMs) {}

    bool Open(QString &Error) {
        FDb.emplace(FPath);
        if (!FDb->Open(Error)) {
            FDb.reset();
            return false;
        }
        if (FOptions.Spill)
            FSpill.Reserve(FOptions.SpillReserveBytes);
        FSpilled = !FSpill.Empty();
        if (FSpilled)
            Unspill();
        return true;
    }

    // The items in one transaction, or in the spill file; Error says why neither.
    TResult Commit(std::span<const TStoreWrite> Items, int PageLimit, QString &Error) {
        if (PageLimit != FPageLimit && FDb) {
            FDb->SetPageLimit(PageLimit);
            FPageLimit = PageLimit;
        }
        bool retry = true;
        // While writes are spilled, the file is tried again only after the back-off: one sync for a write,
        // not a failed transaction and a sync.
        if (FDb && (!FSpilled || TSteady::now() >= FNextTry) && (!FSpilled || Unspill())) {
            if (FDb->Write(Items, Error, retry)) {
                FDirty = true;
                if (FFailing)
                    qCInfo(server::lcServer) << "store: writing to the file again";
                FFailing = false;
                FRetryMs = FOptions.FirstRetryMs;
                return TResult::Written;
            }
            if (!retry)
                return TResult::Refused;
            Failed(Error);
        }
        if (FOptions.Spill && FSpill.Append(Items)) {
            if (!FSpilled)
                qCWarning(server::lcServer).noquote()
                    << QStringLiteral("store: cannot write to %1 (%2); writes are kept in the spill file %3 "
                                      "until it can")
                           .arg(FPath, Error, FSpill.Path());
            FSpilled = true;
            return TResult::Spilled;
        }
        if (Error.isEmpty())
            Error = QStringLiteral("the spill file %1 takes no more").arg(FSpill.Path());
        return TResult::Failed;
    }

    // When the writer has nothing to do: the spill goes into the file once it can; otherwise the log is
    // folded in and cut. The time until it wants to be woken for this, if at all.
    std::optional<TSteady::duration> IdleWork(bool Now) {
        if (FSpilled) {
            if (Now || TSteady::now() >= FNextTry)
                Unspill();
            if (FSpilled)
                return FNextTry - TSteady::now();
        }
        if (FDirty && Now) {
            Checkpoint();
            return std::nullopt;
        }
        return FDirty ? std::optional<TSteady::duration>(std::chrono::milliseconds(FOptions.IdleCheckpointMs))
                      : std::nullopt;
    }

    void Checkpoint() {
        if (FDb && FDb->Checkpoint())
            FDirty = false;
    }
    bool Spilled() const { return FSpilled; }
    int RetryMs() const { return FRetryMs; }
    const QString &SpillPath() const { return FSpill.Path(); }

    // The back-off after a try that found neither file nor spill taking writes.
    void Failed(const QString &Error) {
        FFailing = true;
        FNextTry = TSteady::now() + std::chrono::milliseconds(FRetryMs);
        FLastError = Error;
        FRetryMs = std::min(FRetryMs * 2, FOptions.LastRetryMs);
        // A full disk: the log's pages go into the file and the log is cut, giving its space back.
        Checkpoint();
    }

private:
    // Writes the spill into the file, oldest first, before anything newer; true when it is empty after.
    bool Unspill() {
        int torn = 0;
        const std::vector<TStoreWrite> items = FSpill.Read(&torn);
        if (torn > 0)
            qCWarning(server::lcServer) << "store:" << torn << "lines of the spill file cut short by a crash "
                                        << "are left out";
        QString error;
        bool retry = true;
        if (!items.empty() && !FDb->Write(std::span(items), error, retry)) {
            if (retry) {
                Failed(error);
                return false;
            }
            // Never seen: our own writes refused by our own schema. Kept for the operator, out of the way.
            const QString aside =
                FSpill.Path() + QStringLiteral(".refused-%1").arg(QDateTime::currentMSecsSinceEpoch());
            QFile::rename(FSpill.Path(), aside);
            qCCritical(server::lcServer).noquote()
                << QStringLiteral("store: %1 refuses the writes of the spill file (%2); they are kept in %3")
                       .arg(FPath, error, aside);
        } else if (!FSpill.Clear()) {
            return false;
        }
        if (!items.empty())
            qCInfo(server::lcServer).noquote()
                << QStringLiteral("store: %1 writes from the spill file %2 written into the store")
                       .arg(items.size())
                       .arg(FSpill.Path());
        FSpilled = false;
        FDirty = true;
        FRetryMs = FOptions.FirstRetryMs;
        if (FOptions.Spill)
            FSpill.Reserve(FOptions.SpillReserveBytes);
        return true;
    }

    const QString FPath;
    const TStoreWriterOptions &FOptions;
    std::optional<TStoreDb> FDb;
    TStoreSpill FSpill;
    bool FSpilled = false;
    bool FDirty = false; // written since the last checkpoint
    bool FFailing = false;
    int FRetryMs;
    int FPageLimit = -1;
    TSteady::time_point FNextTry{};
    QString FLastError;
};

void Tell(std::vector<TStoreWriter::TDone> &Dones, bool Durable) {
    for (const TStoreWriter::TDone &done : Dones)
        if (done)
            done(Durable);
    Dones.clear();
}

} // namespace

TStoreWriter::TStoreWriter(QString Path, TStoreWriterOptions Options)
    : FPath(std::move(Path)), FOptions(Options), FThread([this] { Run(); }) {}

TStoreWriter::~TStoreWriter() {
    Stop();
}

bool TStoreWriter::Opened(QString &Error) {
    std::unique_lock lock(FMutex);
    FOpenWake.wait(lock, [this] { return FOpen != TOpen::Pending; });
    Error = FOpenError;
    return FOpen == TOpen::Done;
}

bool TStoreWriter::Enqueue(TStoreWrite Item, TDone Done) {
    {
        std::lock_guard lock(FMutex);
        if (!FStopping && static_cast<int>(FQueue.size() + FInHand) < FOptions.Capacity) {
            FQueue.push_back({std::move(Item), std::move(Done)});
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
    return FQueue.size() + FInHand;
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
    TWriterState state(FPath, FOptions);
    {
        QString error;
        const bool opened = state.Open(error);
        std::lock_guard lock(FMutex);
        FOpen = opened ? TOpen::Done : TOpen::Failed;
        FOpenError = error;
        FOpenWake.notify_all();
    }
    std::optional<TSteady::time_point> flushEnd;
    // The writes in hand: taken from the queue's head, kept in order until durable.
    std::vector<TStoreWrite> items;
    std::vector<TDone> dones;
    std::unique_lock lock(FMutex);
    for (;;) {
        if (items.empty()) {
            const auto ready = [this] { return FStopping || !FQueue.empty(); };
            while (!ready()) {
                lock.unlock();
                const auto wake = state.IdleWork(false);
                lock.lock();
                if (!wake) {
                    FWake.wait(lock, ready);
                } else if (!FWake.wait_for(lock, *wake, ready)) {
                    lock.unlock();
                    state.IdleWork(true);
                    lock.lock();
                }
            }
            if (FStopping && !flushEnd)
                flushEnd = TSteady::now() + std::chrono::milliseconds(FOptions.FlushMs);
            if (FAbandon || FQueue.empty())
                break;
            const std::size_t count = std::min<std::size_t>(FQueue.size(), std::max(1, FOptions.BatchMax));
            for (std::size_t i = 0; i < count; ++i) {
                items.push_back(std::move(FQueue.front().Item));
                dones.push_back(std::move(FQueue.front().Done));
                FQueue.pop_front();
            }
            FInHand = items.size();
        } else if (FAbandon || (flushEnd && TSteady::now() >= *flushEnd)) {
            break;
        }
        lock.unlock();
        QString error;
        using TResult = TWriterState::TResult;
        TResult result = state.Commit(items, FPageLimit, error);
        if (result == TResult::Refused) {
            // One of them the schema refuses for ever: each alone, the others go in and it is dropped.
            std::size_t settled = 0;
            for (; settled < items.size(); ++settled) {
                result = state.Commit(std::span(&items[settled], 1), FPageLimit, error);
                if (result == TResult::Failed)
                    break;
                if (result == TResult::Refused) {
                    qCWarning(server::lcServer).noquote()
                        << QStringLiteral("store: a write that %1 refuses is dropped (%2)").arg(FPath, error);
                    ++FDropped;
                } else {
                    ++FWritten;
                }
                if (dones[settled])
                    dones[settled](result != TResult::Refused);
            }
            items.erase(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(settled));
            dones.erase(dones.begin(), dones.begin() + static_cast<std::ptrdiff_t>(settled));
        } else if (result != TResult::Failed) {
            FWritten += items.size();
            items.clear();
            Tell(dones, true);
        }
        lock.lock();
        FInHand = items.size();
        if (result != TResult::Failed)
            continue;
        const std::uint64_t failures = ++FFailures;
        if (failures == 1 || (failures & (failures - 1)) == 0)
            qCWarning(server::lcServer).noquote()
                << QStringLiteral(
                       "store: cannot write to %1 (%2), nor to the spill file; trying again in %3 ms, "
                       "%4 writes waiting")
                       .arg(FPath, error)
                       .arg(state.RetryMs())
                       .arg(FQueue.size() + items.size());
        FWake.wait_for(lock, std::chrono::milliseconds(state.RetryMs()), [this] { return FAbandon; });
    }
    // What is left when the writer stops: spilled if it can be, for the next start.
    for (TQueued &queued : FQueue) {
        items.push_back(std::move(queued.Item));
        dones.push_back(std::move(queued.Done));
    }
    FQueue.clear();
    FInHand = 0;
    const bool abandon = FAbandon;
    lock.unlock();
    if (abandon) {
        if (!items.empty())
            qCWarning(server::lcServer) << "store: stopped with" << items.size() << "writes not written";
        return;
    }
    // A spill the file takes again goes in now rather than at the next start; the log is cut.
    state.IdleWork(true);
    TStoreSpill spill(FPath);
    if (!items.empty() && FOptions.Spill && spill.Append(items)) {
        FWritten += items.size();
        items.clear();
        Tell(dones, true);
    }
    if (!items.empty()) {
        qCCritical(server::lcServer).noquote()
            << QStringLiteral(
                   "store: stopped with %1 writes neither in %2 nor in the spill file %3: they are lost")
                   .arg(items.size())
                   .arg(FPath, spill.Path());
        Tell(dones, false);
    }
    if (!spill.Empty())
        qCWarning(server::lcServer).noquote()
            << QStringLiteral(
                   "store: writes wait in the spill file %1; the next start writes them into the store")
                   .arg(spill.Path());
}

} // namespace trelvo::net
