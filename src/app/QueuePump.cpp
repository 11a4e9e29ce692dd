#include "QueuePump.h"

#include "pipes/ThreadQueue.h"

namespace trelvo {

TQueuePump::TQueuePump() : FNotifier(TThreadQueue::Current().EventFd(), QSocketNotifier::Read) {
    QObject::connect(&FNotifier, &QSocketNotifier::activated, [] { ProcessMessages(); });
}

} // namespace trelvo
