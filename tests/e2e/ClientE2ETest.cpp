// The real client binary against a scripted host on the real pipe, checking the exact bytes.
#include "ClientProcess.h"

#include "HostPeer.h"
#include "pipes/PipeProtocol.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstddef>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
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

// A raw listener on the real pipe name: sees the packets exactly as the client writes them.
TEST(ClientE2EWire, EveryOutgoingMessageIsFramed) {
    const int listener = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = std::string("\\\\.\\pipe\\") + kClientPipeName;
    std::memcpy(addr.sun_path + 1, path.data(), path.size());
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&addr), len), 0);
    ASSERT_EQ(::listen(listener, 4), 0);

    TClientProcess client;
    const int peer = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    timeval timeout{kDeadlineMs / 1000, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    auto sendFramed = [&](const std::string &m) {
        const auto start = MakeControlPacket(MB_START), end = MakeControlPacket(MB_END);
        ::send(peer, start.data(), start.size(), MSG_NOSIGNAL);
        ::send(peer, m.data(), m.size(), MSG_NOSIGNAL);
        ::send(peer, end.data(), end.size(), MSG_NOSIGNAL);
    };
    auto receive = [&] {
        char buffer[70000];
        const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, size_t(n)) : std::string();
    };
    const auto start = MakeControlPacket(MB_START), end = MakeControlPacket(MB_END);
    const std::string startBytes(start.begin(), start.end()), endBytes(end.begin(), end.end());

    sendFramed("7;1;x;");
    for (const char *expected : {"23;0", "11;-1"}) {
        EXPECT_EQ(receive(), startBytes);
        EXPECT_EQ(receive(), expected);
        EXPECT_EQ(receive(), endBytes);
    }
    ::close(peer);
    ::close(listener);
    EXPECT_TRUE(client.Process().waitForFinished(kDeadlineMs));
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
