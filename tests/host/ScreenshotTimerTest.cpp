// The host's pictures every few seconds (--screenshots): two hosts side by side save the same moments.
#include "host/ScreenshotTimer.h"

#include "common/Clock.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::host;

namespace {

// Hosts started 2.3 s apart, as two players start theirs: each saves at the wall clock's five-second
// marks, so the pictures of both seats show one moment of the game, picture by picture.
TEST(ScreenshotTimer, HostsStartedApartSaveTheirPicturesAtTheSameMoments) {
    TManualClock clock;
    TClockScope scope(clock);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QWidget anna, boris;
    const int64_t wallAtZero = 1'765'000'003'300; // the wall clock in ms when the manual clock reads 0
    auto wall = [&] { return wallAtZero + clock.Now(); };
    TScreenshotTimer first(clock, anna, dir.filePath(QStringLiteral("anna")), 5, wall);
    clock.Advance(1000);
    TScreenshotTimer second(clock, boris, dir.filePath(QStringLiteral("boris")), 5, wall);
    // The next five-second mark of the wall clock is 1 700 ms after the manual clock's zero.
    clock.Advance(699);
    EXPECT_EQ(first.Saved(), 0);
    EXPECT_EQ(second.Saved(), 0);
    clock.Advance(1);
    EXPECT_EQ(first.Saved(), 1);
    EXPECT_EQ(second.Saved(), 1);
    clock.Advance(4999);
    EXPECT_EQ(first.Saved(), 1);
    EXPECT_EQ(second.Saved(), 1);
    clock.Advance(1);
    EXPECT_EQ(first.Saved(), 2);
    EXPECT_EQ(second.Saved(), 2);
}

} // namespace
