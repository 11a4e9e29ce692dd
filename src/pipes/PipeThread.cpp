#include "pipes/PipeThread.h"

#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo {

namespace {
// How long the worker still lets a pending write or read finish once told to stop.
constexpr int kKillGraceMs = 100;
// Waiting for the peer to read a write has no event: the worker looks again without sleeping for the
// first 50 us (a peer that is reading takes a few microseconds), then sleeps 20 us doubling to 1 ms.
constexpr std::uint64_t kFlushSpinNs = 50'000;
constexpr long kFlushFirstDelayNs = 20'000;
constexpr long kFlushMaxDelayNs = 1'000'000;

std::uint64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(ts.tv_nsec);
}

std::atomic<bool> gFlushAfterWrite{true};

timespec Nanoseconds(long Ns) {
    return timespec{Ns / 1'000'000'000, Ns % 1'000'000'000};
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
      FWriteQueue(std::move(WriteQueue)), FKillEv(std::move(KillEvent)), FReceiver([this](TStream &Message) {
          Notify(PIPE_NOTIFY_MESSAGE, static_cast<std::uintptr_t>(FPipeId),
                 reinterpret_cast<std::intptr_t>(&Message));
      }) {
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

void TPipeThread::Execute() {
    // One step below normal, and a short timer slack so that the flush back-off stays short.
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, CurrentThreadId());
    if (errno == 0)
        setpriority(PRIO_PROCESS, CurrentThreadId(), nice + 1);
    prctl(PR_SET_TIMERSLACK, 1000UL);

    if (Sync().SyncBaseTID() != FNotifyThread) {
        PostMessage(FNotify, PIPE_NOTIFY_WRONG_THREAD, 0, 0);
    } else {
        if (FServer)
            Notify(PIPE_NOTIFY_CONNECT, static_cast<std::uintptr_t>(FPipeId), 0);
        while (!Terminated()) {
            bool ok = StartRead();
            if (ok)
                ok = StartWrite();
            sched_yield();
            if (ok)
                ok = WaitEvents();
            if (!ok) {
                if (!IsBrokenPipe(FErrorCode))
                    Notify(PIPE_NOTIFY_ERROR, static_cast<std::uintptr_t>(FPipeId), FErrorCode);
                Terminate();
            }
        }
    }
    ClosePipe();
}

bool TPipeThread::WaitEvents() {
    pollfd p[3] = {{FKillEv->Fd(), POLLIN, 0}, {FPipe, 0, 0}, {FWriteQueue->DataEvent().Fd(), POLLIN, 0}};
    if (FPendingRead)
        p[1].events |= POLLIN;
    if (FWriteState == TWriteState::Sending)
        p[1].events |= POLLOUT;
    // The data event is watched only while no write is in flight: writes go out one at a time.
    const nfds_t count = FWriteState == TWriteState::Idle ? 3 : 2;
    timespec delay{};
    const bool flushing = FWriteState == TWriteState::Flushing;
    if (flushing)
        delay = Nanoseconds(FlushDelayNs());
    const int n = ppoll(p, count, flushing ? &delay : nullptr, nullptr);
    FSocketEvents = n > 0 ? p[1].revents : 0;
    if (n < 0) {
        if (errno == EINTR)
            return true;
        FErrorCode = errno;
        return false;
    }
    if (p[0].revents & POLLIN) {
        KillGrace();
        Terminate();
        return true;
    }
    bool ok = true;
    // The write side first: a peer that hung up still completes the write it had read.
    if (FWriteState == TWriteState::Flushing || (p[1].revents & (POLLOUT | POLLHUP | POLLERR)))
        ok = FinishWrite();
    if (ok && FPendingRead && (p[1].revents & (POLLIN | POLLHUP | POLLERR)))
        ok = FinishRead();
    return ok;
}

bool TPipeThread::StartRead() {
    if (FPendingRead)
        return true;
    switch (FReceiver.ReadAvailable(FPipe, FErrorCode)) {
    case TPipeReceiver::TReadResult::Pending:
        FPendingRead = true;
        return true;
    case TPipeReceiver::TReadResult::Closed:
        FErrorCode = EPIPE;
        return false;
    case TPipeReceiver::TReadResult::Failed:
        return false;
    }
    return false;
}

bool TPipeThread::FinishRead() {
    FPendingRead = false;
    return StartRead();
}

bool TPipeThread::StartWrite() {
    if (FWriteState != TWriteState::Idle || !FWriteQueue->DataEvent().IsSet())
        return true;
    FPipeWrite = FWriteQueue->Dequeue();
    if (!FPipeWrite)
        return true;
    return TrySend();
}

bool TPipeThread::TrySend() {
    const ssize_t n = send(FPipe, FPipeWrite->Buffer.get(), static_cast<std::size_t>(FPipeWrite->Count),
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
    // The peer cannot have read it yet: the next round's wait looks.
    FWriteState = TWriteState::Flushing;
    FFlushRound = 0;
    FFlushStart = NowNs();
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
    if (!FSentWanted || FSentWanted->load())
        Notify(PIPE_NOTIFY_SENT, static_cast<std::uintptr_t>(FPipeId), FWrite);
    FPipeWrite.reset();
}

// The peer has read everything written, or it has gone (as the last wait on the socket saw).
bool TPipeThread::Flushed() {
    return UnreadOutput(FPipe) == 0 || (FSocketEvents & (POLLHUP | POLLERR));
}

// The worker was told to stop long enough ago: a peer that never reads must not hold it for ever.
bool TPipeThread::KillExpired() {
    if (FKillTime == 0 && FKillEv->IsSet())
        FKillTime = TickMs();
    return FKillTime != 0 && TickMs() - FKillTime >= static_cast<std::uint64_t>(kKillGraceMs);
}

long TPipeThread::FlushDelayNs() {
    if (NowNs() - FFlushStart < kFlushSpinNs)
        return 0;
    const int shift = FFlushRound++;
    return shift >= 6 ? kFlushMaxDelayNs : std::min(kFlushFirstDelayNs << shift, kFlushMaxDelayNs);
}

void TPipeThread::KillGrace() {
    FKillTime = TickMs();
    const std::uint64_t deadline = FKillTime + kKillGraceMs;
    while (FWriteState != TWriteState::Idle) {
        const std::uint64_t now = TickMs();
        if (now >= deadline)
            break;
        pollfd p{FPipe, static_cast<short>(FWriteState == TWriteState::Sending ? POLLOUT : 0), 0};
        const long left = static_cast<long>(deadline - now) * 1'000'000;
        const timespec wait =
            Nanoseconds(FWriteState == TWriteState::Flushing ? std::min(FlushDelayNs(), left) : left);
        FSocketEvents = ppoll(&p, 1, &wait, nullptr) > 0 ? p.revents : 0;
        if (!FinishWrite())
            break;
    }
    if (FPendingRead) {
        pollfd p{FPipe, POLLIN, 0};
        if (poll(&p, 1, kKillGraceMs) > 0)
            FinishRead();
    }
}

void TPipeThread::ClosePipe() {
    if (!IsValidHandle(FPipe))
        return;
    FFlushRound = 0;
    FFlushStart = NowNs();
    while (UnreadOutput(FPipe) != 0 && !PeerGone(FPipe) && !KillExpired()) {
        pollfd p{FKillEv->Fd(), POLLIN, 0};
        const timespec wait = Nanoseconds(std::max(FlushDelayNs(), kFlushFirstDelayNs));
        ppoll(&p, 1, &wait, nullptr);
    }
    if (FServer)
        shutdown(FPipe, SHUT_RDWR);
    close(FPipe);
}

} // namespace trelvo
