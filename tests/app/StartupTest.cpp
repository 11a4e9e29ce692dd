#include "ClientProcess.h"

#include <gtest/gtest.h>

using trelvo::test::TClientProcess;

namespace {
// How long a started client must stay up to count as accepted. Refusals end in milliseconds.
constexpr int kStaysUpMs = 1500;
} // namespace

TEST(Startup, RefusedCommandLinesEndSilentlyWithZero) {
    const QStringList cases[] = {{}, {"start"}, {"--start"}, {"-star"}, {""}, {"-start2"}, {"x", "-start"}};
    for (const auto &args : cases) {
        TClientProcess client(args);
        EXPECT_TRUE(client.EndsSilentlyWithZero(5000)) << args.join(' ').toStdString();
    }
}

TEST(Startup, StartArgumentIsAcceptedInAnyCaseAndWithFurtherArguments) {
    const QStringList cases[] = {{"-start"}, {"-START"}, {"-StArT"}, {"-START", "x"}};
    for (const auto &args : cases) {
        TClientProcess client(args);
        EXPECT_FALSE(client.Process().waitForFinished(kStaysUpMs)) << args.join(' ').toStdString();
        EXPECT_TRUE(client.Running());
    }
}

TEST(Startup, SecondInstanceEndsAtOnceAndLeavesTheFirstRunning) {
    TClientProcess first;
    ASSERT_FALSE(first.Process().waitForFinished(kStaysUpMs));
    TClientProcess second;
    EXPECT_TRUE(second.EndsSilentlyWithZero(5000));
    EXPECT_TRUE(first.Running());
    // Once the first has gone, a new start is accepted again.
    first.Process().kill();
    first.Process().waitForFinished(5000);
    TClientProcess third;
    EXPECT_FALSE(third.Process().waitForFinished(kStaysUpMs));
}
