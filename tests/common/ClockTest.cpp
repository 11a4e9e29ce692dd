#include "common/Clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace trelvo;

TEST(ManualClock, FiresTimersInOrderOfDueTimeAtTheirOwnTime) {
    TManualClock clock;
    std::vector<std::string> log;
    clock.Schedule(30, [&] { log.push_back("c@" + std::to_string(clock.Now())); });
    clock.Schedule(10, [&] { log.push_back("a@" + std::to_string(clock.Now())); });
    clock.Schedule(10, [&] { log.push_back("b@" + std::to_string(clock.Now())); });
    clock.Advance(29);
    EXPECT_EQ(log, (std::vector<std::string>{"a@10", "b@10"}));
    clock.Advance(1);
    EXPECT_EQ(log.back(), "c@30");
    EXPECT_EQ(clock.Now(), 30);
}

TEST(ManualClock, TimerScheduledFromACallbackInsideTheSameAdvanceStillFires) {
    TManualClock clock;
    std::vector<int64_t> at;
    clock.Schedule(100, [&] {
        at.push_back(clock.Now());
        clock.Schedule(50, [&] { at.push_back(clock.Now()); });
    });
    clock.Advance(1000);
    EXPECT_EQ(at, (std::vector<int64_t>{100, 150}));
}

TEST(ManualClock, CancelledTimerNeverFires) {
    TManualClock clock;
    bool fired = false;
    auto first = clock.Schedule(10, [&] { fired = true; });
    clock.Schedule(5, [&] { clock.Cancel(first); });
    clock.Advance(20);
    EXPECT_FALSE(fired);
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST(ManualClock, FramesRunOnlyWhileAFrameClientIsRegistered) {
    TManualClock clock;
    clock.SetFrameStep(10);
    std::vector<int64_t> frames;
    TClock::TId id = 0;
    id = clock.AddFrameClient([&](int64_t now) {
        frames.push_back(now);
        if (frames.size() == 3)
            clock.RemoveFrameClient(id);
    });
    clock.Advance(100);
    EXPECT_EQ(frames, (std::vector<int64_t>{10, 20, 30}));
    EXPECT_FALSE(clock.Animating());
}

TEST(ManualClock, LongIdleTimeoutTakesNoRealTime) {
    TManualClock clock;
    int fired = 0;
    clock.Schedule(600000, [&] { ++fired; });
    clock.Advance(599999);
    EXPECT_EQ(fired, 0);
    clock.Advance(1);
    EXPECT_EQ(fired, 1);
}

TEST(ClockScope, InstallsAndRestoresTheCurrentClock) {
    TManualClock outer, inner;
    TClockScope a(outer);
    {
        TClockScope b(inner);
        EXPECT_EQ(&TClock::Current(), &inner);
    }
    EXPECT_EQ(&TClock::Current(), &outer);
}
