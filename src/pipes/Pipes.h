#pragma once

// The pipe transport: client and server ends of a message pipe, their worker, the write queue, the
// framing and the per-thread run-and-wait queue that carries events to the owning thread.
#include "pipes/PipeClient.h"
#include "pipes/PipeEvents.h"
#include "pipes/PipeProtocol.h"
#include "pipes/PipeServer.h"
#include "pipes/Streams.h"
#include "pipes/ThreadQueue.h"
#include "pipes/ThreadSync.h"
