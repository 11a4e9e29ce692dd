#pragma once

// The pipe transport: client and server ends of a message pipe, their worker, the write queue, the
// framing and the per-thread run-and-wait queue that carries events to the owning thread.
//
// The thread that creates a TPipeClient or TPipeServer receives all of its events, and its workers
// wait for that thread whenever they hand one over. That thread must therefore run its queue:
//   - from an event loop: watch TThreadQueue::Current().EventFd() for reading (readable while calls
//     wait) and call trelvo::ProcessMessages() when it is; ProcessMessages() raises the error of a
//     handler that failed (EPipeException for a worker started on the wrong thread) once that
//     handler's sender has been released;
//   - or from a plain thread: TThreadQueue::Current().WaitUntil(done, timeoutMs).
// Every blocking call of the transport (Disconnect, SendStream, FlushPipeBuffers, WaitForReply,
// TThreadEx::Wait, TThreadCounter::WaitForEmpty) keeps running the queue while it waits.
#include "pipes/PipeClient.h"
#include "pipes/PipeEvents.h"
#include "pipes/PipeProtocol.h"
#include "pipes/PipeServer.h"
#include "pipes/Streams.h"
#include "sync/ThreadQueue.h"
#include "sync/ThreadSync.h"
