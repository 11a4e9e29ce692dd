#include "FramingModel.h"
#include "PipeTestSupport.h"

#include "common/Exceptions.h"
#include "pipes/PipeSocket.h"
#include "pipes/Pipes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace trelvo {
namespace {

using test::Control;
using test::PumpUntil;
using test::TRawPeer;

std::string Pattern(std::size_t Size, unsigned Seed = 1) {
    std::string s(Size, '\0');
    for (std::size_t i = 0; i < Size; ++i)
        s[i] = char(Seed + i * 13 + i / 509);
    return s;
}

// What a client reports, in order.
struct TClientLog {
    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::vector<std::uint32_t> sent;

    void Bind(TPipeClient &Client) {
        Client.OnPipeMessage = [this](void *, TPipeHandle, TStream &S) {
            messages.push_back(S.Bytes());
            events.push_back("message");
        };
        Client.OnPipeDisconnect = [this](void *, TPipeHandle) { events.push_back("disconnect"); };
        Client.OnPipeError = [this](void *, TPipeHandle, TPipeContext Context, std::int32_t Code) {
            events.push_back("error " + std::to_string(Context) + " " + std::to_string(Code));
        };
        Client.OnPipeSent = [this](void *, TPipeHandle, std::uint32_t Size) { sent.push_back(Size); };
    }
};

// A server on the test thread with one client connected to it.
class ClientServer : public ::testing::Test {
protected:
    void SetUp() override {
        name = test::UniquePipeName();
        server.SetPipeName(name);
        server.OnPipeConnect = [this](void *, TPipeHandle Pipe) { connected.push_back(Pipe); };
        server.OnPipeDisconnect = [this](void *, TPipeHandle Pipe) { dropped.push_back(Pipe); };
        server.OnPipeMessage = [this](void *, TPipeHandle Pipe, TStream &S) {
            received.push_back(S.Bytes());
            if (echo)
                server.SendStream(Pipe, S);
        };
        ASSERT_TRUE(server.Open());
        client.SetPipeName(name);
        log.Bind(client);
    }

    void ConnectClient() {
        ASSERT_TRUE(client.Connect(0, true));
        ASSERT_TRUE(PumpUntil([&] { return !connected.empty(); }));
    }

    // The logs outlive the ends that write into them.
    std::string name;
    std::vector<TPipeHandle> connected, dropped;
    std::vector<std::string> received;
    bool echo = false;
    TClientLog log;
    TPipeServer server;
    TPipeClient client;
};

TEST_F(ClientServer, MessagesTravelBothWaysAndTheServerSeesTheConnection) {
    ConnectClient();
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(server.ClientCount(), 1u);
    echo = true;
    const std::string sizes[] = {"", "x", Pattern(65534), Pattern(65535), Pattern(200000, 7)};
    for (const std::string &text : sizes) {
        TMemoryStream s(text);
        ASSERT_TRUE(client.SendStream(s));
        ASSERT_TRUE(PumpUntil([&] { return log.messages.size() == received.size() && !received.empty(); }));
        EXPECT_EQ(received.back(), text);
        EXPECT_EQ(log.messages.back(), text);
        received.clear();
        log.messages.clear();
    }
    EXPECT_TRUE(log.events.size() == 5u && log.events.back() == "message");
}

// A stream in memory is sent from its own bytes where the send waits for the queue, and copied where it
// cannot (inside a handler): either way what arrives is what the stream held when it was sent, however
// the stream changes right after.
TEST_F(ClientServer, StreamsChangedRightAfterTheSendArriveAsTheyWere) {
    ConnectClient();
    const std::string sent = Pattern(3 * MAX_BUFFER + 5, 3);
    server.OnPipeMessage = [&](void *, TPipeHandle Pipe, TStream &S) {
        received.push_back(S.Bytes());
        TMemoryStream answer(sent);
        server.SendStream(Pipe, answer);
        answer.SetSize(0);
        answer.Write(std::string(sent.size(), 'x').data(), sent.size());
    };
    struct Case {
        const char *name;
        bool client;
    };
    for (const Case c : {Case{"outside a handler", true}, Case{"inside a handler", false}}) {
        received.clear();
        log.messages.clear();
        TMemoryStream s(sent);
        ASSERT_TRUE(client.SendStream(s)) << c.name;
        s.SetSize(0);
        s.Write(std::string(sent.size(), 'y').data(), sent.size());
        ASSERT_TRUE(PumpUntil([&] { return !log.messages.empty(); })) << c.name;
        EXPECT_TRUE((c.client ? received.at(0) : log.messages.at(0)) == sent) << c.name;
    }
}

TEST_F(ClientServer, SentEventsReportEachWriteOfAFramedMessage) {
    ConnectClient();
    TMemoryStream s(Pattern(65535));
    ASSERT_TRUE(client.SendStream(s));
    ASSERT_TRUE(PumpUntil([&] { return log.sent.size() == 4; }));
    EXPECT_EQ(log.sent, (std::vector<std::uint32_t>{16, 65534, 1, 16}));
}

TEST_F(ClientServer, WaitForReplyWaitsForTheNextMessage) {
    ConnectClient();
    EXPECT_FALSE(client.WaitForReply(30)) << "nothing arrives";
    echo = true;
    // Write, not SendStream: SendStream's wait runs the queue, so the echo could come inside it and
    // would no longer be the next message.
    ASSERT_TRUE(client.Write("ping", 4));
    EXPECT_TRUE(client.WaitForReply(5000));
    EXPECT_EQ(log.messages, (std::vector<std::string>{"ping"}));
}

TEST_F(ClientServer, ServerDroppingTheConnectionIsOnlyADisconnect) {
    ConnectClient();
    server.Disconnect(connected[0]);
    ASSERT_TRUE(PumpUntil([&] { return !client.Connected(); }));
    EXPECT_EQ(log.events, (std::vector<std::string>{"disconnect"}));
    EXPECT_EQ(dropped, connected);
    EXPECT_EQ(client.Pipe(), kInvalidPipe);
    // The client can connect again.
    ASSERT_TRUE(client.Connect(0, true));
    ASSERT_TRUE(PumpUntil([&] { return connected.size() == 2; }));
    EXPECT_NE(connected[1], connected[0]) << "connection ids are not reused";
}

TEST_F(ClientServer, ClientDisconnectRaisesItsDisconnectOnceAndTheServerReportsIt) {
    ConnectClient();
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(log.events, (std::vector<std::string>{"disconnect"}));
    ASSERT_TRUE(PumpUntil([&] { return dropped.size() == 1; }));
    client.Disconnect();
    EXPECT_EQ(log.events.size(), 1u);
}

TEST_F(ClientServer, DisconnectInsideAMessageHandlerWaitsForTheLoop) {
    ConnectClient();
    bool stillConnectedInHandler = false;
    bool handlerReturned = false;
    client.OnPipeMessage = [&](void *, TPipeHandle, TStream &) {
        client.Disconnect();
        stillConnectedInHandler = client.Connected();
        log.events.push_back("handler done");
        handlerReturned = true;
    };
    TMemoryStream s(std::string("bye"));
    server.SendStream(connected[0], s);
    ASSERT_TRUE(PumpUntil([&] { return !client.Connected(); }));
    EXPECT_TRUE(stillConnectedInHandler);
    EXPECT_EQ(log.events, (std::vector<std::string>{"handler done", "disconnect"}));
}

TEST_F(ClientServer, DestroyingAConnectedClientRaisesNoDisconnect) {
    auto other = std::make_unique<TPipeClient>();
    other->SetPipeName(name);
    TClientLog otherLog;
    otherLog.Bind(*other);
    ASSERT_TRUE(other->Connect(0, true));
    ASSERT_TRUE(PumpUntil([&] { return connected.size() == 1; }));
    other.reset();
    EXPECT_TRUE(otherLog.events.empty());
    ASSERT_TRUE(PumpUntil([&] { return dropped.size() == 1; }));
}

TEST_F(ClientServer, DestroyingTheClientInsideItsOwnHandlerIsSafe) {
    auto other = std::make_unique<TPipeClient>();
    other->SetPipeName(name);
    other->OnPipeMessage = [&](void *, TPipeHandle, TStream &) { other.reset(); };
    ASSERT_TRUE(other->Connect(0, true));
    ASSERT_TRUE(PumpUntil([&] { return connected.size() == 1; }));
    TMemoryStream s(std::string("die"));
    server.SendStream(connected[0], s);
    ASSERT_TRUE(PumpUntil([&] { return !other; }));
    ASSERT_TRUE(PumpUntil([&] { return dropped.size() == 1; }));
}

TEST_F(ClientServer, HundredMebibyteMessageIsAssembledInATemporaryFile) {
    ConnectClient();
    constexpr std::size_t kSize = 100u << 20;
    // A stream that makes its bytes on the fly, so the test holds no 100 MiB copy.
    class TPatternStream : public TStream {
    public:
        std::size_t Read(void *Buffer, std::size_t Count) override {
            const std::size_t n = std::min<std::uint64_t>(Count, kSize - FPos);
            auto *p = static_cast<std::uint8_t *>(Buffer);
            for (std::size_t i = 0; i < n; ++i)
                p[i] = static_cast<std::uint8_t>((FPos + i) * 2654435761u >> 13);
            FPos += n;
            return n;
        }
        void Write(const void *, std::size_t) override {}
        std::uint64_t Size() const override { return kSize; }
        void SetSize(std::uint64_t) override {}
        std::uint64_t Position() const override { return FPos; }
        void SetPosition(std::uint64_t P) override { FPos = P; }

    private:
        std::uint64_t FPos = 0;
    };
    bool inFile = false, matches = false;
    std::uint64_t size = 0;
    server.OnPipeMessage = [&](void *, TPipeHandle, TStream &S) {
        inFile = dynamic_cast<THandleStream *>(&S) != nullptr;
        size = S.Size();
        TPatternStream expected;
        std::vector<char> a(1 << 16), b(1 << 16);
        matches = S.Position() == 0;
        for (;;) {
            const std::size_t n = S.Read(a.data(), a.size());
            const std::size_t m = expected.Read(b.data(), b.size());
            if (n != m || std::memcmp(a.data(), b.data(), n) != 0) {
                matches = false;
                break;
            }
            if (n == 0)
                break;
        }
    };
    TPatternStream big;
    ASSERT_TRUE(client.SendStream(big));
    ASSERT_TRUE(PumpUntil([&] { return size != 0; }, 60000));
    EXPECT_TRUE(inFile);
    EXPECT_EQ(size, kSize);
    EXPECT_TRUE(matches);
}

TEST_F(ClientServer, MemoryThrottleHoldsTheQueueNearTheLimit) {
    ConnectClient();
    const std::string block = Pattern(1000);
    // Writes not yet reported as sent: bounded by the throttle (each record costs 1028), unbounded
    // without one, since nothing here runs the queue between writes.
    struct Case {
        std::uint32_t throttle;
        std::size_t maxOutstanding;
    };
    for (const Case c : {Case{4000, 8}, Case{0, 200}}) {
        client.SetMemoryThrottle(c.throttle);
        log.sent.clear();
        received.clear();
        std::size_t outstanding = 0;
        for (std::size_t i = 1; i <= 200; ++i) {
            ASSERT_TRUE(client.Write(block.data(), static_cast<std::uint32_t>(block.size())));
            outstanding = std::max(outstanding, i - log.sent.size());
        }
        if (c.throttle != 0)
            EXPECT_LE(outstanding, c.maxOutstanding);
        else
            EXPECT_EQ(outstanding, c.maxOutstanding);
        ASSERT_TRUE(PumpUntil([&] { return received.size() == 200; }));
        EXPECT_EQ(received.back(), block);
    }
}

TEST_F(ClientServer, ServerCloseDropsEveryConnection) {
    ConnectClient();
    TClientLog secondLog;
    TPipeClient second;
    secondLog.Bind(second);
    second.SetPipeName(name);
    ASSERT_TRUE(second.Connect(0, true));
    ASSERT_TRUE(PumpUntil([&] { return connected.size() == 2; }));
    server.Close();
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(dropped.size(), 2u);
    ASSERT_TRUE(PumpUntil([&] { return !client.Connected() && !second.Connected(); }));
    EXPECT_EQ(log.events, (std::vector<std::string>{"disconnect"}));
    EXPECT_EQ(secondLog.events, (std::vector<std::string>{"disconnect"}));
    EXPECT_FALSE(client.Connect(0, true)) << "nothing listens any more";
}

TEST(PipeServer, ASecondServerCannotTakeTheName) {
    const std::string name = test::UniquePipeName();
    TPipeServer first, second;
    first.SetPipeName(name);
    second.SetPipeName(name);
    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(second.Open());
    EXPECT_THROW(first.SetPipeName("other"), EPipeException);
}

// Client against a raw socket: the bytes on the wire.
class ClientWire : public ::testing::Test {
protected:
    void SetUp() override {
        name = test::UniquePipeName();
        peer = std::make_unique<TRawPeer>(name);
        client.SetPipeName(name);
        log.Bind(client);
        ASSERT_TRUE(client.Connect(0, true));
        ASSERT_TRUE(peer->Accept());
    }

    std::string name;
    std::unique_ptr<TRawPeer> peer;
    TClientLog log;
    TPipeClient client;
};

TEST_F(ClientWire, SendStreamWritesExactlyTheFramedPackets) {
    struct Case {
        std::size_t size;
        std::vector<std::size_t> parts;
    };
    const Case cases[] = {
        {0, {}}, {5, {5}}, {65534, {65534}}, {65535, {65534, 1}}, {131069, {65534, 65534, 1}}};
    std::size_t seen = 0;
    for (const Case &c : cases) {
        const std::string data = Pattern(c.size, 3);
        TMemoryStream s(data);
        s.SetPosition(s.Size()); // the whole stream goes, whatever its position
        ASSERT_TRUE(client.SendStream(s));
        const std::vector<std::string> all = peer->WaitPackets(seen + c.parts.size() + 2);
        ASSERT_EQ(all.size(), seen + c.parts.size() + 2) << c.size;
        EXPECT_EQ(all[seen], Control("STMB"));
        std::string joined;
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            EXPECT_EQ(all[seen + 1 + i].size(), c.parts[i]);
            joined += all[seen + 1 + i];
        }
        EXPECT_EQ(all[seen + 1 + c.parts.size()], Control("ETMB"));
        EXPECT_EQ(joined, data);
        seen = all.size();
    }
}

TEST_F(ClientWire, WriteSendsOnePacketAndSplitsAboveTheLimit) {
    ASSERT_TRUE(client.Write("abc", 3));
    const std::string big = Pattern(65535);
    ASSERT_TRUE(client.Write(big.data(), static_cast<std::uint32_t>(big.size())));
    // The worker waits for each sent event to be handled: keep the queue running.
    ASSERT_TRUE(PumpUntil([&] { return peer->WaitPackets(5, 0).size() >= 5; }));
    const auto all = peer->WaitPackets(5);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0], "abc");
    EXPECT_EQ(all[1], Control("STMB"));
    EXPECT_EQ(all[2], big.substr(0, 65534));
    EXPECT_EQ(all[3], big.substr(65534));
    EXPECT_EQ(all[4], Control("ETMB"));
}

TEST_F(ClientWire, AStreamThatFailsStillClosesItsFrameAndTheErrorLeaves) {
    class TFailingStream : public TMemoryStream {
    public:
        TFailingStream() : TMemoryStream(std::string(2 * MAX_BUFFER, 'f')) {}
        std::size_t Read(void *Buffer, std::size_t Count) override {
            if (Position() >= MAX_BUFFER)
                throw EStreamError("disk gone");
            return TMemoryStream::Read(Buffer, Count);
        }
    };
    TFailingStream s;
    EXPECT_THROW(client.SendStream(s), EStreamError);
    const auto all = peer->WaitPackets(3);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], Control("STMB"));
    EXPECT_EQ(all[1], std::string(MAX_BUFFER, 'f'));
    EXPECT_EQ(all[2], Control("ETMB"));
    EXPECT_TRUE(client.Connected());
}

TEST_F(ClientWire, PeerFramingReachesTheHandlerAsWholeMessages) {
    const std::string big(3 * MAX_BUFFER, 'u');
    for (const std::string &p : {Control("ETMB"), Control("STMB"), std::string("one"), Control("STMB"),
                                 std::string("two"), Control("ETMB"), big, Control("STMB"), Control("ETMB")})
        ASSERT_TRUE(peer->Send(p));
    ASSERT_TRUE(PumpUntil([&] { return log.messages.size() == 3; }));
    EXPECT_EQ(log.messages[0], "two");
    EXPECT_EQ(log.messages[1], big);
    EXPECT_EQ(log.messages[2], "");
}

TEST_F(ClientWire, PeerHangUpIsOneDisconnectAndNoError) {
    peer->Hangup();
    ASSERT_TRUE(PumpUntil([&] { return !client.Connected(); }));
    PumpUntil([] { return false; }, 20);
    EXPECT_EQ(log.events, (std::vector<std::string>{"disconnect"}));
    EXPECT_EQ(client.Pipe(), kInvalidPipe);
}

TEST_F(ClientWire, OtherIoErrorIsReportedBeforeTheDisconnect) {
    // A send buffer too small for a full data packet makes the kernel refuse it (EMSGSIZE).
    const int small = 4096;
    ASSERT_EQ(setsockopt(client.Pipe(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    const std::string big = Pattern(65534);
    ASSERT_TRUE(client.Write(big.data(), static_cast<std::uint32_t>(big.size())));
    ASSERT_TRUE(PumpUntil([&] { return !client.Connected(); }));
    EXPECT_EQ(log.events, (std::vector<std::string>{"error 1 " + std::to_string(EMSGSIZE), "disconnect"}));
    EXPECT_TRUE(client.Write("x", 1) == false);
}

TEST_F(ClientServer, BothEndsWritingAtOnceDoNotWaitForEachOther) {
    // Each worker waits for its peer to read every write; were that wait to stop the reading too, two
    // ends writing at once would wait for each other for ever.
    ConnectClient();
    std::vector<std::string> clientGot;
    client.OnPipeMessage = [&](void *, TPipeHandle, TStream &S) { clientGot.push_back(S.Bytes()); };
    const std::string block = Pattern(MAX_BUFFER, 5);
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(client.Write(block.data(), static_cast<std::uint32_t>(block.size())));
        ASSERT_TRUE(server.Write(connected[0], block.data(), static_cast<std::uint32_t>(block.size())));
    }
    ASSERT_TRUE(PumpUntil([&] { return received.size() == 40 && clientGot.size() == 40; }));
    EXPECT_EQ(received.back(), block);
    EXPECT_EQ(clientGot.back(), block);
}

TEST_F(ClientServer, ReconnectingInsideTheDisconnectEventKeepsTheNewConnection) {
    ConnectClient();
    client.OnPipeDisconnect = [&](void *, TPipeHandle) {
        client.OnPipeDisconnect = nullptr;
        ASSERT_TRUE(client.Connect(0, true));
        ASSERT_TRUE(client.Write("again", 5));
    };
    // Unsent data of the old connection must not reach the new one.
    const int small = 4096;
    ASSERT_EQ(setsockopt(client.Pipe(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    const std::string big = Pattern(MAX_BUFFER);
    ASSERT_TRUE(client.Write(big.data(), static_cast<std::uint32_t>(big.size()))); // fails: EMSGSIZE
    ASSERT_TRUE(client.Write("stale", 5));
    ASSERT_TRUE(PumpUntil([&] { return received.size() == 1; }));
    EXPECT_EQ(received, (std::vector<std::string>{"again"}));
    EXPECT_TRUE(client.Connected());
    EXPECT_TRUE(IsValidHandle(client.Pipe()));
}

TEST_F(ClientServer, DisconnectInsideTheDisconnectEventClosesNothingElse) {
    ConnectClient();
    int probe = -1;
    bool probeAlive = false;
    client.OnPipeDisconnect = [&](void *, TPipeHandle Pipe) {
        // The worker has closed the socket: its number is free, and the probe takes exactly it (a plain
        // dup would take the lowest free number, which the server's worker may have just freed too).
        probe = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, Pipe);
        EXPECT_EQ(probe, Pipe) << "the probe did not reuse the number; the check below proves less";
        client.Disconnect();
        probeAlive = fcntl(probe, F_GETFD) != -1;
    };
    server.Disconnect(connected[0]);
    ASSERT_TRUE(PumpUntil([&] { return probe != -1; }));
    EXPECT_TRUE(probeAlive);
    close(probe);
}

TEST(PipeClient, KillGraceLetsAPendingWriteFinishButNotHangOnAPeerThatNeverReads) {
    for (const bool peerReads : {true, false}) {
        const std::string name = test::UniquePipeName();
        TRawPeer peer(name);
        TClientLog log;
        TPipeClient client;
        log.Bind(client);
        client.SetPipeName(name);
        ASSERT_TRUE(client.Connect(0, true));
        ASSERT_TRUE(peer.Accept(5000, false));
        ASSERT_TRUE(client.Write("pending", 7));
        PumpUntil([] { return false; }, 20); // written, and waiting for the peer to read it
        EXPECT_TRUE(log.sent.empty());
        // A pending write the peer has read is reported inside the disconnect, also when the worker
        // learns it only in its kill grace; one the peer never reads stays unsent once the grace is over.
        // The peer reads before the disconnect, so that the grace does not race its reader thread.
        if (peerReads) {
            peer.StartReading();
            ASSERT_EQ(peer.WaitPackets(1, 30000).size(), 1u);
        }
        client.Disconnect();
        if (peerReads)
            EXPECT_EQ(log.sent, (std::vector<std::uint32_t>{7}));
        else
            EXPECT_TRUE(log.sent.empty());
        EXPECT_EQ(log.events, (std::vector<std::string>{"disconnect"}));
    }
}

TEST(PipeServer, SendsFramedPacketsToOneConnectionAndDropsIt) {
    const std::string name = test::UniquePipeName();
    TPipeServer server;
    server.SetPipeName(name);
    std::vector<TPipeHandle> connected, dropped;
    server.OnPipeConnect = [&](void *, TPipeHandle Pipe) { connected.push_back(Pipe); };
    server.OnPipeDisconnect = [&](void *, TPipeHandle Pipe) { dropped.push_back(Pipe); };
    ASSERT_TRUE(server.Open());
    TRawPeer peer(test::UniquePipeName());
    ASSERT_TRUE(peer.Connect(name));
    ASSERT_TRUE(PumpUntil([&] { return connected.size() == 1; }));
    EXPECT_TRUE(server.Connected(connected[0]));
    EXPECT_EQ(server.Clients(), connected);

    const std::string data = Pattern(65535, 9);
    TMemoryStream s(data);
    ASSERT_TRUE(server.SendStream(connected[0], s));
    EXPECT_FALSE(server.SendStream(connected[0] + 1, s)) << "no such connection";
    const auto all = peer.WaitPackets(4);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0], Control("STMB"));
    EXPECT_EQ(all[1] + all[2], data);
    EXPECT_EQ(all[1].size(), MAX_BUFFER);
    EXPECT_EQ(all[3], Control("ETMB"));

    server.Disconnect(connected[0]);
    EXPECT_EQ(dropped, connected);
    EXPECT_EQ(server.ClientCount(), 0u);
    for (int i = 0; i < 200 && !peer.PeerClosed(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(peer.PeerClosed());
}

// A peer that reads nothing must not hold the server's thread or grow its memory: sending from inside
// a message handler never waits, sending outside one waits for the queue; either way the connection
// goes once the peer has fallen too far behind.
TEST(PipeServer, APeerThatReadsNothingIsDroppedWithItsQueueBounded) {
    constexpr std::uint32_t kLimit = 1 << 20;
    const std::string answer = Pattern(64 * 1024, 3);
    for (const bool insideHandler : {false, true}) {
        SCOPED_TRACE(insideHandler ? "answers sent inside the handler" : "messages sent outside a handler");
        const std::string name = test::UniquePipeName();
        TPipeServer server;
        server.SetPipeName(name);
        server.SetQueueLimit(kLimit);
        server.SetStallLimitMs(300);
        std::vector<TPipeHandle> connected, dropped;
        std::uint32_t mostQueued = 0;
        int sends = 0;
        auto send = [&](TPipeHandle Pipe) {
            TMemoryStream s(answer);
            const bool sent = server.SendStream(Pipe, s);
            ++sends;
            mostQueued = std::max(mostQueued, server.QueuedBytes(Pipe));
            return sent;
        };
        server.OnPipeConnect = [&](void *, TPipeHandle Pipe) { connected.push_back(Pipe); };
        server.OnPipeDisconnect = [&](void *, TPipeHandle Pipe) { dropped.push_back(Pipe); };
        server.OnPipeMessage = [&](void *, TPipeHandle Pipe, TStream &) { send(Pipe); };
        ASSERT_TRUE(server.Open());
        TRawPeer peer(test::UniquePipeName());
        ASSERT_TRUE(peer.Connect(name, false));
        ASSERT_TRUE(PumpUntil([&] { return connected.size() == 1; }));
        // Should a wait never end, the peer starts reading after a minute, so that the test fails
        // instead of hanging.
        std::atomic<bool> done{false};
        std::atomic<bool> rescued{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 600 && !done.load(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!done.load()) {
                rescued.store(true);
                peer.StartReading();
            }
        });
        constexpr int kMessages = 200; // 12.5 MiB of answers, far past the limit
        if (insideHandler) {
            for (int i = 0; i < kMessages && dropped.empty(); ++i) {
                if (!test::SendPacket(peer.Socket(), "request"))
                    break;
                PumpUntil([&] { return sends > i || !dropped.empty(); }, 30000);
            }
        } else {
            for (int i = 0; i < kMessages && send(connected[0]); ++i) {
            }
        }
        EXPECT_TRUE(PumpUntil([&] { return !dropped.empty(); }, 30000));
        done.store(true);
        watchdog.join();
        EXPECT_FALSE(rescued.load()) << "a send waited for the peer until it read";
        EXPECT_EQ(dropped, connected);
        EXPECT_LE(mostQueued, kLimit + answer.size() + 4096);
        EXPECT_LT(sends, kMessages);
    }
}

TEST(PipeClient, ConnectWithoutAListenerFailsAtOnceWithoutEvents) {
    TClientLog log;
    TPipeClient client;
    log.Bind(client);
    client.SetPipeName(test::UniquePipeName());
    EXPECT_FALSE(client.Connect(0, true));
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.Pipe(), kInvalidPipe);
    PumpUntil([] { return false; }, 20);
    EXPECT_TRUE(log.events.empty());
    TMemoryStream s(std::string("x"));
    EXPECT_FALSE(client.SendStream(s));
    EXPECT_FALSE(client.Write("x", 1));
}

TEST(PipeClient, AFullBacklogIsWaitedForUpToTheWaitTime) {
    // A listener that takes one pending connection and accepts nobody: the second client finds it busy.
    const std::string name = test::UniquePipeName();
    const std::string path = PipePath("", name);
    const int listener = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + 1, path.data(), path.size());
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr *>(&addr), len), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    const TPipeHandle first = ConnectPipe(path, 0);
    ASSERT_TRUE(IsValidHandle(first));

    struct Case {
        std::uint32_t wait;
        std::uint64_t atLeast;
    };
    for (const Case c : {Case{0, 50}, Case{120, 120}}) {
        TPipeClient client;
        client.SetPipeName(name);
        const std::uint64_t start = TickMs();
        EXPECT_FALSE(client.Connect(c.wait, true));
        // A lower bound only: it shows the retries, and a slow machine cannot break it.
        EXPECT_GE(TickMs() - start, c.atLeast);
    }

    // Room made within the wait time lets the client in.
    std::thread accepter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        close(accept(listener, nullptr, nullptr));
    });
    TPipeClient client;
    client.SetPipeName(name);
    EXPECT_TRUE(client.Connect(2000, false));
    accepter.join();
    close(first);
    close(listener);
}

TEST(PipeClient, ServerNameSelectsThePath) {
    char host[261] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string upper = host;
    for (char &c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(PipePath("", "P"), "\\\\.\\pipe\\P");
    EXPECT_EQ(PipePath(upper, "P"), "\\\\.\\pipe\\P");
    EXPECT_EQ(PipePath("elsewhere", "P"), "\\\\elsewhere\\pipe\\P");

    const std::string name = test::UniquePipeName();
    TRawPeer peer(name);
    TPipeClient client;
    client.SetPipeName(name);
    client.SetServerName("elsewhere");
    EXPECT_FALSE(client.Connect(0, true));
    client.SetServerName(upper);
    EXPECT_TRUE(client.Connect(0, true));
    EXPECT_TRUE(peer.Accept());
}

TEST(PipeClient, ConnectWithoutStartOpensThePipeAndStartsLater) {
    const std::string name = test::UniquePipeName();
    TRawPeer peer(name);
    TPipeClient client;
    client.SetPipeName(name);
    ASSERT_TRUE(client.Connect(0, false));
    EXPECT_FALSE(client.Connected());
    const TPipeHandle open = client.Pipe();
    EXPECT_TRUE(IsValidHandle(open));
    EXPECT_THROW(client.SetPipeName("x"), EPipeException) << "an open handle also refuses changes";
    ASSERT_TRUE(client.Connect(0, true));
    EXPECT_TRUE(client.Connected());
    EXPECT_EQ(client.Pipe(), open);
    EXPECT_TRUE(client.Connect(0, true)) << "connecting again changes nothing";
    EXPECT_EQ(client.Pipe(), open);
    client.Disconnect();
    EXPECT_EQ(client.Pipe(), kInvalidPipe);

    ASSERT_TRUE(client.Connect(0, false));
    client.Disconnect();
    EXPECT_EQ(client.Pipe(), kInvalidPipe) << "an open pipe without a worker is closed";
}

TEST(PipeClient, PropertiesRefuseBadValuesWithTheirMessages) {
    struct Case {
        std::string name;
        bool accepted;
    };
    const Case cases[] = {
        {std::string(256, 'n'), true},
        {std::string(128, 'n') + std::string(64, '\xd0') + std::string(64, 'n'), true},
        {std::string(257, 'n'), false},
        {"a\\b", false},
        {"", false},
        {"{05093645-25FA-49B3-B318-E73C28980D2C}", true},
    };
    TPipeClient client;
    EXPECT_EQ(client.PipeName(), "PipeServer");
    EXPECT_EQ(client.ServerName(), "");
    EXPECT_EQ(client.MemoryThrottle(), 10240000u);
    for (const Case &c : cases) {
        client.SetPipeName("before");
        if (c.accepted) {
            EXPECT_NO_THROW(client.SetPipeName(c.name));
            EXPECT_EQ(client.PipeName(), c.name);
            continue;
        }
        try {
            client.SetPipeName(c.name);
            ADD_FAILURE() << "accepted " << c.name.size();
        } catch (const EPipeException &e) {
            EXPECT_EQ(e.Message(), "Invalid pipe name specified!");
            EXPECT_STREQ(e.ClassName(), "EPipeException");
        }
        EXPECT_EQ(client.PipeName(), "before");
    }

    const std::string name = test::UniquePipeName();
    TRawPeer peer(name);
    client.SetPipeName(name);
    ASSERT_TRUE(client.Connect(0, true));
    for (auto set :
         {+[](TPipeClient &C) { C.SetPipeName("other"); }, +[](TPipeClient &C) { C.SetServerName("x"); }}) {
        try {
            set(client);
            ADD_FAILURE() << "changed while connected";
        } catch (const EPipeException &e) {
            EXPECT_EQ(e.Message(), "Cannot change property when client is connected!");
        }
    }
    EXPECT_EQ(client.PipeName(), name);
    EXPECT_EQ(client.ServerName(), "");
}

TEST(PipeClient, ConnectFromAnotherThreadReportsTheWrongThread) {
    const std::string name = test::UniquePipeName();
    TRawPeer peer(name);
    TPipeClient client;
    client.SetPipeName(name);
    std::thread other([&] {
        client.Connect(0, true);
        // The worker's end is delivered to the thread that made it, this one.
        PumpUntil([&] { return !client.Connected(); });
    });
    other.join();
    EXPECT_FALSE(client.Connected());
    try {
        PumpUntil([] { return false; }, 50);
        ADD_FAILURE() << "no error";
    } catch (const EPipeException &e) {
        EXPECT_EQ(e.Message(), "The notify window and the component window do not exist in the same thread!");
    }
}

} // namespace
} // namespace trelvo

namespace trelvo {
namespace {

// A client whose handler may hold the message, as a modal error box does, against a raw peer.
class ClientHeld : public ::testing::Test {
protected:
    void SetUp() override {
        name = test::UniquePipeName();
        peer = std::make_unique<TRawPeer>(name);
        client.SetPipeName(name);
        client.OnPipeDisconnect = [this](void *, TPipeHandle) { ++disconnects; };
        ASSERT_TRUE(client.Connect(0, true));
        ASSERT_TRUE(peer->Accept());
    }

    std::string name;
    std::unique_ptr<TRawPeer> peer;
    int disconnects = 0;
    TPipeClient client;
};

TEST_F(ClientHeld, PeerHangingUpWhileAHandlerIsHeldIsReportedAtOnceAndOnlyOnce) {
    bool seenInside = false;
    client.OnPipeMessage = [&](void *, TPipeHandle, TStream &) {
        peer->Hangup();
        // The nested loop of a modal box: it ends only when the end is heard.
        seenInside = PumpUntil([&] { return disconnects > 0; });
    };
    ASSERT_TRUE(peer->Send("show a box"));
    ASSERT_TRUE(PumpUntil([&] { return !client.Connected(); }));
    EXPECT_TRUE(seenInside);
    EXPECT_EQ(disconnects, 1);
}

TEST_F(ClientHeld, AnswersOfAHeldHandlerGoOutAndTheThrottleHoldsInsideIt) {
    // One message that makes its handler write far more than the throttle: the queue stays near the
    // limit, since the worker writes while it waits for the handler.
    client.SetMemoryThrottle(20000);
    const std::string answer = Pattern(100);
    constexpr int kAnswers = 2000;
    std::uint32_t largest = 0;
    int written = 0;
    client.OnPipeMessage = [&](void *, TPipeHandle, TStream &) {
        for (int i = 0; i < kAnswers && client.Write(answer.data(), 100); ++i) {
            ++written;
            largest = std::max(largest, client.DataSizeForTest());
        }
    };
    ASSERT_TRUE(peer->Send("ask"));
    ASSERT_TRUE(PumpUntil([&] { return peer->WaitPackets(kAnswers, 0).size() == kAnswers; }));
    EXPECT_EQ(written, kAnswers);
    EXPECT_LE(largest, 20000u + 128u);
}

TEST_F(ClientHeld, AnswersGoOutBetweenReadsWhileInputKeepsComing) {
    // The second message is held until the peer has the answer to the first: a worker that read all
    // input before writing would never get there.
    constexpr int kInputs = 40;
    for (int i = 0; i < kInputs; ++i)
        ASSERT_TRUE(peer->Send("in " + std::to_string(i)));
    int handled = 0;
    bool firstAnswerSeen = false;
    client.OnPipeMessage = [&](void *, TPipeHandle, TStream &) {
        if (++handled == 1)
            client.Write("answer", 6);
        else if (handled == 2)
            firstAnswerSeen = PumpUntil([&] { return !peer->WaitPackets(1, 0).empty(); });
    };
    ASSERT_TRUE(PumpUntil([&] { return handled == kInputs; }));
    EXPECT_TRUE(firstAnswerSeen);
}

} // namespace
} // namespace trelvo
