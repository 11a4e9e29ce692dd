#include "common/TimerEx.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trelvo;

class TimerTest : public testing::Test {
protected:
    TManualClock FClock;
    TClockScope FScope{FClock};
};

TEST_F(TimerTest, RepeatsEveryIntervalWhileEnabled) {
    TTimer timer;
    timer.SetInterval(250);
    std::vector<int64_t> ticks;
    timer.OnTimer = [&](TTimer *) { ticks.push_back(FClock.Now()); };
    FClock.Advance(1000);
    EXPECT_EQ(ticks, (std::vector<int64_t>{250, 500, 750, 1000}));
    timer.SetEnabled(false);
    FClock.Advance(1000);
    EXPECT_EQ(ticks.size(), 4u);
}

TEST_F(TimerTest, DefaultsAndZeroInterval) {
    TTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    int ticks = 0;
    timer.OnTimer = [&](TTimer *) { ++ticks; };
    timer.SetInterval(0);
    FClock.Advance(10000);
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, HandlerThatRetimesTheTimerWins) {
    // The lobby poll pattern: disable, change the interval, enable again, all inside the tick.
    TTimer timer;
    timer.SetInterval(500);
    std::vector<int64_t> ticks;
    timer.OnTimer = [&](TTimer *t) {
        ticks.push_back(FClock.Now());
        t->SetEnabled(false);
        t->SetInterval(5000);
        t->SetEnabled(true);
    };
    FClock.Advance(10500);
    EXPECT_EQ(ticks, (std::vector<int64_t>{500, 5500, 10500}));
}

TEST_F(TimerTest, TimerMayBeDestroyedInsideItsOwnTick) {
    auto *timer = new TTimer;
    timer->SetInterval(10);
    int ticks = 0;
    timer->OnTimer = [&](TTimer *t) {
        ++ticks;
        delete t;
    };
    FClock.Advance(100);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(FClock.PendingCount(), 0u);
}

TEST_F(TimerTest, TimerExTicksOncePerEnabling) {
    TTimerEx timer;
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(timer.AutoFree());
    timer.SetInterval(1000);
    int ticks = 0;
    timer.OnTimer = [&](TTimerEx *) { ++ticks; };
    FClock.Advance(5000);
    EXPECT_EQ(ticks, 0);
    timer.SetEnabled(true);
    FClock.Advance(5000);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer.Enabled());
    timer.SetEnabled(true);
    FClock.Advance(999);
    EXPECT_EQ(ticks, 1);
    FClock.Advance(1);
    EXPECT_EQ(ticks, 2);
}

TEST_F(TimerTest, AutoFreeTimerExFreesItselfAfterItsTick) {
    TTimerEx *held = new TTimerEx;
    held->SetInterval(1000);
    held->SetAutoFree(true);
    TTimerEx *seen = nullptr;
    held->OnTimer = [&](TTimerEx *sender) {
        seen = sender;
        held = nullptr; // the owner forgets it, as the owner of a self-freeing timer must
    };
    held->SetEnabled(true);
    FClock.Advance(1000);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(FClock.PendingCount(), 0u); // ASan reports a leak or a double free otherwise
}

TEST_F(TimerTest, AutoFreeTimerExDestroyedByItsHandlerIsNotFreedTwice) {
    auto *timer = new TTimerEx;
    timer->SetInterval(5);
    timer->SetAutoFree(true);
    timer->OnTimer = [](TTimerEx *sender) { delete sender; };
    timer->SetEnabled(true);
    FClock.Advance(10);
    SUCCEED();
}

TEST_F(TimerTest, DestroyingTimerExCancelsItsTick) {
    int ticks = 0;
    {
        TTimerEx timer;
        timer.SetInterval(10);
        timer.OnTimer = [&](TTimerEx *) { ++ticks; };
        timer.SetEnabled(true);
    }
    FClock.Advance(100);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(FClock.PendingCount(), 0u);
}
