#include "sync/ThreadQueue.h"

#include "sync/SysTime.h"
#include "sync/Timing.h"

#include <cerrno>
#include <condition_variable>
#include <exception>
#include <poll.h>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

namespace trelvo {

struct TSendState {
    std::mutex Lock;
    std::condition_variable Done;
    std::atomic<bool> Finished{false};
    std::intptr_t Result = 0;
    // For a sender that waits on descriptors of its own: set when the handler has returned. Shared, so
    // that the handler's thread never sets an event its sender has already let go.
    std::shared_ptr<TEvent> DoneEvent;

    void Finish(std::intptr_t Value) {
        Result = Value;
        if (DoneEvent) {
            // Finished first, so that a sender woken by the event finds it. The sender may see Finished
            // and leave before the event is set: it resets the event before each sleep, so a late set
            // costs it at most one look.
            Finished.store(true, std::memory_order_release);
            DoneEvent->Set();
            return;
        }
        std::lock_guard lock(Lock);
        Finished.store(true, std::memory_order_release);
        Done.notify_all();
    }
    bool IsFinished() const { return Finished.load(std::memory_order_acquire); }
};

namespace {

struct TWindowRec {
    std::shared_ptr<TThreadQueue> Queue;
    std::shared_ptr<TWndProc> Proc;
};

// Process-wide table of targets. Never destroyed: detached worker threads may still post while the
// process exits.
struct TRegistry {
    // Looked up by every thread for every message; changed only when targets come and go.
    std::shared_mutex Lock;
    std::unordered_map<TWindowHandle, TWindowRec> Windows;
    TWindowHandle Next = 1;
};

TRegistry &Registry() {
    static TRegistry *registry = new TRegistry;
    return *registry;
}

thread_local bool tInSend = false;

} // namespace

// Owns the thread's queue; shuts it down when the thread ends.
struct TQueueAccess {
    std::shared_ptr<TThreadQueue> Queue;
    ~TQueueAccess() {
        if (Queue)
            Queue->Shutdown();
    }
    static std::shared_ptr<TThreadQueue> Make() {
        return std::shared_ptr<TThreadQueue>(new TThreadQueue(CurrentThreadId()));
    }
    static bool Push(TThreadQueue &Queue, TThreadQueue::TQueued Message) {
        return Queue.Push(std::move(Message));
    }
};

namespace {
thread_local TQueueAccess tQueue;

std::shared_ptr<TThreadQueue> CurrentShared() {
    if (!tQueue.Queue)
        tQueue.Queue = TQueueAccess::Make();
    return tQueue.Queue;
}

bool Lookup(TWindowHandle Wnd, TWindowRec &Rec) {
    auto &reg = Registry();
    std::shared_lock lock(reg.Lock);
    auto it = reg.Windows.find(Wnd);
    if (it == reg.Windows.end())
        return false;
    Rec = it->second;
    return true;
}

// Runs a handler with the "inside a sent message" flag set as given, restoring it afterwards.
std::intptr_t CallProc(const TWndProc &Proc, bool Sent, std::uint32_t Msg, std::uintptr_t W,
                       std::intptr_t L) {
    const bool saved = tInSend;
    tInSend = Sent;
    TFinally restore([saved] { tInSend = saved; });
    return Proc(Msg, W, L);
}
} // namespace

TThreadQueue &TThreadQueue::Current() {
    return *CurrentShared();
}

bool TThreadQueue::InSendMessage() {
    return tInSend;
}

TThreadQueue::TThreadQueue(std::uint32_t ThreadId) : FThreadId(ThreadId) {}

TThreadQueue::~TThreadQueue() = default;

bool TThreadQueue::HasMessages() const {
    std::lock_guard lock(FLock);
    return !FMessages.empty();
}

bool TThreadQueue::Push(TQueued Message) {
    {
        std::lock_guard lock(FLock);
        if (FClosed)
            return false;
        FMessages.push_back(std::move(Message));
    }
    // Outside the lock, so that the woken owner does not wait for it. A set that comes after the owner
    // has emptied the queue only wakes it once more: Pop clears it.
    FReady.Set();
    return true;
}

bool TThreadQueue::Pop(TQueued &Message, bool SentOnly, std::uint32_t Min, std::uint32_t Max) {
    std::lock_guard lock(FLock);
    if (FMessages.empty())
        FReady.Reset();
    for (auto it = FMessages.begin(); it != FMessages.end(); ++it) {
        if (SentOnly && !it->Send && (it->Msg < Min || it->Msg > Max))
            continue;
        Message = std::move(*it);
        FMessages.erase(it);
        if (FMessages.empty())
            FReady.Reset();
        return true;
    }
    return false;
}

void TThreadQueue::Dispatch(TQueued &Message) {
    TWindowRec rec;
    const bool alive = Lookup(Message.Wnd, rec);
    if (!Message.Send) {
        if (alive)
            CallProc(*rec.Proc, false, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    if (!alive) {
        Message.Send->Finish(0);
        return;
    }
    std::intptr_t result = 0;
    try {
        result = CallProc(*rec.Proc, true, Message.Msg, Message.WParam, Message.LParam);
    } catch (...) {
        // The sender must not stay blocked; the error belongs to this thread's loop.
        Message.Send->Finish(0);
        throw;
    }
    Message.Send->Finish(result);
}

void TThreadQueue::ProcessMessages() {
    TQueued message;
    while (Pop(message, false, 0, 0)) {
        Dispatch(message);
    }
}

void TThreadQueue::ProcessWaiting() {
    std::size_t waiting = 0;
    {
        std::lock_guard lock(FLock);
        waiting = FMessages.size();
    }
    TQueued message;
    for (; waiting > 0 && Pop(message, false, 0, 0); --waiting)
        Dispatch(message);
}

bool TThreadQueue::PeekAndDispatch(std::uint32_t Min, std::uint32_t Max) {
    bool ran = false;
    TQueued message;
    for (;;) {
        {
            std::lock_guard lock(FLock);
            auto it = FMessages.begin();
            while (it != FMessages.end() && !it->Send)
                ++it;
            if (it == FMessages.end())
                break;
            message = std::move(*it);
            FMessages.erase(it);
            if (FMessages.empty())
                FReady.Reset();
        }
        ran = true;
        Dispatch(message);
    }
    if (Pop(message, true, Min, Max)) {
        ran = true;
        Dispatch(message);
    }
    return ran;
}

bool TThreadQueue::WaitFd(int Fd, int TimeoutMs) {
    const std::uint64_t start = TickMs();
    for (;;) {
        int left = -1;
        if (TimeoutMs >= 0) {
            const std::uint64_t spent = TickMs() - start;
            left = spent >= static_cast<std::uint64_t>(TimeoutMs) ? 0 : TimeoutMs - static_cast<int>(spent);
        }
        pollfd p[2] = {{Fd, POLLIN, 0}, {FReady.Fd(), POLLIN, 0}};
        const int n = poll(p, 2, left);
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0 && (p[0].revents & POLLIN))
            return true;
        if (n > 0 && (p[1].revents & POLLIN))
            ProcessMessages();
        else if (n == 0 && left == 0)
            return false;
    }
}

bool TThreadQueue::WaitUntil(const std::function<bool()> &Done, int TimeoutMs) {
    const std::uint64_t start = TickMs();
    for (;;) {
        ProcessMessages();
        if (Done())
            return true;
        int left = -1;
        if (TimeoutMs >= 0) {
            const std::uint64_t spent = TickMs() - start;
            if (spent >= static_cast<std::uint64_t>(TimeoutMs))
                return false;
            left = TimeoutMs - static_cast<int>(spent);
        }
        // Done() may depend on other threads' state without a message: look again now and then.
        pollfd p{FReady.Fd(), POLLIN, 0};
        poll(&p, 1, left < 0 || left > kConditionLookMs ? kConditionLookMs : left);
    }
}

void TThreadQueue::Shutdown() {
    {
        auto &reg = Registry();
        std::lock_guard lock(reg.Lock);
        for (auto it = reg.Windows.begin(); it != reg.Windows.end();)
            it = it->second.Queue.get() == this ? reg.Windows.erase(it) : std::next(it);
    }
    std::deque<TQueued> rest;
    {
        std::lock_guard lock(FLock);
        FClosed = true;
        rest.swap(FMessages);
        FReady.Reset();
    }
    for (auto &m : rest)
        if (m.Send)
            m.Send->Finish(0);
}

TWindowHandle AllocateWindow(TWndProc Proc) {
    auto queue = CurrentShared();
    auto &reg = Registry();
    std::lock_guard lock(reg.Lock);
    const TWindowHandle wnd = reg.Next++;
    reg.Windows.emplace(wnd, TWindowRec{std::move(queue), std::make_shared<TWndProc>(std::move(Proc))});
    return wnd;
}

void DeallocateWindow(TWindowHandle Wnd) {
    std::shared_ptr<TWndProc> proc; // released outside the lock: the handler may own objects
    {
        auto &reg = Registry();
        std::lock_guard lock(reg.Lock);
        auto it = reg.Windows.find(Wnd);
        if (it == reg.Windows.end())
            return;
        proc = std::move(it->second.Proc);
        reg.Windows.erase(it);
    }
}

bool IsWindow(TWindowHandle Wnd) {
    TWindowRec rec;
    return Lookup(Wnd, rec);
}

std::intptr_t SendMessage(TWindowHandle Wnd, std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
    TWindowRec rec;
    if (!Lookup(Wnd, rec))
        return 0;
    if (rec.Queue->ThreadId() == CurrentThreadId())
        return (*rec.Proc)(Msg, WParam, LParam);
    auto state = std::make_shared<TSendState>();
    if (!TQueueAccess::Push(*rec.Queue, {Wnd, Msg, WParam, LParam, state}))
        return 0;
    rec = {};
    std::unique_lock lock(state->Lock);
    state->Done.wait(lock, [&] { return state->IsFinished(); });
    return state->Result;
}

std::intptr_t SendMessageWaiting(TWindowHandle Wnd, std::uint32_t Msg, std::uintptr_t WParam,
                                 std::intptr_t LParam, const std::shared_ptr<TEvent> &Done,
                                 const std::function<void()> &Wait) {
    TWindowRec rec;
    if (!Lookup(Wnd, rec))
        return 0;
    if (rec.Queue->ThreadId() == CurrentThreadId())
        return (*rec.Proc)(Msg, WParam, LParam);
    auto state = std::make_shared<TSendState>();
    state->DoneEvent = Done;
    if (!TQueueAccess::Push(*rec.Queue, {Wnd, Msg, WParam, LParam, state}))
        return 0;
    rec = {};
    // Reset, then look: a set after the reset wakes the wait, one before it was preceded by Finished.
    while (!state->IsFinished()) {
        Done->Reset();
        if (state->IsFinished())
            break;
        Wait();
    }
    return state->Result;
}

bool PostMessage(TWindowHandle Wnd, std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
    TWindowRec rec;
    if (!Lookup(Wnd, rec))
        return false;
    return TQueueAccess::Push(*rec.Queue, {Wnd, Msg, WParam, LParam, nullptr});
}

} // namespace trelvo
