// The real client binary against a scripted host on the real pipe, checking the exact bytes.
#include "ClientProcess.h"

#include "HostPeer.h"
#include "pipes/PipeProtocol.h"
#include "pipes/PipeSocket.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

// Generous: a sanitized client on a busy machine takes seconds to start, and nothing here measures speed.
constexpr int kDeadlineMs = 30000;

// The host listens first, then starts the client, which connects once at start.
class ClientE2E : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FHost.Listening());
        FClient = std::make_unique<TClientProcess>();
        ASSERT_TRUE(FHost.WaitConnected(kDeadlineMs)) << "the client did not connect";
    }

    // Sends the host's opening messages and the accepted version check.
    void EnterLobby() {
        for (const char *m : {"5;Ann;10.0.0.1;1;srv;1.0;cc;pl;", "6;0;", "1;480;640;"})
            ASSERT_TRUE(FHost.Send(m));
        ASSERT_TRUE(FHost.Send("7;1;1;5;abc;"));
        FLobbyAt.start();
    }

    THostPeer FHost{kClientPipeName};
    std::unique_ptr<TClientProcess> FClient;
    QElapsedTimer FLobbyAt;
};

// The client's polls run on precise timers started once the version answer has reached it, which is
// after the host sent it: a poll may come late on a busy machine, never early.
TEST_F(ClientE2E, AcceptedVersionIsEchoedAndTheLobbyPollsAt500MsThenEvery5000Ms) {
    EnterLobby();
    const auto &first = FHost.WaitMessages(2, kDeadlineMs);
    ASSERT_EQ(first, (std::vector<std::string>{"11;5", "7;2;1;"}));
    EXPECT_GE(FLobbyAt.elapsed(), 500);
    ASSERT_EQ(FHost.WaitMessages(3, kDeadlineMs).size(), 3u);
    EXPECT_GE(FLobbyAt.elapsed(), 500 + 5000);
    EXPECT_EQ(FHost.TakeMessages().back(), "7;2;1;");
}

TEST_F(ClientE2E, VersionCheckAnswersInOrder) {
    struct Case {
        const char *in;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        {"7;1;x;", {"23;0", "11;-1"}}, {"7;1;0;", {"11;-1"}},
        {"7;1;2;7;p;", {"11;-1"}},     {"7;3;12;", {"23;0"}}, // the table number has no place for a ";"
        {"7;10;1;0;3;11;0;", {}},                             // a move outside a game does nothing
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(FHost.Send(c.in));
        if (c.out.empty())
            EXPECT_TRUE(FHost.Collect(300).empty()) << c.in;
        else
            EXPECT_EQ(FHost.WaitMessages(c.out.size(), kDeadlineMs), c.out) << c.in;
        FHost.TakeMessages();
    }
}

// What a hostile game server sends is refused in one answer per message, and the client goes on
// answering: each case ends with a version check of unknown status, answered -1.
TEST_F(ClientE2E, BadGameServerFieldsAreAnsweredOncePerMessageAndNeverForwarded) {
    const std::string badScale = "7;22;3;Ann;p9;1;srv;ip;1920;1080;wide;Linux;6.1;2;1.30;7.1;";
    std::string badTableList = "7;2;100000;0;0;0;0;";
    for (int i = 0; i < 500000; ++i)
        badTableList += "x;";
    struct Case {
        const char *name;
        std::vector<std::string> in;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        // A redirected report whose scale does not convert goes nowhere: a second one would be answered
        // "7;23;0;" at once if the first had been sent on.
        {"bad scale", {badScale, badScale}, {"23;0", "23;0"}},
        {"a megabyte of bad fields", {badTableList}, {"23;0"}},
        {"two messages, two answers", {"7;7;x;x;", "7;7;;"}, {"23;0", "23;0"}},
    };
    EnterLobby();
    for (const Case &c : cases) {
        for (const std::string &m : c.in)
            ASSERT_TRUE(FHost.Send(m)) << c.name;
        ASSERT_TRUE(FHost.Send("7;1;3;"));
        std::vector<std::string> expected = c.out, got;
        expected.push_back("11;-1");
        // The lobby's polls and the version answer of the lobby's start come in between.
        for (std::size_t seen = 0; got.empty() || got.back() != "11;-1";) {
            const auto &all = FHost.WaitMessages(seen + 1, kDeadlineMs);
            if (all.size() == seen)
                break;
            for (; seen < all.size(); ++seen)
                if (all[seen] != "7;2;1;" && all[seen] != "11;5")
                    got.push_back(all[seen]);
            if (got.size() >= expected.size())
                break;
        }
        EXPECT_EQ(got, expected) << c.name;
        FHost.TakeMessages();
    }
}

TEST_F(ClientE2E, UnknownCodesAndSubcodesAreIgnoredWithoutAnswer) {
    for (const char *m :
         {"99;", "0;", "7;8;1;", "7;17;", "7;18;1;", "7;19;1;", "7;99;1;", "8;", "9;", "3;", "2;"})
        ASSERT_TRUE(FHost.Send(m));
    // The version check is answered, and it is the first answer of all.
    ASSERT_TRUE(FHost.Send("7;1;1;7;id;"));
    EXPECT_EQ(FHost.WaitMessages(1, kDeadlineMs).front(), "11;7");
}

TEST_F(ClientE2E, ClosingThePipeEndsTheProcessWithZero) {
    EnterLobby();
    ASSERT_EQ(FHost.WaitMessages(1, kDeadlineMs).front(), "11;5");
    FHost.Close();
    QProcess &process = FClient->Process();
    EXPECT_TRUE(process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

// The host's end of the real pipe as raw packets: sees them exactly as the client writes them, and
// lets a test write as fast as the client reads.
class TRawHost {
public:
    TRawHost() {
        FListener = ListenPipe(PipePath("", kClientPipeName));
        if (FListener >= 0)
            FClient = std::make_unique<TClientProcess>();
    }
    ~TRawHost() {
        Close();
        if (FListener >= 0)
            ::close(FListener);
    }
    // Takes the client's connection; blocking from then on, reads wait at most the deadline.
    bool Accept() {
        pollfd p{FListener, POLLIN, 0};
        if (FListener < 0 || ::poll(&p, 1, kDeadlineMs) <= 0)
            return false;
        FPeer = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        timeval timeout{kDeadlineMs / 1000, 0};
        ::setsockopt(FPeer, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        return FPeer >= 0;
    }
    bool SendFramed(const std::string &Message) {
        for (const std::string &packet : {kStart, Message, kEnd})
            if (::send(FPeer, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size()))
                return false;
        return true;
    }
    // The next packet; empty when none came within the deadline.
    std::string Receive() {
        char buffer[70000];
        const ssize_t n = ::recv(FPeer, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, size_t(n)) : std::string();
    }
    void Close() {
        if (FPeer >= 0)
            ::shutdown(FPeer, SHUT_RDWR);
        if (FReader.joinable())
            FReader.join();
        if (FPeer >= 0)
            ::close(FPeer);
        FPeer = -1;
    }
    // From now on a thread of its own reads everything the client writes, at once, and counts the
    // messages that are Answer.
    void CountAnswers(std::string Answer) {
        FReader = std::thread([this, Answer = std::move(Answer)] {
            for (std::string packet; !(packet = Receive()).empty();)
                if (packet == Answer)
                    FAnswers.fetch_add(1);
        });
    }
    int Answers() const { return FAnswers.load(); }
    bool WaitAnswers(int Count, int DeadlineMs = kDeadlineMs) {
        for (QElapsedTimer waited; FAnswers.load() < Count;) {
            if (!waited.isValid())
                waited.start();
            if (waited.elapsed() > DeadlineMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    TClientProcess &Client() { return *FClient; }

    static inline const std::string kStart = [] {
        const auto p = MakeControlPacket(MB_START);
        return std::string(p.begin(), p.end());
    }();
    static inline const std::string kEnd = [] {
        const auto p = MakeControlPacket(MB_END);
        return std::string(p.begin(), p.end());
    }();

private:
    int FListener = -1;
    int FPeer = -1;
    std::unique_ptr<TClientProcess> FClient;
    std::thread FReader;
    std::atomic<int> FAnswers{0};
};

TEST(ClientE2EWire, EveryOutgoingMessageIsFramed) {
    TRawHost host;
    ASSERT_TRUE(host.Accept());
    host.SendFramed("7;1;x;");
    for (const char *expected : {"23;0", "11;-1"}) {
        EXPECT_EQ(host.Receive(), TRawHost::kStart);
        EXPECT_EQ(host.Receive(), expected);
        EXPECT_EQ(host.Receive(), TRawHost::kEnd);
    }
    host.Close();
    EXPECT_TRUE(host.Client().Process().waitForFinished(kDeadlineMs));
}

// A host that writes requests as fast as the client takes them must get answers all along, not only
// once it stops: the client may not read on while its answers wait.
TEST(ClientE2EWire, AnswersFlowWhileRequestsPourIn) {
    constexpr int kRequests = 3000;
    TRawHost host;
    ASSERT_TRUE(host.Accept());
    host.CountAnswers("11;-1");
    // Status 3 is no status the client knows: answered -1, nothing shown.
    int sent = 0;
    while (sent < kRequests && host.SendFramed("7;1;3;"))
        ++sent;
    const int duringInput = host.Answers();
    EXPECT_EQ(sent, kRequests);
    EXPECT_TRUE(host.WaitAnswers(kRequests));
    EXPECT_GE(duringInput, kRequests / 2) << "answers waited for the input to stop";
}

// The client's resident memory in KiB, from /proc; 0 when it cannot be read.
long ResidentKiB(qint64 Pid) {
    std::ifstream status("/proc/" + std::to_string(Pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// A hostile server opens a table again and again, without pause: what each opening makes is freed,
// and the client's memory stays within twice what it held once the lobby and a waiting room had
// been shown.
TEST(ClientE2EWire, TablesOpenedWithoutPauseLeaveTheMemoryAsItWas) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine";
#endif
    TRawHost host;
    ASSERT_TRUE(host.Accept());
    host.CountAnswers("11;-1");
    // Status 3 is no status the client knows: its answer -1 marks the end of what came before.
    for (const char *m : {"5;Ann;10.0.0.1;1;srv;1.0;cc;pl;", "6;0;", "1;480;640;", "7;1;1;5;abc;", "7;3;12",
                          "7;4;", "7;1;3;"})
        ASSERT_TRUE(host.SendFramed(m));
    ASSERT_TRUE(host.WaitAnswers(1));
    const qint64 pid = host.Client().Process().processId();
    const long start = ResidentKiB(pid);
    ASSERT_GT(start, 0);
    for (int round = 1; round <= 2; ++round) {
        for (int i = 0; i < 2000; ++i)
            ASSERT_TRUE(host.SendFramed("7;3;12"));
        ASSERT_TRUE(host.SendFramed("7;1;3;"));
        // Thousands of rooms take their time on a busy machine; only what is left over counts here.
        ASSERT_TRUE(host.WaitAnswers(1 + round, 4 * kDeadlineMs)) << "round " << round;
        EXPECT_LE(ResidentKiB(pid), 2 * start) << "round " << round << ", start " << start << " KiB";
    }
}

TEST_F(ClientE2E, HostClosingThePipeWhileAnErrorBoxIsOpenStillEndsTheClient) {
    EnterLobby();
    ASSERT_EQ(FHost.WaitMessages(1, kDeadlineMs).front(), "11;5");
    // A bad host-layer field raises and opens the modal error box, which nobody clicks.
    ASSERT_TRUE(FHost.Send("1;x;640;"));
    FHost.Close();
    QProcess &process = FClient->Process();
    EXPECT_TRUE(process.waitForFinished(kDeadlineMs)) << "the client outlived its host";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST(ClientE2EStart, WithoutAHostToConnectToTheClientLeavesWithZero) {
    struct Case {
        const char *name;
        int socketType; // what holds the pipe's name; 0: nothing
    };
    for (const Case c : {Case{"no listener", 0}, Case{"a stream socket holds the name", SOCK_STREAM}}) {
        int holder = -1;
        if (c.socketType != 0) {
            holder = socket(AF_UNIX, c.socketType | SOCK_CLOEXEC, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            const std::string path = std::string("\\\\.\\pipe\\") + kClientPipeName;
            std::memcpy(addr.sun_path + 1, path.data(), path.size());
            const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
            ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr *>(&addr), len), 0) << c.name;
            ASSERT_EQ(listen(holder, 1), 0) << c.name;
        }
        TClientProcess client;
        QProcess &process = client.Process();
        EXPECT_TRUE(process.waitForFinished(kDeadlineMs)) << c.name << ": the client stayed without its host";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << c.name;
        EXPECT_EQ(process.exitCode(), 0) << c.name;
        if (holder >= 0)
            close(holder);
    }
}

} // namespace
