
#include "sync/ThreadSync.h"
#include "sync/SysTime.h"
#include "sync/ThreadQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <stdexcept>
#include <sys/epoll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace trelvo {
namespace {

// Waits for a condition another thread makes true; false after a generous deadline.
bool WaitFor(const std::function<bool()> &Done) {
    const std::uint64_t start = TickMs();
    while (!Done()) {
        if (TickMs() - start > 10000)
            return false;
        std::this_thread::yield();
    }
    return true;
}

// A thread whose body is a lambda.
class TLambdaThread : public TThreadEx {
public:
    TLambdaThread(TCreateKey Key, std::function<void(TLambdaThread &)> Body)
        : TThreadEx(Key), FBody(std::move(Body)) {}

protected:
    void Execute() override { FBody(*this); }

private:
    std::function<void(TLambdaThread &)> FBody;
};

struct TMarked : std::runtime_error {
    TMarked() : std::runtime_error("marked") {}
};

TEST(ThreadSync, SynchronizedMethodRunsOnTheBaseThreadAndItsErrorReachesTheWorker) {
    const std::uint32_t base = CurrentThreadId();
    std::uint32_t ranOn = 0;
    bool inSend = false;
    const void *thrown = nullptr;
    const void *caught = nullptr;
    auto t = TThreadEx::Create<TLambdaThread>([&](TLambdaThread &Self) {
        try {
            Self.Sync().Synchronize([&] {
                ranOn = CurrentThreadId();
                inSend = TThreadQueue::InSendMessage();
                try {
                    throw TMarked();
                } catch (const TMarked &e) {
                    thrown = &e;
                    throw;
                }
            });
        } catch (const TMarked &e) {
            caught = &e;
        }
    });
    t->Run();
    t->Wait();
    EXPECT_EQ(ranOn, base);
    EXPECT_TRUE(inSend);
    EXPECT_FALSE(TThreadQueue::InSendMessage());
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(caught, thrown) << "the same exception object is raised again";
}

TEST(ThreadSync, TwoThreadObjectsShareOneWindowUntilBothReleasesRan) {
    // A fresh base thread, so that no other test's thread objects share its window.
    std::thread([] {
        const std::uint32_t tid = CurrentThreadId();
        auto &manager = TSyncManager::Instance();
        auto first = TThreadEx::Create<TLambdaThread>([](TLambdaThread &) {});
        auto second = TThreadEx::Create<TLambdaThread>([](TLambdaThread &) {});
        const TWindowHandle window = manager.ThreadWindow(tid);
        ASSERT_NE(window, 0u);
        EXPECT_TRUE(IsWindow(window));

        first.reset();
        ProcessMessages();
        EXPECT_EQ(manager.ThreadWindow(tid), window);
        EXPECT_TRUE(IsWindow(window));

        second.reset();
        EXPECT_TRUE(IsWindow(window)) << "the release is posted, not run at once";
        ProcessMessages();
        EXPECT_EQ(manager.ThreadWindow(tid), 0u);
        EXPECT_FALSE(IsWindow(window));

        auto third = TThreadEx::Create<TLambdaThread>([](TLambdaThread &) {});
        EXPECT_NE(manager.ThreadWindow(tid), 0u) << "a new thread object makes a new window";
    }).join();
}

TEST(ThreadSync, WaitReturnsWhenTheThreadsLastActIsASynchronousCall) {
    std::atomic<int> terminated{0};
    std::uint32_t terminateRanOn = 0;
    const std::uint32_t base = CurrentThreadId();
    auto t = TThreadEx::Create<TLambdaThread>([](TLambdaThread &) {});
    t->OnTerminate = [&](TThreadEx *Sender) {
        EXPECT_EQ(Sender, t.get());
        terminateRanOn = CurrentThreadId();
        ++terminated;
    };
    t->Run();
    t->Wait();
    EXPECT_EQ(terminated.load(), 1);
    EXPECT_EQ(terminateRanOn, base);
    EXPECT_TRUE(t->Finished());
}

TEST(ThreadSync, SelfFreeingThreadCanBeWaitedForThroughItsHandle) {
    class TSelfFreeing : public TThreadEx {
    public:
        TSelfFreeing(TCreateKey Key, std::atomic<bool> &Gone) : TThreadEx(Key), FGone(Gone) {
            SetFreeOnTerminate(true);
        }
        ~TSelfFreeing() override { FGone.store(true); }

    protected:
        void Execute() override {}

    private:
        std::atomic<bool> &FGone;
    };
    std::atomic<bool> gone{false};
    auto *t = TThreadEx::Create<TSelfFreeing>(gone).release();
    auto handle = t->Handle();
    t->Run();
    TThreadEx::WaitFor(handle);
    EXPECT_TRUE(gone.load());
}

TEST(ThreadSync, WaitFromAnotherThreadDoesNotNeedTheBaseQueue) {
    std::atomic<bool> release{false};
    auto t = TThreadEx::Create<TLambdaThread>([&](TLambdaThread &) {
        while (!release.load())
            std::this_thread::yield();
    });
    t->Run();
    std::thread other([&] { t->Wait(); });
    release.store(true);
    other.join();
    EXPECT_TRUE(t->Finished());
}

// A subclass whose body keeps using its own members until told to stop: destroying it while it runs must
// stop and join the thread before those members go (ASan reports the use after free otherwise).
TEST(ThreadSync, DestroyingARunningThreadJoinsItBeforeItsOwnMembersGo) {
    class TBusy : public TThreadEx {
    public:
        TBusy(TCreateKey Key, std::atomic<bool> &Started) : TThreadEx(Key), FStarted(Started) {}

    protected:
        void Execute() override {
            FStarted.store(true);
            while (!Terminated())
                FCounter.assign(64, static_cast<int>(FCounter.size()));
        }

    private:
        std::atomic<bool> &FStarted;
        std::vector<int> FCounter;
    };
    std::atomic<bool> started{false};
    auto t = TThreadEx::Create<TBusy>(started);
    t->Run();
    ASSERT_TRUE(TThreadQueue::Current().WaitUntil([&] { return started.load(); }, 10000));
    t.reset();
    SUCCEED();
}

TEST(ThreadCounter, DecrementStopsAtZeroAndWaitForEmptyReturns) {
    TThreadCounter counter;
    counter.Decrement();
    EXPECT_EQ(counter.Count(), 0);
    EXPECT_TRUE(counter.EmptyEvent().IsSet());
    counter.Increment();
    counter.Increment();
    EXPECT_FALSE(counter.EmptyEvent().IsSet());
    std::thread([&] {
        counter.Decrement();
        counter.Decrement();
    }).join();
    counter.WaitForEmpty();
    EXPECT_EQ(counter.Count(), 0);
}

TEST(ThreadQueue, SentMessageBlocksUntilTheOwnerRanIt) {
    std::atomic<bool> returned{false};
    std::intptr_t seen = 0;
    const TWindowHandle wnd = AllocateWindow([&](std::uint32_t Msg, std::uintptr_t, std::intptr_t L) {
        seen = L;
        return static_cast<std::intptr_t>(Msg) + 1;
    });
    std::intptr_t result = 0;
    std::thread sender([&] {
        result = SendMessage(wnd, 77, 0, 42);
        returned.store(true);
    });
    // Once the message waits in this thread's queue, the sender is known to be blocked on it.
    ASSERT_TRUE(WaitFor([] { return TThreadQueue::Current().HasMessages(); }));
    EXPECT_FALSE(returned.load());
    ASSERT_TRUE(TThreadQueue::Current().WaitUntil([&] { return returned.load(); }, 10000));
    sender.join();
    EXPECT_EQ(result, 78);
    EXPECT_EQ(seen, 42);
    DeallocateWindow(wnd);
    EXPECT_EQ(SendMessage(wnd, 77, 0, 0), 0) << "a gone target answers 0";
    EXPECT_FALSE(PostMessage(wnd, 77, 0, 0));
}

TEST(ThreadQueue, HandlerErrorReleasesTheSenderAndReachesTheLoop) {
    const TWindowHandle wnd =
        AllocateWindow([](std::uint32_t Msg, std::uintptr_t, std::intptr_t) -> std::intptr_t {
            if (Msg == 1)
                throw std::runtime_error("handler failed");
            return 5;
        });
    std::intptr_t first = -1, second = -1;
    std::atomic<bool> done{false};
    std::thread sender([&] {
        first = SendMessage(wnd, 1, 0, 0);
        second = SendMessage(wnd, 2, 0, 0);
        done.store(true);
    });
    bool raised = false;
    const std::uint64_t start = TickMs();
    while (!done.load() && TickMs() - start < 5000) {
        try {
            TThreadQueue::Current().WaitUntil([&] { return done.load(); }, 10);
        } catch (const std::runtime_error &) {
            raised = true;
        }
    }
    sender.join();
    EXPECT_TRUE(raised);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 5);
    DeallocateWindow(wnd);
}

TEST(ThreadQueue, SenderIsReleasedWhenTheOwningThreadEnds) {
    TWindowHandle wnd = 0;
    std::atomic<bool> created{false}, stop{false};
    TThreadQueue *ownerQueue = nullptr;
    std::thread owner([&] {
        wnd = AllocateWindow([](std::uint32_t, std::uintptr_t, std::intptr_t) { return 1; });
        ownerQueue = &TThreadQueue::Current();
        created.store(true);
        while (!stop.load())
            std::this_thread::yield();
    });
    while (!created.load())
        std::this_thread::yield();
    std::intptr_t result = -1;
    std::thread sender([&] { result = SendMessage(wnd, 9, 0, 0); });
    // The owner ends while the message waits in its queue, never run.
    ASSERT_TRUE(WaitFor([&] { return ownerQueue->HasMessages(); }));
    stop.store(true);
    owner.join();
    sender.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(IsWindow(wnd));
}

// The owner sleeps only on its queue's descriptor, so one lost wake-up would stop it at the
// deadline; and once the queue is drained the descriptor must fall quiet, or an event loop watching
// it would spin.
TEST(ThreadQueue, PostsRacingTheOwnerNeverLoseAWakeUpAndLeaveNoStaleReadiness) {
    constexpr int kSenders = 3, kEach = 20000;
    std::atomic<int> handled{0};
    const TWindowHandle wnd = AllocateWindow([&](std::uint32_t, std::uintptr_t, std::intptr_t) {
        handled.fetch_add(1);
        return 0;
    });
    auto &queue = TThreadQueue::Current();
    std::vector<std::thread> senders;
    for (int t = 0; t < kSenders; ++t)
        senders.emplace_back([&] {
            for (int i = 0; i < kEach; ++i)
                PostMessage(wnd, 1, 0, 0);
        });
    std::atomic<bool> stalled{false};
    while (handled.load() < kSenders * kEach && !stalled) {
        pollfd p{queue.EventFd(), POLLIN, 0};
        stalled = poll(&p, 1, 10000) == 0;
        queue.ProcessMessages();
    }
    for (auto &t : senders)
        t.join();
    EXPECT_FALSE(stalled.load()) << handled.load() << " of " << kSenders * kEach << " handled";

    // A busy owner often runs a message before its sender's wake-up comes: once the sender is done,
    // one more look must leave the descriptor quiet.
    int stale = 0;
    std::atomic<int> posted{0}, checked{0};
    std::thread one([&] {
        for (int i = 0; i < 2000; ++i) {
            while (checked.load() < i && !stalled)
                std::this_thread::yield();
            PostMessage(wnd, 1, 0, 0);
            posted.store(i + 1);
        }
    });
    for (int i = 0; i < 2000 && !stalled; ++i) {
        const std::uint64_t start = TickMs();
        while (!(handled.load() > kSenders * kEach + i && posted.load() > i) && !stalled) {
            queue.ProcessMessages();
            stalled = TickMs() - start > 10000;
        }
        queue.ProcessMessages();
        pollfd p{queue.EventFd(), POLLIN, 0};
        stale += poll(&p, 1, 0) != 0;
        checked.store(i + 1);
    }
    one.join();
    EXPECT_FALSE(stalled.load());
    EXPECT_EQ(stale, 0) << "the descriptor stayed readable with nothing queued";
    DeallocateWindow(wnd);
}

// A sender that waits on descriptors of its own sleeps on the done event alone: a hand-off whose
// wake-up got lost would stop it at the deadline. The pipe worker watches the event edge-triggered, where
// a set left over from an earlier send would swallow the next one's wake-up; and a sender may drop its
// event as soon as the send returns, while the handler's thread is still setting it.
TEST(ThreadQueue, EveryWaitingSendIsReleasedWithItsResult) {
    constexpr int kSends = 20000;
    const TWindowHandle wnd = AllocateWindow(
        [](std::uint32_t Msg, std::uintptr_t, std::intptr_t) { return static_cast<std::intptr_t>(Msg) * 2; });
    enum class TWaitKind { Level, Edge, FreshEvent };
    for (TWaitKind kind : {TWaitKind::Level, TWaitKind::Edge, TWaitKind::FreshEvent}) {
        std::atomic<bool> done{false}, stalled{false};
        int wrong = 0;
        std::thread sender([&] {
            auto handedOff = std::make_shared<TEvent>();
            const int edge = epoll_create1(EPOLL_CLOEXEC);
            epoll_event ev{};
            ev.events = EPOLLIN | EPOLLET;
            epoll_ctl(edge, EPOLL_CTL_ADD, handedOff->Fd(), &ev);
            for (std::uint32_t i = 1; i <= kSends && !stalled.load(); ++i) {
                auto event = kind == TWaitKind::FreshEvent ? std::make_shared<TEvent>() : handedOff;
                const std::intptr_t result = SendMessageWaiting(wnd, i, 0, 0, event, [&] {
                    bool woken = false;
                    if (kind == TWaitKind::Edge) {
                        epoll_event out{};
                        woken = epoll_wait(edge, &out, 1, 10000) > 0;
                    } else {
                        pollfd p{event->Fd(), POLLIN, 0};
                        woken = poll(&p, 1, 10000) > 0;
                    }
                    if (!woken)
                        stalled.store(true);
                });
                wrong += result != static_cast<std::intptr_t>(i) * 2;
            }
            close(edge);
            done.store(true);
        });
        ASSERT_TRUE(TThreadQueue::Current().WaitUntil([&] { return done.load(); }, 120000));
        sender.join();
        EXPECT_FALSE(stalled.load()) << static_cast<int>(kind);
        EXPECT_EQ(wrong, 0) << static_cast<int>(kind);
    }
    DeallocateWindow(wnd);
}

} // namespace
} // namespace trelvo
