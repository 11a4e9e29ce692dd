#pragma once

#include "pipes/PipeReceiver.h"
#include "pipes/Posix.h"
#include "pipes/WriteQueue.h"
#include "sync/Event.h"
#include "sync/ThreadQueue.h"
#include "sync/ThreadSync.h"
#include "sync/Timing.h"

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

    // An event the worker sets when it can no longer write (the peer hung up, or a write failed) while
    // it waits for the owner's message handler; a writer held back by the memory throttle waits on it.
    void SetLinkDown(std::shared_ptr<TEvent> Event) { FLinkDown = std::move(Event); }
    // An event the owner sets while its handler waits for the queue to drain (the memory throttle):
    // only then does the worker write during a handler.
    void SetRoomWanted(std::shared_ptr<TEvent> Event) { FRoomWanted = std::move(Event); }

protected:
    void Execute() override;

private:
    enum class TWriteState { Idle, Sending, Flushing };

    std::intptr_t Notify(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    std::intptr_t NotifyMessage(TStream &Message);
    bool SetUpWaits();
    void CloseWaits();
    bool Round();
    bool ReadSome();
    // True while output waits (queued, or on its way to the peer).
    bool Writing() const { return FWriteState != TWriteState::Idle || FWriteQueue->HasData(); }
    // Watches the socket for input, or stops watching it while the client owes the peer a write.
    void WatchInput(bool Value);
    bool PumpWrite();
    bool FinishWrite();
    bool TrySend();
    void CompleteWrite();
    bool Flushed();
    bool SentWanted() const { return !FSentWanted || FSentWanted->load(); }
    bool KillExpired();
    // Waits up to TimeoutMs on the hand-off event, the peer reading what was written and the peer
    // hanging up; true when the peer has read something (or the wait timed out: look again).
    bool WaitAside(int TimeoutMs);
    void HandlerWait();
    void PeerHungUp();
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
    TWriteState FWriteState = TWriteState::Idle;
    // A client that read a packet while its output waited reads the next one only once a write has
    // gone out: a host that pours in requests gets their answers as they come, not after it stops.
    // The host's side never holds its reading back, so the two cannot wait for each other.
    bool FOwesWrite = false;
    bool FInputWatched = true;
    bool FPeerGone = false;      // the peer has closed its end
    bool FHangupSeen = false;    // ... as seen while waiting aside
    int FAsideError = 0;         // a write error met while waiting for a handler
    std::uint64_t FKillTime = 0; // when the kill event was seen; 0 before
    // The main wait: the kill event, the queue's data event, input on the socket and the peer reading
    // (an edge-triggered watch of a second descriptor of the socket, so that "writable" does not
    // wake the worker while it is; only each packet the peer takes does).
    int FWaitAll = -1;
    // The wait while the owner runs a handler or the worker closes: the hand-off event, the queue's
    // data event, the peer reading and the peer hanging up.
    int FWaitAside = -1;
    int FOutFd = -1;
    std::shared_ptr<TEvent> FHandedOff = std::make_shared<TEvent>();
    std::shared_ptr<TEvent> FKillEv;
    std::shared_ptr<TEvent> FLinkDown;
    std::shared_ptr<TEvent> FRoomWanted;
    std::shared_ptr<std::atomic<bool>> FSentWanted;
    TPipeReceiver FReceiver;
};

} // namespace trelvo
