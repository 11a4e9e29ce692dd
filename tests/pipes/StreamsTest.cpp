#include "pipes/Streams.h"
#include "pipes/MultiMsg.h"
#include "pipes/PipeProtocol.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>

namespace trelvo {
namespace {

TEST(FastMemStream, ReservesByTheGrowthRule) {
    struct Case {
        std::size_t need;
        std::size_t capacity;
    };
    const Case cases[] = {{1, 65536}, {65535, 131070}, {65536, 81920}, {100000, 125000}};
    for (const Case &c : cases) {
        TFastMemStream s;
        s.Write(std::string(c.need, 'x').data(), c.need);
        EXPECT_EQ(s.Capacity(), c.capacity) << "need " << c.need;
        EXPECT_EQ(s.Size(), c.need);
    }
}

TEST(FastMemStream, GrowsOnlyWhenTheReserveRunsOutAndClearFreesIt) {
    TFastMemStream s;
    const std::string chunk(30000, 'a');
    s.Write(chunk.data(), chunk.size()); // 30000 + 65535 reserved
    s.Write(chunk.data(), chunk.size());
    s.Write(chunk.data(), chunk.size());
    EXPECT_EQ(s.Capacity(), 95535u);
    s.Write(chunk.data(), chunk.size()); // needs 120000: 120000 + 30000
    EXPECT_EQ(s.Capacity(), 150000u);
    EXPECT_EQ(s.Bytes(), std::string(120000, 'a'));
    s.Clear();
    EXPECT_EQ(s.Capacity(), 0u);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(Streams, BytesKeepsThePositionAndReadStopsAtTheEnd) {
    TMemoryStream s(std::string("hello world"));
    char head[5];
    ASSERT_EQ(s.Read(head, 5), 5u);
    EXPECT_EQ(s.Bytes(), "hello world");
    EXPECT_EQ(s.Position(), 5u);
    char rest[20];
    EXPECT_EQ(s.Read(rest, sizeof rest), 6u);
    EXPECT_EQ(s.Read(rest, sizeof rest), 0u);
}

TEST(Streams, AssemblyMovesToAnUnnamedTemporaryFileWhenItGrows) {
    TPipeMultiMsg message;
    const std::string small(1000, 's');
    message.Append(small.data(), small.size());
    EXPECT_FALSE(message.InFile()) << "a short message costs no file";
    const std::string big(TPipeMultiMsg::kSpillBytes, 'b');
    message.Append(big.data(), big.size());
    ASSERT_TRUE(message.InFile()) << "no O_TMPFILE in the temporary directory";
    EXPECT_NE(dynamic_cast<THandleStream *>(&message.Stream()), nullptr);
    message.Append("!", 1);
    message.Stream().SetPosition(0);
    EXPECT_EQ(message.Stream().Size(), small.size() + big.size() + 1);
    EXPECT_EQ(message.Stream().Bytes(), small + big + "!");
}

TEST(Streams, AssemblyStaysInMemoryWithoutATemporaryDirectory) {
    const char *saved = std::getenv("TMPDIR");
    const std::string keep = saved ? saved : "";
    setenv("TMPDIR", "/nonexistent-trelvo-dir", 1);
    {
        TPipeMultiMsg message;
        const std::string big(TPipeMultiMsg::kSpillBytes + 10, 'm');
        message.Append(big.data(), big.size());
        message.Append("abc", 3);
        EXPECT_FALSE(message.InFile());
        EXPECT_EQ(message.Stream().Bytes(), big + "abc");
    }
    if (saved)
        setenv("TMPDIR", keep.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

// A file-size limit makes every write past it fail as a full disk does (EFBIG instead of ENOSPC).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        FSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{Bytes, FSaved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FSignal);
    }

private:
    rlimit FSaved{};
    void (*FSignal)(int) = nullptr;
};

TEST(Streams, AssemblyGoesBackToMemoryWhenTheTemporaryFileCannotBeWritten) {
    // The limit falls inside a packet: the part of it the file took must not be counted twice.
    const std::size_t limit = TPipeMultiMsg::kSpillBytes + 3 * MAX_BUFFER + 100;
    std::string expected;
    TPipeMultiMsg message;
    {
        TFileSizeLimit full(limit);
        for (std::size_t i = 0; expected.size() < limit + TPipeMultiMsg::kStageBytes + 4 * MAX_BUFFER; ++i) {
            const std::string packet(MAX_BUFFER, static_cast<char>('a' + i % 26));
            message.Append(packet.data(), packet.size());
            expected += packet;
        }
    }
    EXPECT_FALSE(message.InFile());
    EXPECT_FALSE(message.Lost());
    EXPECT_EQ(message.Stream().Size(), expected.size());
    EXPECT_TRUE(message.Stream().View() == expected) << "the bytes, in order, once each";
}

TEST(Streams, ViewsShowTheWholeContentWithoutMovingThePosition) {
    TMemoryStream memory(std::string("in memory"));
    memory.SetPosition(3);
    EXPECT_EQ(memory.View(), "in memory");
    EXPECT_EQ(memory.View().data(), reinterpret_cast<const char *>(memory.Memory())) << "no copy";
    EXPECT_EQ(memory.Position(), 3u);

    TPipeMultiMsg spilled;
    const std::string big(TPipeMultiMsg::kSpillBytes + 1, 'v');
    spilled.Append(big.data(), big.size());
    ASSERT_TRUE(spilled.InFile());
    EXPECT_TRUE(spilled.Stream().View() == big);
    spilled.Append("w", 1);
    EXPECT_TRUE(spilled.Stream().View() == big + "w") << "a write after a view shows in the next view";

    const char bytes[] = "borrowed";
    TMemoryView view(bytes, 8);
    EXPECT_EQ(view.View().data(), bytes);
    EXPECT_EQ(view.Bytes(), "borrowed");
    EXPECT_THROW(view.Write("x", 1), EStreamError);
}

} // namespace
} // namespace trelvo
