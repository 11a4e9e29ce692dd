#include "sync/QueuePump.h"

#include "sync/ThreadQueue.h"

namespace trelvo {

TQueuePump::TQueuePump(std::function<void(const Exception &Error)> OnError)
    : FNotifier(TThreadQueue::Current().EventFd(), QSocketNotifier::Read), FOnError(std::move(OnError)) {
    QObject::connect(&FNotifier, &QSocketNotifier::activated, [this] {
        try {
            TThreadQueue::Current().ProcessWaiting();
        } catch (const Exception &Error) {
            if (FOnError)
                FOnError(Error);
        }
    });
}

} // namespace trelvo
