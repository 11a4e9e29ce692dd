#pragma once

#include "common/Exceptions.h"

#include <QSocketNotifier>

#include <functional>

namespace trelvo {

// Runs the calling thread's message queue from the Qt event loop (the client's and the host's): the
// queue's event descriptor stays readable while calls from the pipe workers wait. An error of ours that
// a queued call raises goes to OnError instead of through the Qt event loop.
class TQueuePump {
public:
    explicit TQueuePump(std::function<void(const Exception &Error)> OnError);
    TQueuePump(const TQueuePump &) = delete;
    TQueuePump &operator=(const TQueuePump &) = delete;

private:
    QSocketNotifier FNotifier;
    std::function<void(const Exception &Error)> FOnError;
};

} // namespace trelvo
