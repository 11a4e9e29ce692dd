#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace trelvo::test {

// Runs the Qt event loop until Done() holds (the X server and other processes act asynchronously);
// false after TimeoutMs.
inline bool SpinUntil(const std::function<bool()> &Done, int TimeoutMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (!Done()) {
        if (waited.elapsed() > TimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace trelvo::test
