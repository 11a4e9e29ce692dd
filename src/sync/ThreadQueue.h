#pragma once

#include "sync/Event.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// The per-thread run-and-wait queue that carries calls between threads. A thread owns message
// targets ("windows"); any thread may send a message to one (the sender blocks until the owning thread
// has run the target's handler) or post one (queued, the sender goes on). The owning thread runs them
// from its event loop, which watches EventFd(), and from every blocking wait of the pipe transport.
namespace trelvo {

using TWindowHandle = std::uint64_t; // 0: no window
using TWndProc = std::function<std::intptr_t(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam)>;

struct TSendState;

class TThreadQueue {
public:
    // The calling thread's queue, created on first use; it lives until the thread ends.
    static TThreadQueue &Current();
    // True while the calling thread runs the handler of a message another thread sent it.
    static bool InSendMessage();

    TThreadQueue(const TThreadQueue &) = delete;
    TThreadQueue &operator=(const TThreadQueue &) = delete;
    ~TThreadQueue();

    // Readable while messages wait; an event loop watches it and calls ProcessMessages().
    int EventFd() const { return FReady.Fd(); }
    std::uint32_t ThreadId() const { return FThreadId; }
    bool HasMessages() const;

    // Runs every waiting message, in order. An exception from a handler leaves here once its sender
    // (if any) has been released; the messages behind it stay queued. Call it on the owning thread.
    void ProcessMessages();
    // Runs the messages waiting now, in order; the ones queued meanwhile wait for the next call. An event
    // loop calls this, so that a peer that never pauses cannot keep it from its timers and painting.
    void ProcessWaiting();
    // Runs every waiting sent message, then at most one posted message numbered Min..Max.
    // True when something ran.
    bool PeekAndDispatch(std::uint32_t Min, std::uint32_t Max);
    // Waits until Fd is readable or TimeoutMs passes (-1: no limit), running messages meanwhile.
    // True when Fd became readable.
    bool WaitFd(int Fd, int TimeoutMs);
    // Runs messages until Done() holds or TimeoutMs passes (-1: no limit). True when Done() held.
    bool WaitUntil(const std::function<bool()> &Done, int TimeoutMs);

private:
    friend struct TQueueAccess;
    struct TQueued {
        TWindowHandle Wnd;
        std::uint32_t Msg;
        std::uintptr_t WParam;
        std::intptr_t LParam;
        std::shared_ptr<TSendState> Send; // none for a posted message
    };

    explicit TThreadQueue(std::uint32_t ThreadId);
    bool Push(TQueued Message);
    bool Pop(TQueued &Message, bool SentOnly, std::uint32_t Min, std::uint32_t Max);
    void Dispatch(TQueued &Message);
    void Shutdown();

    const std::uint32_t FThreadId;
    TEvent FReady;
    mutable std::mutex FLock;
    std::deque<TQueued> FMessages;
    bool FClosed = false;
};

// Creates a message target owned by the calling thread.
TWindowHandle AllocateWindow(TWndProc Proc);
// Destroys a target; messages still queued for it are dropped (senders get 0).
void DeallocateWindow(TWindowHandle Wnd);
bool IsWindow(TWindowHandle Wnd);
// Runs the target's handler on its thread and returns its result; 0 when the target is gone.
// On the owning thread itself the handler runs directly.
std::intptr_t SendMessage(TWindowHandle Wnd, std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
// Like SendMessage, but the sender is not blocked: Wait is called again and again until the handler has
// returned, and Done is set when it does (also after the send has returned; it is reset before each
// Wait). Wait should sleep on Done->Fd() among the sender's own descriptors, so that the sender can look
// after its other work meanwhile.
std::intptr_t SendMessageWaiting(TWindowHandle Wnd, std::uint32_t Msg, std::uintptr_t WParam,
                                 std::intptr_t LParam, const std::shared_ptr<TEvent> &Done,
                                 const std::function<void()> &Wait);
// Queues a message for the target's thread; false when the target is gone.
bool PostMessage(TWindowHandle Wnd, std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);

// Shorthand for the calling thread's queue: what an event loop calls when EventFd() is readable.
inline void ProcessMessages() {
    TThreadQueue::Current().ProcessMessages();
}

} // namespace trelvo
