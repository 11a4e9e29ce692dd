#include "sync/ThreadSync.h"

#include "sync/SyncLog.h"
#include "sync/SysTime.h"

#include "common/Log.h"

#include <thread>

namespace trelvo {

TThreadSync::TThreadSync() : FSyncBaseTID(CurrentThreadId()) {
    TSyncManager::Instance().AddThread(this);
}

TThreadSync::~TThreadSync() {
    TSyncManager::Instance().RemoveThread(this);
}

void TThreadSync::Synchronize(std::function<void()> Method) {
    FSyncRaise = nullptr;
    FMethod = std::move(Method);
    TSyncManager::Instance().Synchronize(this);
    FMethod = nullptr;
    if (FSyncRaise) {
        std::exception_ptr raise = std::move(FSyncRaise);
        FSyncRaise = nullptr;
        std::rethrow_exception(raise);
    }
}

TSyncManager &TSyncManager::Instance() {
    // Never destroyed: self-freeing threads may release their link while the process exits.
    static TSyncManager *instance = new TSyncManager;
    return *instance;
}

TSyncInfo *TSyncManager::Find(std::uint32_t BaseTID) {
    for (auto &info : FList)
        if (info->FSyncBaseTID == BaseTID)
            return info.get();
    return nullptr;
}

void TSyncManager::AddThread(TThreadSync *ThreadSync) {
    std::lock_guard lock(FThreadLock);
    TSyncInfo *info = Find(ThreadSync->FSyncBaseTID);
    if (!info) {
        FList.push_back(std::make_unique<TSyncInfo>());
        info = FList.back().get();
        info->FSyncBaseTID = ThreadSync->FSyncBaseTID;
    }
    if (info->FThreadCount == 0)
        info->FThreadWindow = AllocateWindow([this](std::uint32_t Msg, std::uintptr_t, std::intptr_t LParam) {
            return ThreadWndProc(Msg, LParam);
        });
    ++info->FThreadCount;
}

void TSyncManager::RemoveThread(TThreadSync *ThreadSync) {
    std::lock_guard lock(FThreadLock);
    // Posted: a self-freeing thread drops its link on its own thread, and the count is owned by the base.
    if (TSyncInfo *info = Find(ThreadSync->FSyncBaseTID))
        PostMessage(info->FThreadWindow, SYNC_RELEASE, 0, reinterpret_cast<std::intptr_t>(info));
}

void TSyncManager::Synchronize(TThreadSync *ThreadSync) {
    TWindowHandle wnd = 0;
    {
        std::lock_guard lock(FThreadLock);
        if (TSyncInfo *info = Find(ThreadSync->FSyncBaseTID))
            wnd = info->FThreadWindow;
    }
    if (wnd)
        SendMessage(wnd, SYNC_EXECUTE, 0, reinterpret_cast<std::intptr_t>(ThreadSync));
}

TWindowHandle TSyncManager::ThreadWindow(std::uint32_t BaseTID) {
    std::lock_guard lock(FThreadLock);
    TSyncInfo *info = Find(BaseTID);
    return info ? info->FThreadWindow : 0;
}

std::intptr_t TSyncManager::ThreadWndProc(std::uint32_t Msg, std::intptr_t LParam) {
    if (Msg == SYNC_RELEASE) {
        TWindowHandle dead = 0;
        {
            std::lock_guard lock(FThreadLock);
            auto *info = reinterpret_cast<TSyncInfo *>(LParam);
            for (auto it = FList.begin(); it != FList.end(); ++it) {
                if (it->get() != info)
                    continue;
                if (--info->FThreadCount <= 0) {
                    dead = info->FThreadWindow;
                    FList.erase(it);
                }
                break;
            }
        }
        if (dead)
            DeallocateWindow(dead);
    } else if (Msg == SYNC_EXECUTE) {
        auto *sync = reinterpret_cast<TThreadSync *>(LParam);
        sync->FSyncRaise = nullptr;
        try {
            if (sync->FMethod)
                sync->FMethod();
        } catch (...) {
            sync->FSyncRaise = std::current_exception();
        }
    }
    return 0;
}

TThreadEx::TThreadEx(TCreateKey)
    : FSync(std::make_unique<TThreadSync>()), FHandle(std::make_shared<TThreadHandle>()) {
    FHandle->BaseTID = FSync->SyncBaseTID();
}

TThreadEx::~TThreadEx() = default;

void TThreadEx::StopAndJoin() noexcept {
    if (!FStarted || FFreeOnTerminate || Finished())
        return;
    Terminate();
    try {
        Wait();
    } catch (...) {
        LogSwallowed(lcSync(), "joining a thread that is being destroyed");
    }
}

void TThreadEx::Run() {
    if (FStarted)
        return;
    FStarted = true;
    std::thread(&TThreadEx::ThreadProc, this, FHandle).detach();
}

void TThreadEx::DoTerminate() {
    if (OnTerminate)
        FSync->Synchronize([this] { OnTerminate(this); });
}

void TThreadEx::ThreadProc(TThreadEx *Thread, std::shared_ptr<TThreadHandle> Handle) {
    try {
        Thread->Execute();
    } catch (...) {
        // A thread's unhandled error ends only that thread.
        LogSwallowed(lcSync(), "a thread's body");
    }
    try {
        Thread->DoTerminate();
    } catch (...) {
        LogSwallowed(lcSync(), "a thread's termination handler");
    }
    if (Thread->FFreeOnTerminate)
        delete Thread;
    Handle->Finished.Set();
}

void TThreadEx::Wait() {
    std::shared_ptr<TThreadHandle> handle = FHandle; // the thread may free this object meanwhile
    WaitFor(handle);
}

void TThreadEx::WaitFor(const std::shared_ptr<TThreadHandle> &Handle) {
    if (Handle->BaseTID != CurrentThreadId()) {
        Handle->Finished.Wait(-1);
        return;
    }
    std::exception_ptr first;
    auto &queue = TThreadQueue::Current();
    while (!Handle->Finished.IsSet()) {
        try {
            queue.WaitFd(Handle->Finished.Fd(), -1);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void TThreadCounter::Increment() {
    std::lock_guard lock(FLock);
    ++FCount;
    FEmpty.Reset();
}

void TThreadCounter::Decrement() {
    std::lock_guard lock(FLock);
    if (FCount > 0)
        --FCount;
    if (FCount == 0)
        FEmpty.Set();
}

std::int32_t TThreadCounter::Count() const {
    std::lock_guard lock(FLock);
    return FCount;
}

void TThreadCounter::WaitForEmpty() {
    auto &queue = TThreadQueue::Current();
    while (!FEmpty.IsSet())
        queue.WaitFd(FEmpty.Fd(), -1);
}

} // namespace trelvo
