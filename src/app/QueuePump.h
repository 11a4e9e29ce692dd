#pragma once

#include <QSocketNotifier>

namespace trelvo {

// Runs the calling thread's pipe message queue from the Qt event loop: the queue's event descriptor
// stays readable while calls from the pipe worker wait.
class TQueuePump {
public:
    TQueuePump();
    TQueuePump(const TQueuePump &) = delete;
    TQueuePump &operator=(const TQueuePump &) = delete;

private:
    QSocketNotifier FNotifier;
};

} // namespace trelvo
