#pragma once

#include "SpinUntil.h"
#include "StatServiceStub.h"

#include "common/Clock.h"
#include "stats/ReportThread.h"
#include "sync/ThreadQueue.h"

#include <QSocketNotifier>
#include <gtest/gtest.h>

namespace trelvo::test {

// Waits for threads and sockets, never for time.
constexpr int kDeadlineMs = 60000;

// The stub, the manual clock, and the UI thread's run-and-wait queue serviced from the Qt event loop,
// as the program's queue pump does. Every test ends only when its report threads have ended.
class TStubFixture : public ::testing::Test {
protected:
    TStubFixture() : FClockScope(Clock), FPump(TThreadQueue::Current().EventFd(), QSocketNotifier::Read) {
        QObject::connect(&FPump, &QSocketNotifier::activated, [] { ProcessMessages(); });
    }

    void TearDown() override {
        EXPECT_TRUE(SpinUntil([] { return TReportThread::LiveCount() == 0; }, kDeadlineMs))
            << "a report thread did not end";
    }

    bool WaitForRequests(const QString &Path, int Count = 1) {
        return SpinUntil([&] { return Stub.Count(Path) >= Count; }, kDeadlineMs);
    }

    TManualClock Clock;
    TStatServiceStub Stub;

private:
    TClockScope FClockScope;
    QSocketNotifier FPump;
};

} // namespace trelvo::test
