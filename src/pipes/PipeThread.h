#pragma once

#include "pipes/PipeReceiver.h"
#include "pipes/Posix.h"
#include "pipes/WriteQueue.h"
#include "sync/Event.h"
#include "sync/ThreadQueue.h"
#include "sync/ThreadSync.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace trelvo {

// The worker of one connection: does every read and write on the pipe in one loop over the kill
// event, the socket and the write queue's data event, and hands each event to the owner's message
// target by a synchronous send (the worker waits until the handler returns). Created suspended, started
// with Run(); it closes the pipe and frees itself when it ends.
class TPipeThread : public TThreadEx {
public:
    // PipeId identifies the pipe in notifications; kInvalidPipe means the socket itself.
    TPipeThread(TCreateKey Key, bool Server, TWindowHandle NotifyWindow, std::uint32_t NotifyThread,
                std::shared_ptr<TWriteQueue> WriteQueue, std::shared_ptr<TThreadCounter> Counter,
                TPipeHandle Pipe, std::shared_ptr<TEvent> KillEvent, std::intptr_t PipeId = kInvalidPipe);
    ~TPipeThread() override;

    // Every completed write waits until the peer has read it before the next one starts. Only the
    // benchmark turns this off, to measure what the rule costs.
    static void SetFlushAfterWrite(bool Value);
    // A flag the owner keeps saying whether anyone listens to sent events; without it every completed
    // write is notified. Set before Run().
    void SetSentWanted(std::shared_ptr<std::atomic<bool>> Flag) { FSentWanted = std::move(Flag); }

protected:
    void Execute() override;

private:
    enum class TWriteState { Idle, Sending, Flushing };

    std::intptr_t Notify(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    bool StartRead();
    bool FinishRead();
    bool StartWrite();
    bool FinishWrite();
    bool TrySend();
    void CompleteWrite();
    bool Flushed();
    bool KillExpired();
    long FlushDelayNs();
    bool WaitEvents();
    void KillGrace();
    void ClosePipe();

    bool FServer;
    TWindowHandle FNotify;
    std::uint32_t FNotifyThread;
    TPipeHandle FPipe;
    std::intptr_t FPipeId;
    int FErrorCode = 0;
    std::shared_ptr<TThreadCounter> FCounter;
    std::uint32_t FWrite = 0;
    std::shared_ptr<TWriteQueue> FWriteQueue;
    std::unique_ptr<TPipeWrite> FPipeWrite;
    bool FPendingRead = false;
    TWriteState FWriteState = TWriteState::Idle;
    int FFlushRound = 0;
    short FSocketEvents = 0;       // what the last wait saw on the socket
    std::uint64_t FFlushStart = 0; // ns
    std::uint64_t FKillTime = 0;   // when the kill event was seen; 0 before
    std::shared_ptr<TEvent> FKillEv;
    std::shared_ptr<std::atomic<bool>> FSentWanted;
    TPipeReceiver FReceiver;
};

} // namespace trelvo
