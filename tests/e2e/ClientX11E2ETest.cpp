// The real client under a real X server: the host's window and size messages reach the window.
#include "ClientProcess.h"

#include "HostPeer.h"
#include "SpinUntil.h"
#include "X11Probe.h"

#include <gtest/gtest.h>

#include <string>

using namespace trelvo::test;

TEST(ClientX11E2E, TheHostEmbedsSizesHidesAndShowsTheClientAndEndsItWhileEmbedded) {
    TX11Probe x;
    ASSERT_TRUE(x.Connected());
    const uint32_t chat = x.CreateWindow(50, 50, 1000, 800);
    THostPeer host(kClientPipeName);
    ASSERT_TRUE(host.Listening());
    TClientProcess client;
    ASSERT_TRUE(host.WaitConnected());

    ASSERT_TRUE(host.Send("5;Ann;10.0.0.1;1;srv;1.0;cc;pl;"));
    ASSERT_TRUE(host.Send("6;" + std::to_string(chat) + ";"));
    ASSERT_TRUE(host.Send("1;300;500;"));
    uint32_t window = 0;
    auto sized = [&](int width, int height) {
        return SpinUntil([&] {
            for (uint32_t child : x.Children(chat))
                if (x.Geometry(child) == TX11Probe::TGeometry{0, 0, width, height}) {
                    window = child;
                    return true;
                }
            return false;
        });
    };
    ASSERT_TRUE(sized(500, 300)) << "the client's window is not inside the chat window at 500x300";
    EXPECT_TRUE(SpinUntil([&] { return x.Viewable(window); }));

    ASSERT_TRUE(host.Send("3;"));
    EXPECT_TRUE(SpinUntil([&] { return !x.Viewable(window); }));
    ASSERT_TRUE(host.Send("4;"));
    EXPECT_TRUE(SpinUntil([&] { return x.Viewable(window); }));
    ASSERT_TRUE(host.Send("1;200;400;"));
    EXPECT_TRUE(sized(400, 200));

    // Embedded, the event loop ignores a plain quit: closing the pipe must still end the process.
    host.Close();
    QProcess &process = client.Process();
    EXPECT_TRUE(process.waitForFinished(1000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}
