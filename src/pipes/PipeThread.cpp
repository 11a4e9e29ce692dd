#include "pipes/PipeThread.h"

#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"
#include "sync/Timing.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo {

namespace {
// Packets read in one go at most before the worker looks at the rest of its work.
constexpr int kReadBatch = 16;

enum TWaitTag : std::uint32_t { tagKill, tagData, tagInput, tagOutput, tagHandedOff, tagHangup };

std::atomic<bool> gFlushAfterWrite{true};

bool Watch(int Set, int Fd, std::uint32_t Events, TWaitTag Tag) {
    epoll_event ev{};
    ev.events = Events;
    ev.data.u32 = Tag;
    return epoll_ctl(Set, EPOLL_CTL_ADD, Fd, &ev) == 0;
}
} // namespace

void TPipeThread::SetFlushAfterWrite(bool Value) {
    gFlushAfterWrite.store(Value);
}

TPipeThread::TPipeThread(TCreateKey Key, bool Server, TWindowHandle NotifyWindow, std::uint32_t NotifyThread,
                         std::shared_ptr<TWriteQueue> WriteQueue, std::shared_ptr<TThreadCounter> Counter,
                         TPipeHandle Pipe, std::shared_ptr<TEvent> KillEvent, std::intptr_t PipeId)
    : TThreadEx(Key), FServer(Server), FNotify(NotifyWindow), FNotifyThread(NotifyThread), FPipe(Pipe),
      FPipeId(PipeId == kInvalidPipe ? Pipe : PipeId), FCounter(std::move(Counter)),
      FWriteQueue(std::move(WriteQueue)), FKillEv(std::move(KillEvent)),
      FReceiver([this](TStream &Message) { NotifyMessage(Message); }) {
    if (FCounter)
        FCounter->Increment();
    FKillEv->Reset();
    SetFreeOnTerminate(true);
}

TPipeThread::~TPipeThread() {
    FPipeWrite.reset();
    if (FCounter)
        FCounter->Decrement();
}

std::intptr_t TPipeThread::Notify(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
    if (!IsWindow(FNotify))
        return 0;
    return SendMessage(FNotify, Msg, WParam, LParam);
}

// A message is handed over without blocking the worker: while the owner's handler runs (it may sit in
// a modal loop for minutes) the worker keeps writing what the handler queues and watches for the peer
// hanging up.
std::intptr_t TPipeThread::NotifyMessage(TStream &Message) {
    if (!IsWindow(FNotify))
        return 0;
    return SendMessageWaiting(FNotify, PIPE_NOTIFY_MESSAGE, static_cast<std::uintptr_t>(FPipeId),
                              reinterpret_cast<std::intptr_t>(&Message), FHandedOff,
                              [this] { HandlerWait(); });
}

void TPipeThread::Execute() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, CurrentThreadId());
    if (errno == 0)
        setpriority(PRIO_PROCESS, CurrentThreadId(), nice + 1);

    if (Sync().SyncBaseTID() != FNotifyThread) {
        PostMessage(FNotify, PIPE_NOTIFY_WRONG_THREAD, 0, 0);
    } else if (!SetUpWaits()) {
        FErrorCode = errno;
        Notify(PIPE_NOTIFY_ERROR, static_cast<std::uintptr_t>(FPipeId), FErrorCode);
    } else {
        if (FServer)
            Notify(PIPE_NOTIFY_CONNECT, static_cast<std::uintptr_t>(FPipeId), 0);
        while (!Terminated()) {
            if (!Round()) {
                if (!IsBrokenPipe(FErrorCode))
                    Notify(PIPE_NOTIFY_ERROR, static_cast<std::uintptr_t>(FPipeId), FErrorCode);
                Terminate();
            }
        }
    }
    ClosePipe();
    CloseWaits();
}

bool TPipeThread::SetUpWaits() {
    FOutFd = fcntl(FPipe, F_DUPFD_CLOEXEC, 0);
    FWaitAll = epoll_create1(EPOLL_CLOEXEC);
    FWaitAside = epoll_create1(EPOLL_CLOEXEC);
    const int data = FWriteQueue->DataEvent().Fd();
    // The data event is edge-triggered: the worker looks at the queue itself whenever it could write,
    // and must not be woken again and again by a queue it cannot serve yet.
    return FOutFd >= 0 && FWaitAll >= 0 && FWaitAside >= 0 &&
           Watch(FWaitAll, FKillEv->Fd(), EPOLLIN, tagKill) &&
           Watch(FWaitAll, data, EPOLLIN | EPOLLET, tagData) && Watch(FWaitAll, FPipe, EPOLLIN, tagInput) &&
           Watch(FWaitAll, FOutFd, EPOLLOUT | EPOLLET, tagOutput) &&
           Watch(FWaitAside, FHandedOff->Fd(), EPOLLIN | EPOLLET, tagHandedOff) &&
           (!FRoomWanted || Watch(FWaitAside, FRoomWanted->Fd(), EPOLLIN | EPOLLET, tagData)) &&
           Watch(FWaitAside, FOutFd, EPOLLOUT | EPOLLET, tagOutput) &&
           Watch(FWaitAside, FPipe, EPOLLRDHUP, tagHangup);
}

void TPipeThread::CloseWaits() {
    for (int *fd : {&FWaitAll, &FWaitAside, &FOutFd}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

// One round: write what can be written, wait for something to happen, then take one packet of input,
// so that answers keep going out while input never pauses.
bool TPipeThread::Round() {
    if (FAsideError) {
        FErrorCode = FAsideError;
        return false;
    }
    if (!PumpWrite())
        return false;
    WatchInput(!FOwesWrite);
    int timeout = -1;
    if (FWriteState != TWriteState::Idle)
        timeout = kWriteCheckMs;
    else if (FReceiver.HoldsSparePages())
        timeout = kIdlePagesMs;
    epoll_event ev[4];
    const int n = epoll_wait(FWaitAll, ev, 4, timeout);
    if (n < 0) {
        if (errno == EINTR)
            return true;
        FErrorCode = errno;
        return false;
    }
    if (n == 0 && FWriteState == TWriteState::Idle) {
        FReceiver.ReturnPages();
        return true;
    }
    bool input = false;
    bool output = n == 0;
    for (int i = 0; i < n; ++i) {
        switch (ev[i].data.u32) {
        case tagKill:
            KillGrace();
            Terminate();
            return true;
        case tagInput:
            input = true;
            if (ev[i].events & (EPOLLHUP | EPOLLERR))
                FPeerGone = true;
            break;
        case tagOutput:
            output = true;
            if (ev[i].events & (EPOLLHUP | EPOLLERR))
                FPeerGone = true;
            break;
        default:
            break;
        }
    }
    // The write side first: a peer that hung up still completes the write it had read.
    if ((output || FPeerGone) && !FinishWrite())
        return false;
    return input ? ReadSome() : true;
}

// Reads packets while there are any, but stops as soon as something waits to be written; a client
// then reads no more until a write has gone out.
bool TPipeThread::ReadSome() {
    if (FOwesWrite)
        return true;
    for (int i = 0; i < kReadBatch; ++i) {
        switch (FReceiver.ReadPacket(FPipe, FErrorCode)) {
        case TPipeReceiver::TReadResult::Read:
            if (!FServer && Writing()) {
                FOwesWrite = true;
                return true;
            }
            if (FWriteState == TWriteState::Idle && FWriteQueue->HasData())
                return true;
            continue;
        case TPipeReceiver::TReadResult::Pending:
            return true;
        case TPipeReceiver::TReadResult::Closed:
            FErrorCode = EPIPE;
            return false;
        case TPipeReceiver::TReadResult::Failed:
            return false;
        }
    }
    return true;
}

// Starts writes while none is in flight and the queue holds data.
bool TPipeThread::PumpWrite() {
    while (FWriteState == TWriteState::Idle) {
        if (!FWriteQueue->HasData())
            return true;
        FPipeWrite = FWriteQueue->Dequeue();
        if (!FPipeWrite)
            return true;
        if (!TrySend())
            return false;
    }
    return true;
}

bool TPipeThread::TrySend() {
    const ssize_t n = send(FPipe, FPipeWrite->Data(), static_cast<std::size_t>(FPipeWrite->Count),
                           MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            FWriteState = TWriteState::Sending;
            return true;
        }
        FErrorCode = errno;
        FWriteState = TWriteState::Idle;
        return false;
    }
    FWrite = static_cast<std::uint32_t>(n);
    if (!gFlushAfterWrite.load()) {
        CompleteWrite();
        return true;
    }
    FWriteState = TWriteState::Flushing;
    // A peer that has already taken the packet saves a wait; otherwise its reading wakes the wait.
    if (UnreadOutput(FPipe) == 0)
        CompleteWrite();
    return true;
}

bool TPipeThread::FinishWrite() {
    if (FWriteState == TWriteState::Sending)
        return TrySend();
    if (FWriteState == TWriteState::Flushing && Flushed())
        CompleteWrite();
    return true;
}

void TPipeThread::CompleteWrite() {
    FWriteState = TWriteState::Idle;
    FOwesWrite = false;
    if (SentWanted())
        Notify(PIPE_NOTIFY_SENT, static_cast<std::uintptr_t>(FPipeId), FWrite);
    FPipeWrite.reset();
}

void TPipeThread::WatchInput(bool Value) {
    if (Value == FInputWatched)
        return;
    // Hang-up and errors are reported also without interest, so a peer that goes is still seen.
    epoll_event ev{};
    ev.events = Value ? std::uint32_t{EPOLLIN} : 0u;
    ev.data.u32 = tagInput;
    if (epoll_ctl(FWaitAll, EPOLL_CTL_MOD, FPipe, &ev) == 0)
        FInputWatched = Value;
}

// The peer has read everything written, or it has gone.
bool TPipeThread::Flushed() {
    return FPeerGone || UnreadOutput(FPipe) == 0;
}

// The worker was told to stop long enough ago: a peer that never reads must not hold it for ever.
bool TPipeThread::KillExpired() {
    if (FKillTime == 0 && FKillEv->IsSet())
        FKillTime = TickMs();
    return FKillTime != 0 && TickMs() - FKillTime >= static_cast<std::uint64_t>(kKillGraceMs);
}

bool TPipeThread::WaitAside(int TimeoutMs) {
    epoll_event ev[4];
    const int n = epoll_wait(FWaitAside, ev, 4, TimeoutMs);
    bool output = n == 0;
    for (int i = 0; i < n; ++i) {
        if (ev[i].data.u32 == tagOutput)
            output = true;
        if (ev[i].data.u32 == tagHangup || (ev[i].events & (EPOLLHUP | EPOLLERR)))
            PeerHungUp();
    }
    return output;
}

void TPipeThread::PeerHungUp() {
    if (FHangupSeen)
        return;
    FHangupSeen = true;
    // Level-triggered: watched once, or it would wake every wait from now on.
    epoll_ctl(FWaitAside, EPOLL_CTL_DEL, FPipe, nullptr);
    pollfd p{FPipe, POLLRDHUP, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)))
        FPeerGone = true;
    if (FLinkDown && FPeerGone)
        FLinkDown->Set();
}

// Runs while the owner's handler has a message. The worker writes what the handler queues (unless
// sent events are wanted: those would need the owner while it is busy) and tells the owner at once
// when the peer hangs up, since a handler held in a modal loop would otherwise keep a dead client up.
void TPipeThread::HandlerWait() {
    // What the handler queues goes out after it, in one batch, unless the owner waits for room.
    const bool write = FRoomWanted && FRoomWanted->IsSet() && !SentWanted() && FAsideError == 0;
    if (write && !PumpWrite())
        FAsideError = FErrorCode ? FErrorCode : EIO;
    const bool hungUp = FHangupSeen;
    const bool output = WaitAside(write && FWriteState != TWriteState::Idle ? kWriteCheckMs : -1);
    if (write && FAsideError == 0 && (output || FPeerGone) && !FinishWrite())
        FAsideError = FErrorCode ? FErrorCode : EIO;
    if (FAsideError && FLinkDown)
        FLinkDown->Set();
    if (!hungUp && FHangupSeen && FPeerGone)
        PostMessage(FNotify, PIPE_NOTIFY_HANGUP, static_cast<std::uintptr_t>(FPipeId), 0);
}

void TPipeThread::KillGrace() {
    FKillTime = TickMs();
    const std::uint64_t deadline = FKillTime + kKillGraceMs;
    while (FWriteState != TWriteState::Idle) {
        const std::uint64_t now = TickMs();
        if (now >= deadline)
            break;
        WaitAside(static_cast<int>(std::min<std::uint64_t>(deadline - now, kWriteCheckMs)));
        if (!FinishWrite())
            break;
    }
    pollfd p{FPipe, POLLIN, 0};
    if (poll(&p, 1, kKillGraceMs) > 0) {
        int error = 0;
        while (FReceiver.ReadPacket(FPipe, error) == TPipeReceiver::TReadResult::Read) {
        }
    }
}

void TPipeThread::ClosePipe() {
    if (!IsValidHandle(FPipe))
        return;
    if (FWaitAside >= 0) {
        while (UnreadOutput(FPipe) != 0 && !PeerGone(FPipe) && !KillExpired())
            WaitAside(kWriteCheckMs);
    }
    if (FServer)
        shutdown(FPipe, SHUT_RDWR);
    close(FPipe);
}

} // namespace trelvo
