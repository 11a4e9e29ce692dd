#include "pipes/PipeClient.h"

#include "common/Exceptions.h"
#include "common/Log.h"
#include "pipes/PipeLog.h"
#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"
#include "pipes/PipeThread.h"
#include "sync/ThreadSync.h"

#include <poll.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace trelvo {

namespace {
constexpr std::size_t kMaxPipeNameChars = 256;
const char *const kConnectedError = "Cannot change property when client is connected!";
const char *const kNameError = "Invalid pipe name specified!";
const char *const kThreadError =
    "The notify window and the component window do not exist in the same thread!";

std::size_t Utf8Length(const std::string &Text) {
    std::size_t n = 0;
    for (unsigned char c : Text)
        n += (c & 0xC0) != 0x80;
    return n;
}
} // namespace

void CheckPipeName(const std::string &Name) {
    if (Name.empty() || Name.find('\\') != std::string::npos || Utf8Length(Name) > kMaxPipeNameChars)
        throw EPipeException(kNameError);
}

TPipeClient::TPipeClient()
    : FBaseThread(CurrentThreadId()), FWriteQueue(std::make_shared<TWriteQueue>()),
      FKillEv(std::make_shared<TEvent>(false)), FSentWanted(std::make_shared<std::atomic<bool>>(false)),
      FLinkDown(std::make_shared<TEvent>(false)), FRoomWanted(std::make_shared<TEvent>(false)),
      FAlive(std::make_shared<bool>(true)) {
    FPipeName = "PipeServer";
    FServerName.clear();
    FHwnd = AllocateWindow([this](std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
        return HandleNotification(Msg, WParam, LParam);
    });
}

TPipeClient::~TPipeClient() {
    FDestroying = true;
    try {
        Disconnect();
    } catch (...) {
        // A handler's error raised during the wait has no one left to reach.
        LogSwallowed(lcPipes(), "disconnecting a pipe client that is being destroyed");
    }
    // Inside one of our own events the worker could not be waited for: let it end on its own; it holds
    // its share of the queue and the kill event, and our window and termination handler are gone.
    *FAlive = false;
    if (Connected())
        FKillEv->Set();
    DeallocateWindow(FHwnd);
}

bool TPipeClient::Connected() const {
    return FWorker != nullptr && FWorkerHandle && !FWorkerHandle->Finished.IsSet();
}

void TPipeClient::SetPipeName(const std::string &Value) {
    if (Connected() || IsValidHandle(FPipe))
        throw EPipeException(kConnectedError);
    CheckPipeName(Value);
    FPipeName = Value;
}

void TPipeClient::SetServerName(const std::string &Value) {
    if (Connected() || IsValidHandle(FPipe))
        throw EPipeException(kConnectedError);
    FServerName = Value;
}

bool TPipeClient::Connect(std::uint32_t WaitTime, bool Start) {
    if (Connected())
        return true;
    try {
        // Only a pipe this client holds itself: inside OnPipeDisconnect FPipe still names the socket
        // the ended worker has closed.
        if (FPipeOwned && IsValidHandle(FPipe)) {
            if (Start)
                StartWorker();
        } else {
            FPipe = ConnectPipe(PipePath(FServerName, FPipeName), WaitTime);
            FPipeOwned = IsValidHandle(FPipe);
            if (FPipeOwned && Start)
                StartWorker();
        }
    } catch (...) {
        // Errors end the attempt; the result below says what is left.
        LogSwallowed(lcPipes(), "connecting to the pipe");
    }
    return Connected() || IsValidHandle(FPipe);
}

void TPipeClient::StartWorker() {
    TPipeThread *worker = nullptr;
    try {
        worker =
            TThreadEx::Create<TPipeThread>(false, FHwnd, FBaseThread, FWriteQueue, nullptr, FPipe, FKillEv)
                .release();
        worker->SetSentWanted(FSentWanted);
        FLinkDown->Reset();
        worker->SetLinkDown(FLinkDown);
        worker->SetRoomWanted(FRoomWanted);
        FDisconnectRaised = false;
        FWorker = worker;
        FWorkerHandle = worker->Handle();
        std::weak_ptr<bool> alive = FAlive;
        worker->OnTerminate = [this, alive](TThreadEx *) {
            if (auto a = alive.lock(); a && *a)
                WorkerFinished();
        };
        worker->Run();
        FPipeOwned = false;
    } catch (...) {
        delete worker;
        FWorker = nullptr;
        FWorkerHandle.reset();
        close(FPipe);
        FPipe = kInvalidPipe;
        FPipeOwned = false;
        throw;
    }
}

void TPipeClient::Disconnect() {
    if (Connected() && !FDisconnecting) {
        // The worker is blocked in the very send being handled: waiting for it here would deadlock.
        if (TThreadQueue::InSendMessage()) {
            PostMessage(FHwnd, PIPE_NOTIFY_DISCONNECT, 0, 0);
            return;
        }
        FDisconnecting = true;
        TFinally done([this] {
            FPipe = kInvalidPipe;
            FDisconnecting = false;
        });
        if (FWorker) {
            std::shared_ptr<TThreadHandle> handle = FWorkerHandle;
            FKillEv->Set();
            TThreadEx::WaitFor(handle);
        }
    } else if (FPipeOwned && IsValidHandle(FPipe)) {
        // Only a pipe opened without a worker is ours to close: a worker's socket is closed by the
        // worker, and its number may already belong to something else.
        close(FPipe);
        FPipe = kInvalidPipe;
        FPipeOwned = false;
    }
}

void TPipeClient::WorkerFinished() {
    FWorker = nullptr;
    // Unsent data is dropped before the handler runs, so that none of it leaks into a connection the
    // handler may open, and so that it goes even when the handler raises.
    FWriteQueue->Clear();
    TFinally done([this] {
        if (!FWorker) // unless the handler connected again
            FPipe = kInvalidPipe;
    });
    const bool raised = std::exchange(FDisconnectRaised, false);
    if (!FDestroying && !raised && OnPipeDisconnect) {
        auto handler = OnPipeDisconnect;
        handler(this, FPipe);
    }
}

// The peer hung up while one of our handlers runs (say in a modal loop), so the worker cannot end
// yet: the owner hears of the end now, once, instead of when the handler returns.
void TPipeClient::PeerHungUp() {
    if (!Connected() || FDisconnecting || FDestroying || FDisconnectRaised)
        return;
    FDisconnectRaised = true;
    if (auto handler = OnPipeDisconnect)
        handler(this, FPipe);
}

bool TPipeClient::Write(const void *Buffer, std::uint32_t Count) {
    if (Count > static_cast<std::uint32_t>(INT32_MAX))
        return false;
    return QueueWrite(NewPipeWrite(Buffer, Count));
}

bool TPipeClient::QueueWrite(std::unique_ptr<TPipeWrite> PipeWrite) {
    std::vector<std::unique_ptr<TPipeWrite>> batch;
    batch.push_back(std::move(PipeWrite));
    return QueueWrites(batch);
}

bool TPipeClient::QueueWrites(std::vector<std::unique_ptr<TPipeWrite>> &Batch) {
    if (FThrottle != 0 && FWriteQueue->DataSize() > FThrottle && Connected())
        WaitForRoom();
    // A link the worker found down drops what is written, as an ended connection does.
    if (!Connected() || FLinkDown->IsSet())
        return false;
    FSentWanted->store(static_cast<bool>(OnPipeSent));
    FWriteQueue->EnqueueAll(Batch);
    return true;
}

bool TPipeClient::SendStream(TStream *Stream) {
    if (!Stream || !Connected())
        return false;
    bool result = true;
    FSentWanted->store(static_cast<bool>(OnPipeSent));
    // Outside a sent message this waits for the queue to empty, so the blocks may point into the stream.
    const bool borrow = !TThreadQueue::InSendMessage();
    try {
        result = QueueFramedStream(
            *Stream, *FWriteQueue, [this](auto &Batch) { return QueueWrites(Batch); }, borrow);
    } catch (...) {
        // The message is closed and flushed also when reading it or a handler run meanwhile failed;
        // the first error is the one that leaves.
        try {
            FlushSent(borrow);
        } catch (...) {
            LogSwallowed(lcPipes(), "flushing after a failed send");
        }
        throw;
    }
    FlushSent(borrow);
    return result;
}

void TPipeClient::FlushSent(bool Borrowed) {
    FlushUntilSent([this] { FlushPipeBuffers(); }, Borrowed);
}

void TPipeClient::FlushPipeBuffers() {
    WaitUntilDrained([this] { return Connected() ? FWriteQueue : nullptr; });
}

// The memory throttle's wait. Inside one of our own message handlers the worker is not blocked: it
// writes what the handler queues while it waits for it, so the wait holds there too (a hostile message
// that makes a handler write millions of answers must not queue them all). Only when sent events are
// wanted does the worker leave the writing until the handler returns, and the wait is skipped.
void TPipeClient::WaitForRoom() {
    if (!TThreadQueue::InSendMessage()) {
        FlushPipeBuffers();
        return;
    }
    if (OnPipeSent)
        return;
    auto &queue = TThreadQueue::Current();
    FRoomWanted->Set();
    TFinally done([this] { FRoomWanted->Reset(); });
    const TEvent &empty = FWriteQueue->EmptyEvent();
    while (Connected() && !FLinkDown->IsSet() && !empty.IsSet()) {
        pollfd p[3] = {{empty.Fd(), POLLIN, 0}, {FLinkDown->Fd(), POLLIN, 0}, {queue.EventFd(), POLLIN, 0}};
        if (poll(p, 3, -1) > 0 && (p[2].revents & POLLIN))
            queue.ProcessMessages();
    }
}

bool TPipeClient::WaitForReply(std::uint32_t TimeOut) {
    FReply = false;
    if (TThreadQueue::InSendMessage())
        return FReply;
    auto &queue = TThreadQueue::Current();
    const std::uint64_t start = TickMs();
    while (!FReply && Connected()) {
        const std::uint64_t spent = TickMs() - start;
        if (TimeOut != kInfinite && spent >= TimeOut)
            break;
        if (queue.PeekAndDispatch(PIPE_NOTIFY_FIRST, PIPE_NOTIFY_LAST))
            continue;
        // Nothing to run: sleep on the queue instead of spinning; the worker's sends wake it.
        const int left =
            TimeOut == kInfinite ? 10 : static_cast<int>(std::min<std::uint64_t>(TimeOut - spent, 10));
        pollfd p{queue.EventFd(), POLLIN, 0};
        poll(&p, 1, left);
    }
    return FReply;
}

std::intptr_t TPipeClient::HandleNotification(std::uint32_t Msg, std::uintptr_t WParam,
                                              std::intptr_t LParam) {
    const auto pipe = static_cast<TPipeHandle>(WParam);
    if (Msg == PIPE_NOTIFY_MESSAGE)
        FReply = true;
    if (RaiseWorkerEvent(this, Msg, pipe, LParam))
        return 0;
    switch (Msg) {
    case PIPE_NOTIFY_WRONG_THREAD:
        throw EPipeException(kThreadError);
    case PIPE_NOTIFY_DISCONNECT:
        Disconnect();
        return 0;
    case PIPE_NOTIFY_HANGUP:
        PeerHungUp();
        return 0;
    default:
        return 0;
    }
}

} // namespace trelvo
