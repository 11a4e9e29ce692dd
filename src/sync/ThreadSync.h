#pragma once

#include "sync/Event.h"
#include "sync/ThreadQueue.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

// Running code of a worker thread on the thread that created it, and a thread base that waits without
// blocking that thread's queue.
namespace trelvo {

constexpr std::uint32_t SYNC_RELEASE = 36860;
constexpr std::uint32_t SYNC_EXECUTE = 36861;

// One thread object's link to its creating (base) thread.
class TThreadSync {
public:
    TThreadSync();
    ~TThreadSync();
    TThreadSync(const TThreadSync &) = delete;
    TThreadSync &operator=(const TThreadSync &) = delete;

    // Runs Method on the base thread and waits for it; an exception it raised is raised again here.
    void Synchronize(std::function<void()> Method);
    std::uint32_t SyncBaseTID() const { return FSyncBaseTID; }

private:
    friend class TSyncManager;
    std::exception_ptr FSyncRaise;
    std::function<void()> FMethod;
    std::uint32_t FSyncBaseTID;
};

// One record per base thread.
struct TSyncInfo {
    std::uint32_t FSyncBaseTID = 0;
    TWindowHandle FThreadWindow = 0;
    std::int32_t FThreadCount = 0;
};

// The process-wide registry of base threads and their thread windows.
class TSyncManager {
public:
    static TSyncManager &Instance();

    void AddThread(TThreadSync *ThreadSync);
    void RemoveThread(TThreadSync *ThreadSync);
    void Synchronize(TThreadSync *ThreadSync);

    // The thread window of a base thread, or 0 when it has none.
    TWindowHandle ThreadWindow(std::uint32_t BaseTID);

private:
    TSyncManager() = default;
    TSyncInfo *Find(std::uint32_t BaseTID);
    std::intptr_t ThreadWndProc(std::uint32_t Msg, std::intptr_t LParam);

    std::mutex FThreadLock;
    std::vector<std::unique_ptr<TSyncInfo>> FList;
};

// Shared by a thread object and whoever waits for it, so that a wait survives a thread that frees
// itself when it ends.
struct TThreadHandle {
    TEvent Finished;
    std::uint32_t BaseTID = 0;
};

// A thread that carries its own TThreadSync. It is created suspended; Run() starts it.
//
// Every thread object is made by Create<T>(...): the object it makes is a final wrapper around T whose
// destructor stops and joins the thread before T's part is destroyed, so Execute never runs on a
// half-destroyed object and no subclass has to remember to wait. The constructor key enforces this:
// a subclass takes a TCreateKey first and hands it to TThreadEx, and only Create can make one.
class TThreadEx {
protected:
    class TCreateKey {
        friend class TThreadEx;
        TCreateKey() = default;
    };

public:
    explicit TThreadEx(TCreateKey);
    virtual ~TThreadEx();

    template <typename T, typename... A> static std::unique_ptr<T> Create(A &&...Args);
    TThreadEx(const TThreadEx &) = delete;
    TThreadEx &operator=(const TThreadEx &) = delete;

    void Run();
    // Waits until the thread has ended. On the base thread the wait keeps running the queue, so that the
    // thread's last synchronous calls (its OnTerminate) can run; a handler's exception is raised again
    // once the thread has ended.
    void Wait();
    void Terminate() { FTerminated.store(true); }
    bool Terminated() const { return FTerminated.load(); }
    bool Started() const { return FStarted; }
    bool Finished() const { return FHandle->Finished.IsSet(); }
    void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
    TThreadSync &Sync() { return *FSync; }
    const std::shared_ptr<TThreadHandle> &Handle() const { return FHandle; }

    // Runs on the base thread after Execute, with the thread as sender. Assign before Run().
    std::function<void(TThreadEx *Sender)> OnTerminate;

    // Waits for a thread through its handle; usable after the thread object has freed itself.
    static void WaitFor(const std::shared_ptr<TThreadHandle> &Handle);

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();

private:
    template <typename T> class TJoined;
    static void ThreadProc(TThreadEx *Thread, std::shared_ptr<TThreadHandle> Handle);
    // Asks a started thread to end and waits for it; a self-freeing thread is left to end on its own.
    void StopAndJoin() noexcept;

    std::unique_ptr<TThreadSync> FSync;
    std::shared_ptr<TThreadHandle> FHandle;
    std::atomic<bool> FTerminated{false};
    bool FFreeOnTerminate = false;
    bool FStarted = false;
};

template <typename T> class TThreadEx::TJoined final : public T {
public:
    template <typename... A>
    explicit TJoined(TCreateKey Key, A &&...Args) : T(Key, std::forward<A>(Args)...) {}
    ~TJoined() override { this->StopAndJoin(); }
};

template <typename T, typename... A> std::unique_ptr<T> TThreadEx::Create(A &&...Args) {
    static_assert(std::is_base_of_v<TThreadEx, T>);
    return std::unique_ptr<T>(new TJoined<T>(TCreateKey(), std::forward<A>(Args)...));
}

// Counts live threads; WaitForEmpty keeps the caller's queue running.
class TThreadCounter {
public:
    TThreadCounter() = default;
    void Increment();
    void Decrement();
    std::int32_t Count() const;
    void WaitForEmpty();
    const TEvent &EmptyEvent() const { return FEmpty; }

private:
    mutable std::mutex FLock;
    TEvent FEmpty{true};
    std::int32_t FCount = 0;
};

} // namespace trelvo
