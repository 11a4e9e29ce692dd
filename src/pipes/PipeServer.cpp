#include "pipes/PipeServer.h"

#include "common/Exceptions.h"
#include "common/Log.h"
#include "pipes/PipeClient.h"
#include "pipes/PipeLog.h"
#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"
#include "pipes/PipeThread.h"
#include "sync/ThreadSync.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trelvo {

namespace {
// Waits for clients and hands each accepted socket to the server's thread.
class TPipeListener : public TThreadEx {
public:
    TPipeListener(TCreateKey Key, TPipeHandle Listen, std::shared_ptr<TEvent> Kill,
                  std::function<void(TPipeHandle)> OnAccept, std::function<void(int)> OnError)
        : TThreadEx(Key), FListen(Listen), FKill(std::move(Kill)), FOnAccept(std::move(OnAccept)),
          FOnError(std::move(OnError)) {
        SetFreeOnTerminate(true);
    }
    ~TPipeListener() override { close(FListen); }

protected:
    void Execute() override {
        while (!Terminated()) {
            pollfd p[2] = {{FKill->Fd(), POLLIN, 0}, {FListen, POLLIN, 0}};
            if (poll(p, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                Report(errno);
                return;
            }
            if (p[0].revents & POLLIN)
                return;
            const TPipeHandle socket = accept4(FListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (socket < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED)
                    continue;
                Report(errno);
                return;
            }
            bool taken = false;
            Sync().Synchronize([&] {
                FOnAccept(socket);
                taken = true;
            });
            if (!taken)
                close(socket);
        }
    }

private:
    void Report(int ErrorCode) {
        Sync().Synchronize([&] { FOnError(ErrorCode); });
    }

    TPipeHandle FListen;
    std::shared_ptr<TEvent> FKill;
    std::function<void(TPipeHandle)> FOnAccept;
    std::function<void(int)> FOnError;
};
} // namespace

TPipeServer::TPipeServer()
    : FBaseThread(CurrentThreadId()), FCounter(std::make_shared<TThreadCounter>()),
      FSentWanted(std::make_shared<std::atomic<bool>>(false)), FAlive(std::make_shared<bool>(true)) {
    FHwnd = AllocateWindow([this](std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
        return HandleNotification(Msg, WParam, LParam);
    });
}

TPipeServer::~TPipeServer() {
    FDestroying = true;
    try {
        Close();
    } catch (...) {
        LogSwallowed(lcPipes(), "closing a pipe server that is being destroyed");
    }
    *FAlive = false;
    DeallocateWindow(FHwnd);
}

void TPipeServer::SetPipeName(const std::string &Value) {
    if (Active())
        throw EPipeException("Cannot change property when server is active!");
    CheckPipeName(Value);
    FPipeName = Value;
}

bool TPipeServer::Open() {
    if (Active())
        return true;
    const TPipeHandle listen = ListenPipe(PipePath("", FPipeName));
    if (!IsValidHandle(listen))
        return false;
    FListenerKill = std::make_shared<TEvent>(false);
    std::weak_ptr<bool> alive = FAlive;
    auto *listener = TThreadEx::Create<TPipeListener>(
                         listen, FListenerKill,
                         [this, alive](TPipeHandle Socket) {
                             if (auto a = alive.lock(); a && *a)
                                 AddConnection(Socket);
                             else
                                 close(Socket);
                         },
                         [this, alive](int ErrorCode) {
                             if (auto a = alive.lock(); a && *a)
                                 ListenerError(ErrorCode);
                         })
                         .release();
    FListenerHandle = listener->Handle();
    listener->Run();
    return true;
}

void TPipeServer::Close() {
    if (FListenerHandle) {
        std::shared_ptr<TThreadHandle> listener = std::move(FListenerHandle);
        FListenerKill->Set();
        // Inside a sent message the sender may be the listener itself: let it end on its own.
        if (!TThreadQueue::InSendMessage())
            TThreadEx::WaitFor(listener);
    }
    for (auto &[pipe, connection] : FConnections)
        connection.Kill->Set();
    if (!TThreadQueue::InSendMessage())
        FCounter->WaitForEmpty();
}

void TPipeServer::AddConnection(TPipeHandle Socket) {
    if (!Active()) {
        close(Socket);
        return;
    }
    const TPipeHandle pipe = FNextId++;
    TConnection connection{std::make_shared<TWriteQueue>(), std::make_shared<TEvent>(false), nullptr};
    auto *worker = TThreadEx::Create<TPipeThread>(true, FHwnd, FBaseThread, connection.Queue, FCounter,
                                                  Socket, connection.Kill, pipe)
                       .release();
    connection.Worker = worker->Handle();
    worker->SetSentWanted(FSentWanted);
    std::weak_ptr<bool> alive = FAlive;
    worker->OnTerminate = [this, alive, pipe](TThreadEx *) {
        if (auto a = alive.lock(); a && *a)
            WorkerFinished(pipe);
    };
    FConnections.emplace(pipe, std::move(connection));
    worker->Run();
}

void TPipeServer::WorkerFinished(TPipeHandle Pipe) {
    auto it = FConnections.find(Pipe);
    if (it == FConnections.end())
        return;
    it->second.Queue->Clear();
    FConnections.erase(it);
    if (!FDestroying && OnPipeDisconnect) {
        auto handler = OnPipeDisconnect;
        handler(this, Pipe);
    }
}

void TPipeServer::ListenerError(int ErrorCode) {
    if (OnPipeError) {
        auto handler = OnPipeError;
        handler(this, kInvalidPipe, pcListener, ErrorCode);
    }
}

TPipeServer::TConnection *TPipeServer::Find(TPipeHandle Pipe) {
    auto it = FConnections.find(Pipe);
    return it == FConnections.end() ? nullptr : &it->second;
}

bool TPipeServer::Connected(TPipeHandle Pipe) const {
    auto it = FConnections.find(Pipe);
    return it != FConnections.end() && !it->second.Dropped && !it->second.Worker->Finished.IsSet();
}

std::uint32_t TPipeServer::QueuedBytes(TPipeHandle Pipe) const {
    auto it = FConnections.find(Pipe);
    return it == FConnections.end() ? 0 : it->second.Queue->DataSize();
}

std::vector<TPipeHandle> TPipeServer::Clients() const {
    std::vector<TPipeHandle> out;
    for (const auto &entry : FConnections)
        out.push_back(entry.first);
    return out;
}

bool TPipeServer::Admit(TPipeHandle Pipe) {
    TConnection *connection = Find(Pipe);
    if (!connection || !Connected(Pipe))
        return false;
    // Inside a handler nothing waits for the peer, so this is what bounds a peer that reads nothing. It
    // is looked at before each message, so that one message larger than the limit still goes whole.
    if (FQueueLimit != 0 && connection->Queue->DataSize() > FQueueLimit) {
        DropLaggard(Pipe, QStringLiteral("its peer is %1 bytes behind").arg(connection->Queue->DataSize()));
        return false;
    }
    return true;
}

bool TPipeServer::Write(TPipeHandle Pipe, const void *Buffer, std::uint32_t Count) {
    if (Count > static_cast<std::uint32_t>(INT32_MAX) || !Admit(Pipe))
        return false;
    return QueueWrite(Pipe, NewPipeWrite(Buffer, Count));
}

bool TPipeServer::QueueWrite(TPipeHandle Pipe, std::unique_ptr<TPipeWrite> PipeWrite) {
    std::vector<std::unique_ptr<TPipeWrite>> batch;
    batch.push_back(std::move(PipeWrite));
    return QueueWrites(Pipe, batch);
}

bool TPipeServer::QueueWrites(TPipeHandle Pipe, std::vector<std::unique_ptr<TPipeWrite>> &Batch) {
    TConnection *connection = Find(Pipe);
    if (connection && FThrottle != 0 && connection->Queue->DataSize() > FThrottle && Connected(Pipe))
        FlushPipeBuffers(Pipe);
    connection = Find(Pipe); // the wait may have run the connection's end
    if (!connection || !Connected(Pipe))
        return false;
    FSentWanted->store(static_cast<bool>(OnPipeSent));
    connection->Queue->EnqueueAll(Batch);
    return true;
}

bool TPipeServer::SendStream(TPipeHandle Pipe, TStream *Stream) {
    if (!Stream || !Admit(Pipe))
        return false;
    std::shared_ptr<TWriteQueue> queue = Find(Pipe)->Queue;
    bool result = true;
    FSentWanted->store(static_cast<bool>(OnPipeSent));
    const bool borrow = !TThreadQueue::InSendMessage();
    auto flush = [this, Pipe, borrow] { FlushUntilSent([this, Pipe] { FlushPipeBuffers(Pipe); }, borrow); };
    try {
        result = QueueFramedStream(
            *Stream, *queue, [this, Pipe](auto &Batch) { return QueueWrites(Pipe, Batch); }, borrow);
    } catch (...) {
        try {
            flush();
        } catch (...) {
            LogSwallowed(lcPipes(), "flushing after a failed send");
        }
        throw;
    }
    flush();
    return result;
}

void TPipeServer::FlushPipeBuffers(TPipeHandle Pipe) {
    const bool drained = WaitUntilDrained(
        [this, Pipe]() -> std::shared_ptr<TWriteQueue> {
            TConnection *connection = Find(Pipe);
            return connection && Connected(Pipe) ? connection->Queue : nullptr;
        },
        FStallLimitMs);
    if (!drained)
        DropLaggard(Pipe, QStringLiteral("its peer has read nothing for %1 ms").arg(FStallLimitMs));
}

void TPipeServer::DropLaggard(TPipeHandle Pipe, const QString &Why) {
    TConnection *connection = Find(Pipe);
    if (!connection || connection->Dropped)
        return;
    qCWarning(lcPipes).noquote() << "connection" << Pipe << "dropped:" << Why;
    connection->Dropped = true;
    Disconnect(Pipe);
}

void TPipeServer::Disconnect(TPipeHandle Pipe) {
    TConnection *connection = Find(Pipe);
    if (!connection)
        return;
    std::shared_ptr<TThreadHandle> worker = connection->Worker;
    connection->Kill->Set();
    if (!TThreadQueue::InSendMessage())
        TThreadEx::WaitFor(worker);
}

std::intptr_t TPipeServer::HandleNotification(std::uint32_t Msg, std::uintptr_t WParam,
                                              std::intptr_t LParam) {
    const auto pipe = static_cast<TPipeHandle>(WParam);
    // The worker of a dropped connection may still hand over what it had read: nobody answers that.
    if (const TConnection *connection = Find(pipe);
        Msg == PIPE_NOTIFY_MESSAGE && connection && connection->Dropped)
        return 0;
    if (RaiseWorkerEvent(this, Msg, pipe, LParam))
        return 0;
    switch (Msg) {
    case PIPE_NOTIFY_CONNECT:
        if (OnPipeConnect) {
            auto handler = OnPipeConnect;
            handler(this, pipe);
        }
        return 0;
    case PIPE_NOTIFY_WRONG_THREAD:
        throw EPipeException("The notify window and the component window do not exist in the same thread!");
    default:
        return 0;
    }
}

} // namespace trelvo
