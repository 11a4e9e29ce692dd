#include "ClientProcess.h"
#include "HostPeer.h"

#include <gtest/gtest.h>

#include <memory>

using trelvo::test::kClientPipeName;
using trelvo::test::TClientProcess;
using trelvo::test::THostPeer;

// An accepted start shows itself by connecting to the host's pipe; a refused one ends silently.

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
        THostPeer host(kClientPipeName);
        ASSERT_TRUE(host.Listening());
        TClientProcess client(args);
        EXPECT_TRUE(host.WaitConnected(10000)) << args.join(' ').toStdString();
        EXPECT_TRUE(client.Running());
    }
}

TEST(Startup, SecondInstanceEndsAtOnceAndLeavesTheFirstRunning) {
    auto host = std::make_unique<THostPeer>(kClientPipeName);
    TClientProcess first;
    ASSERT_TRUE(host->WaitConnected(10000));
    TClientProcess second;
    EXPECT_TRUE(second.EndsSilentlyWithZero(5000));
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(host->Connected()) << "the first keeps its link";
    // Once the first has gone, a new start is accepted again.
    first.Process().kill();
    first.Process().waitForFinished(5000);
    host.reset();
    host = std::make_unique<THostPeer>(kClientPipeName);
    ASSERT_TRUE(host->Listening());
    TClientProcess third;
    EXPECT_TRUE(host->WaitConnected(10000));
}
