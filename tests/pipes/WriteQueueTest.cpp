#include "FramingModel.h"

#include "pipes/PipeProtocol.h"
#include "pipes/WriteQueue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace trelvo {
namespace {

std::vector<std::string> Drain(TWriteQueue &Queue) {
    std::vector<std::string> out;
    while (auto w = Queue.Dequeue())
        out.emplace_back(reinterpret_cast<const char *>(w->Data()), static_cast<std::size_t>(w->Count));
    return out;
}

std::string Bytes(std::size_t Size) {
    std::string s(Size, '\0');
    for (std::size_t i = 0; i < Size; ++i)
        s[i] = char(i * 7 + i / 251);
    return s;
}

TEST(Framing, ControlPacketsAreExactBytes) {
    const TPipeControlPacket start = MakeControlPacket(MB_START);
    const TPipeControlPacket end = MakeControlPacket(MB_END);
    EXPECT_EQ(std::string(start.begin(), start.end()), std::string("\x10\0\0\0MAGCSTMBMAGC", 16));
    EXPECT_EQ(std::string(end.begin(), end.end()), std::string("\x10\0\0\0MAGCETMBMAGC", 16));
    std::uint32_t command = 0;
    EXPECT_TRUE(ReadControlPacket(start.data(), 16, command));
    EXPECT_EQ(command, MB_START);
    EXPECT_FALSE(ReadControlPacket(start.data(), 15, command));
}

TEST(WriteQueue, EventsAndAccountedSizeFollowTheContent) {
    TWriteQueue q;
    const TEvent &empty = q.EmptyEvent();
    EXPECT_TRUE(q.Empty());
    EXPECT_EQ(q.DataSize(), 0u);
    EXPECT_TRUE(empty.IsSet());
    EXPECT_FALSE(q.DataEvent().IsSet());

    q.Enqueue(NewPipeWrite(Bytes(100).data(), 100));
    EXPECT_EQ(q.DataSize(), 128u);
    EXPECT_TRUE(q.DataEvent().IsSet());
    EXPECT_FALSE(empty.IsSet());

    q.EnqueueStartPacket();
    EXPECT_EQ(q.DataSize(), 128u + 44u);
    q.Enqueue(nullptr);
    EXPECT_EQ(q.DataSize(), 172u);

    auto first = q.Dequeue();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Count, 100);
    EXPECT_EQ(q.DataSize(), 44u);
    q.Clear();
    EXPECT_EQ(q.DataSize(), 0u);
    EXPECT_TRUE(empty.IsSet());
    EXPECT_FALSE(q.DataEvent().IsSet());
    EXPECT_EQ(q.Dequeue(), nullptr);
}

// The empty event follows the queue, also when the worker's thread empties it: its descriptor is
// readable exactly while the queue is empty.
TEST(WriteQueue, TheEmptyEventFollowsTheQueueAcrossThreads) {
    TWriteQueue q;
    const TEvent &empty = q.EmptyEvent();
    q.Enqueue(NewPipeWrite("a", 1));
    q.Dequeue();
    EXPECT_TRUE(empty.IsSet());
    q.Enqueue(NewPipeWrite("b", 1));
    EXPECT_FALSE(empty.IsSet());
    pollfd p{empty.Fd(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 0);
    std::thread worker([&] { q.Dequeue(); });
    worker.join();
    EXPECT_TRUE(empty.IsSet());
    EXPECT_EQ(poll(&p, 1, 0), 1);
}

// The owner enqueues on one thread while the worker dequeues on another, sleeping only on the data
// event: every record arrives in order without a lost wake-up, and once all is taken the events agree
// with the empty queue, whatever order the two threads' updates came in.
TEST(WriteQueue, EventsKeepUpWithAConcurrentOwnerAndWorker) {
    constexpr int kRecords = 50000;
    TWriteQueue q;
    const TEvent &empty = q.EmptyEvent();
    std::thread owner([&] {
        for (int i = 0; i < kRecords; ++i)
            q.Enqueue(NewPipeWrite(&i, sizeof i));
    });
    int next = 0;
    bool inOrder = true, stalled = false;
    while (next < kRecords && !stalled) {
        if (auto w = q.Dequeue()) {
            int value = -1;
            std::memcpy(&value, w->Data(), sizeof value);
            inOrder = inOrder && value == next;
            ++next;
            continue;
        }
        pollfd p{q.DataEvent().Fd(), POLLIN, 0};
        stalled = poll(&p, 1, 10000) == 0;
    }
    owner.join();
    EXPECT_FALSE(stalled) << next << " of " << kRecords << " taken";
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(empty.IsSet());
    EXPECT_FALSE(q.DataEvent().IsSet());
    pollfd p{q.DataEvent().Fd(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 0);
}

TEST(WriteQueue, RecordsAboveTheLimitAreFramedAndCutInOrder) {
    struct Case {
        std::size_t size;
        std::vector<std::size_t> parts; // empty: one plain node
    };
    const Case cases[] = {
        {65534, {}},
        {65535, {65534, 1}},
        {3 * 65534 + 2, {65534, 65534, 65534, 2}},
    };
    for (const Case &c : cases) {
        TWriteQueue q;
        const std::string data = Bytes(c.size);
        q.Enqueue(NewPipeWrite(data.data(), data.size()));
        const std::vector<std::string> nodes = Drain(q);
        if (c.parts.empty()) {
            ASSERT_EQ(nodes.size(), 1u);
            EXPECT_EQ(nodes[0], data);
            continue;
        }
        ASSERT_EQ(nodes.size(), c.parts.size() + 2) << c.size;
        EXPECT_EQ(nodes.front(), test::Control("STMB"));
        EXPECT_EQ(nodes.back(), test::Control("ETMB"));
        std::string joined;
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            EXPECT_EQ(nodes[i + 1].size(), c.parts[i]);
            joined += nodes[i + 1];
        }
        EXPECT_EQ(joined, data);
    }
}

} // namespace
} // namespace trelvo
