// The host's end of the client's pipe under a client that floods it with requests.
#include "FramingModel.h"
#include "PipeTestSupport.h"

#include "host/HostLink.h"
#include "pipes/PipeSocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace trelvo;
using namespace trelvo::host;
using namespace trelvo::test;

namespace {

TEST(HostLinkFlowTest, AnswersKeepFlowingWhileInputKeepsComing) {
    const std::string name = UniquePipeName();
    THostLink link(name);
    ASSERT_TRUE(link.Open());
    int handled = 0;
    link.OnClientMessage = [&](const QString &) {
        ++handled;
        link.Send(QStringLiteral("7;18;1;"));
    };
    TRawPeer client(UniquePipeName());
    ASSERT_TRUE(client.Connect(name));
    constexpr int kRequests = 500;
    std::atomic<bool> written{false};
    std::thread writer([&] {
        for (int i = 0; i < kRequests; ++i)
            SendPacket(client.Socket(), "7;2;1;");
        written.store(true);
    });
    auto answers = [&] { return ExpectedMessages(client.WaitPackets(0, 0)).size(); };
    while (!written.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const std::size_t whileWriting = answers();
    const int handledWhileWriting = handled;
    writer.join();
    // The rest follows with a generous deadline.
    QElapsedTimer waited;
    waited.start();
    while (answers() < kRequests && waited.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        client.WaitPackets(client.WaitPackets(0, 0).size() + 1, 20);
    }
    // Answers go out while requests keep coming, and none is lost.
    EXPECT_GT(whileWriting, 0u) << handledWhileWriting << " requests handled meanwhile";
    EXPECT_EQ(answers(), std::size_t(kRequests));
}

// A client that sends requests and reads none of the answers is dropped once it is too far behind,
// instead of the host keeping every answer for it.
TEST(HostLinkFlowTest, AClientThatReadsNoAnswerIsDroppedWithItsAnswersBounded) {
    const std::string name = UniquePipeName();
    THostLink link(name);
    ASSERT_TRUE(link.Open());
    const QString answer = QStringLiteral("7;18;") + QString(4096, u'x') + u';';
    std::uint32_t mostQueued = 0;
    std::atomic<int> handled{0};
    bool dropped = false;
    link.OnClientDisconnected = [&] { dropped = true; };
    link.OnClientMessage = [&](const QString &) {
        ++handled;
        link.Send(answer);
        mostQueued = std::max(mostQueued, link.QueuedBytes());
    };
    TRawPeer client(UniquePipeName());
    ASSERT_TRUE(client.Connect(name, false));
    // Enough requests for 4 times the limit in answers; the writer stops once the host hangs up.
    const int requests = static_cast<int>(4 * kClientQueueLimit / 4096);
    std::thread writer([&] {
        for (int i = 0; i < requests; ++i)
            if (!SendPacket(client.Socket(), "7;2;1;"))
                break;
    });
    QElapsedTimer waited;
    waited.start();
    while (!dropped && waited.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    client.Hangup();
    writer.join();
    EXPECT_TRUE(dropped);
    EXPECT_LE(mostQueued, kClientQueueLimit + 2 * static_cast<std::uint32_t>(answer.size()));
    EXPECT_LT(handled.load(), requests);
}

} // namespace
