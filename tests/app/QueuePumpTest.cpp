#include "sync/QueuePump.h"

#include "SpinUntil.h"

#include "sync/ThreadQueue.h"

#include <gtest/gtest.h>

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
