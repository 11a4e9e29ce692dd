#include "FramingModel.h"

#include "pipes/MultiMsg.h"
#include "pipes/PipeProtocol.h"
#include "pipes/PipeReceiver.h"
#include "pipes/ReadArea.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <random>
#include <string>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace trelvo {
namespace {

using test::Control;

// A receiver reading from one end of a real SOCK_SEQPACKET pair, fed from the other.
class ReceiverFixture : public ::testing::Test {
protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds), 0);
        reader = fds[0];
        writer = fds[1];
    }
    void TearDown() override {
        close(reader);
        if (writer >= 0)
            close(writer);
    }

    // Reads everything waiting; returns what the read said.
    TPipeReceiver::TReadResult Drain() {
        int error = 0;
        const auto result = receiver.ReadAvailable(reader, error);
        EXPECT_NE(result, TPipeReceiver::TReadResult::Failed) << "error " << error;
        return result;
    }

    // Sends the packets, reading whenever the socket is full, and reads what is left.
    void Feed(const std::vector<std::string> &Packets) {
        for (const std::string &p : Packets) {
            while (send(writer, p.data(), p.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0) {
                ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << strerror(errno);
                Drain();
            }
        }
        EXPECT_EQ(Drain(), TPipeReceiver::TReadResult::Pending);
    }

    int reader = -1;
    int writer = -1;
    std::vector<std::string> delivered;
    std::vector<std::uint64_t> positions;
    TPipeReceiver receiver{[this](TStream &Message) {
        positions.push_back(Message.Position());
        delivered.push_back(Message.Bytes());
    }};
};

TEST_F(ReceiverFixture, TakesPacketsByTheFramingRules) {
    struct Case {
        const char *name;
        std::vector<std::string> packets;
        std::vector<std::string> messages;
    };
    const std::string ctrlWrongMarker = Control("STMB", 16, "MAGD");
    const Case cases[] = {
        {"unframed packet", {"abc"}, {"abc"}},
        {"framed message", {Control("STMB"), "ab", "cd", Control("ETMB")}, {"abcd"}},
        {"control with a wrong marker is data", {ctrlWrongMarker}, {ctrlWrongMarker}},
        {"control with a wrong size field is data", {Control("STMB", 17)}, {Control("STMB", 17)}},
        {"15 bytes of a control packet are data",
         {Control("STMB").substr(0, 15)},
         {Control("STMB").substr(0, 15)}},
        {"17 bytes are data", {Control("ETMB") + "x"}, {Control("ETMB") + "x"}},
        {"end without start is ignored", {Control("ETMB")}, {}},
        {"second start discards the first",
         {Control("STMB"), "one", Control("STMB"), "two", Control("ETMB")},
         {"two"}},
        {"empty framed message", {Control("STMB"), Control("ETMB")}, {""}},
        {"unknown command drops the assembly", {Control("STMB"), "lost", Control("XXMB"), "free"}, {"free"}},
        {"zero-length packet is an empty message", {"", "x"}, {"", "x"}},
        {"zero-length packet inside a frame adds nothing",
         {Control("STMB"), "a", "", "b", Control("ETMB")},
         {"ab"}},
        {"control packet as framed payload is still control",
         {Control("STMB"), Control("STMB"), Control("ETMB")},
         {""}},
    };
    for (const Case &c : cases) {
        delivered.clear();
        positions.clear();
        receiver.Receive(Control("XXMB").data(), 16); // back to idle between cases
        Feed(c.packets);
        EXPECT_EQ(delivered, c.messages) << c.name;
        for (std::uint64_t pos : positions)
            EXPECT_EQ(pos, 0u) << c.name;
    }
}

TEST_F(ReceiverFixture, UnframedPacketLargerThanTheBufferIsReadWholeAndTheBufferStays) {
    ASSERT_EQ(receiver.BufferSize(), MAX_BUFFER);
    std::string big(3 * MAX_BUFFER, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = char(i % 253);
    Feed({big, "small"});
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered[0].size(), big.size());
    EXPECT_EQ(delivered[0], big);
    EXPECT_EQ(delivered[1], "small");
    EXPECT_EQ(receiver.BufferSize(), 3 * MAX_BUFFER);
}

TEST_F(ReceiverFixture, HangUpIsTheEndButAZeroLengthPacketIsNot) {
    Feed({""});
    EXPECT_EQ(delivered.size(), 1u);
    ASSERT_EQ(send(writer, "last", 4, MSG_NOSIGNAL), 4);
    close(writer);
    writer = -1;
    EXPECT_EQ(Drain(), TPipeReceiver::TReadResult::Closed);
    ASSERT_EQ(delivered.size(), 2u) << "packets queued before the hang-up are still read";
    EXPECT_EQ(delivered[1], "last");
}

TEST_F(ReceiverFixture, EndlessStartWithoutEndAssemblesInAFileNotInMemory) {
    const std::string chunk(MAX_BUFFER, 'q');
    std::vector<std::string> packets{Control("STMB")};
    for (std::size_t i = 0; i < TPipeMultiMsg::kSpillBytes / MAX_BUFFER + 4; ++i)
        packets.push_back(chunk);
    Feed(packets);
    EXPECT_TRUE(delivered.empty());
    EXPECT_TRUE(receiver.Assembling());
    EXPECT_TRUE(receiver.AssemblingInFile());
    EXPECT_EQ(receiver.BufferSize(), MAX_BUFFER);
}

// Framed messages are received straight into their place, in memory and then staged for the file:
// every byte must arrive once, in order, whatever the size, and a message must not show bytes of the
// one before it.
// A framed message leaves its pages in the read area for the next one; given back, they cost no memory,
// and the next message is still assembled whole.
TEST_F(ReceiverFixture, PagesOfALargeMessageAreGivenBackAndTheNextMessageStillArrivesWhole) {
    std::vector<std::string> packets{Control("STMB")};
    std::string message;
    for (int i = 0; i < 64; ++i) {
        packets.push_back(std::string(MAX_BUFFER, static_cast<char>('a' + i % 26)));
        message += packets.back();
    }
    packets.push_back(Control("ETMB"));
    for (int round = 0; round < 2; ++round) {
        Feed(packets);
        ASSERT_EQ(delivered.size(), 1u) << round;
        EXPECT_TRUE(delivered[0] == message) << round;
        delivered.clear();
        EXPECT_TRUE(receiver.HoldsSparePages()) << round;
        receiver.ReturnPages();
        EXPECT_FALSE(receiver.HoldsSparePages()) << round;
    }
    Feed({"small"});
    EXPECT_FALSE(receiver.HoldsSparePages());
}

// Pages resident in [From, To) of an area.
std::size_t ResidentPages(const TPipeReadArea &Area, std::size_t From, std::size_t To) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> residency((To - From) / page);
    EXPECT_EQ(mincore(Area.Data() + From, To - From, residency.data()), 0);
    std::size_t resident = 0;
    for (unsigned char r : residency)
        resident += r & 1;
    return resident;
}

TEST(PipeReadArea, ReturnedPagesLeaveMemoryKeptOnesStayAndAnEndedAreaIsKeptEmpty) {
    constexpr std::size_t kSize = 16u << 20, kUsed = 8u << 20, kKeep = 1u << 20;
    std::uint8_t *first = nullptr;
    {
        TPipeReadArea area(kSize);
        first = area.Data();
        std::memset(area.Data(), 'x', kUsed);
        area.Touch(kUsed);
        ASSERT_EQ(ResidentPages(area, kKeep, kUsed), (kUsed - kKeep) / sysconf(_SC_PAGESIZE));
        area.ReturnPages(kKeep);
        EXPECT_EQ(ResidentPages(area, kKeep, kUsed), 0u);
        EXPECT_EQ(area.Data()[kKeep - 1], 'x');
        EXPECT_FALSE(area.HoldsPagesBeyond(kKeep));
    }
    // The next connection gets the same address space back, without the pages.
    TPipeReadArea next(kSize);
    EXPECT_EQ(next.Data(), first);
    EXPECT_EQ(ResidentPages(next, 0, kSize), 0u);
}

TEST_F(ReceiverFixture, FramedMessagesOfEverySizeArriveWhole) {
    auto pattern = [](std::size_t Size, unsigned Seed) {
        std::string s(Size, '\0');
        for (std::size_t i = 0; i < Size; ++i)
            s[i] = char(Seed + i * 31 + i / 65521);
        return s;
    };
    struct Case {
        const char *name;
        std::size_t size;
        bool inFile;
    };
    const Case cases[] = {
        {"one packet", 100, false},
        {"exactly the memory limit", TPipeMultiMsg::kSpillBytes, false},
        {"one byte over the limit", TPipeMultiMsg::kSpillBytes + 1, true},
        {"over the limit by more than one staged write",
         TPipeMultiMsg::kSpillBytes + 2 * TPipeMultiMsg::kStageBytes + 12345, true},
        {"short again after a long one", 5000, false},
    };
    unsigned seed = 1;
    for (const Case &c : cases) {
        const std::string message = pattern(c.size, seed++);
        std::vector<std::string> packets{Control("STMB")};
        for (std::size_t at = 0; at < message.size(); at += MAX_BUFFER)
            packets.push_back(message.substr(at, MAX_BUFFER));
        packets.push_back(Control("ETMB"));
        packets.push_back("after");
        delivered.clear();
        bool inFile = false;
        receiver.Receive(Control("XXMB").data(), 16);
        for (std::size_t i = 0; i + 2 < packets.size(); ++i) {
            Feed({packets[i]});
            inFile = inFile || receiver.AssemblingInFile();
        }
        Feed({packets[packets.size() - 2], packets.back()});
        ASSERT_EQ(delivered.size(), 2u) << c.name;
        EXPECT_EQ(delivered[0].size(), message.size()) << c.name;
        EXPECT_TRUE(delivered[0] == message) << c.name;
        EXPECT_EQ(delivered[1], "after") << c.name;
        EXPECT_EQ(inFile, c.inFile) << c.name;
    }
}

TEST_F(ReceiverFixture, RandomStreamsMatchTheReferenceReading) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::uint8_t> bytes(random() % 600 + 1);
        for (auto &b : bytes)
            b = static_cast<std::uint8_t>(random());
        const std::vector<std::string> packets = test::PacketsFromBytes(bytes.data(), bytes.size(), 1u << 20);
        delivered.clear();
        receiver.Receive(Control("XXMB").data(), 16);
        Feed(packets);
        ASSERT_EQ(delivered, test::ExpectedMessages(packets)) << "round " << round;
    }
}

} // namespace
} // namespace trelvo
