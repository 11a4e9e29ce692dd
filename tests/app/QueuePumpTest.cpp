#include "sync/QueuePump.h"

#include "SpinUntil.h"

#include "common/QtClock.h"
#include "kit/SceneObject.h"
#include "sync/ThreadQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace trelvo;
using trelvo::test::SpinUntil;

TEST(QueuePump, TheQtEventLoopRunsAWorkersSynchronousCall) {
    TQueuePump pump(nullptr);
    const std::thread::id uiThread = std::this_thread::get_id();
    std::thread::id ranOn;
    const TWindowHandle window = AllocateWindow([&](std::uint32_t Msg, std::uintptr_t, std::intptr_t) {
        ranOn = std::this_thread::get_id();
        return static_cast<std::intptr_t>(Msg * 2);
    });
    std::atomic<std::intptr_t> answer{0};
    std::thread worker([&] { answer = SendMessage(window, 21, 0, 0); });
    EXPECT_TRUE(SpinUntil([&] { return answer.load() != 0; }));
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(ranOn, uiThread);
    DeallocateWindow(window);
}

TEST(QueuePump, OurErrorsFromQueuedCallsGoToTheHandlerAndTheQueueGoesOn) {
    std::vector<std::string> errors;
    TQueuePump pump([&](const Exception &Error) {
        errors.push_back(std::string(Error.ClassName()) + ": " + Error.Message());
    });
    int ran = 0;
    const TWindowHandle failing =
        AllocateWindow([](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            throw EConvertError("'x' is not a valid integer value");
        });
    const TWindowHandle working = AllocateWindow([&](std::uint32_t, std::uintptr_t, std::intptr_t) {
        ++ran;
        return std::intptr_t(0);
    });
    PostMessage(failing, 1, 0, 0);
    PostMessage(working, 1, 0, 0);
    EXPECT_TRUE(SpinUntil([&] { return ran == 1; }));
    EXPECT_EQ(errors, std::vector<std::string>{"EConvertError: 'x' is not a valid integer value"});
    DeallocateWindow(failing);
    DeallocateWindow(working);
}

// A peer that always has its next message ready must not keep the event loop from its timers: what a
// message replaces is freed once that message is over (a 0 ms timer of the clock, as a window closes),
// and would otherwise pile up for as long as the messages keep coming.
TEST(QueuePump, ObjectsFreedAfterAMessageGoBeforeTheNextMessage) {
    TQueuePump pump(nullptr);
    TQtClock clock;
    TClockScope scope(clock);
    constexpr int kMessages = 300;
    const int liveBefore = TSceneObject::LiveCount();
    int handled = 0, mostLive = 0;
    TSceneObject *current = nullptr;
    TWindowHandle window = 0;
    window = AllocateWindow([&](std::uint32_t, std::uintptr_t, std::intptr_t) {
        // Each message replaces the object the last one made, as a table opened again replaces its room.
        if (current)
            current->DeferredFree();
        current = new TSceneObject;
        mostLive = std::max(mostLive, TSceneObject::LiveCount() - liveBefore);
        // The next message is waiting before this one is over.
        if (++handled < kMessages)
            PostMessage(window, 1, 0, 0);
        return std::intptr_t(0);
    });
    PostMessage(window, 1, 0, 0);
    EXPECT_TRUE(SpinUntil([&] { return handled == kMessages && TSceneObject::LiveCount() - liveBefore == 1; },
                          30000));
    EXPECT_LE(mostLive, 3) << "objects waiting to be freed piled up";
    delete current;
    DeallocateWindow(window);
}
