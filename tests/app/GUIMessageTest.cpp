#include "app/GUIMessage.h"
#include "protocol/Protocol.h"

#include "CallLog.h"
#include "FakeStatistics.h"
#include "MemoryHostLink.h"
#include "RecordingGraphics.h"
#include "common/Clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

class TRecordingReporter : public IErrorReporter {
public:
    explicit TRecordingReporter(std::vector<QString> *Boxes) : FBoxes(Boxes) {}
    void ShowError(const QString &Text) override { FBoxes->push_back(Text); }

private:
    std::vector<QString> *FBoxes;
};

// The dispatcher with a recording facade, fake statistics and an in-memory host link.
class GUIMessageTest : public testing::Test {
protected:
    void SetUp() override {
        auto stats = std::make_unique<TFakeStatistics>(&FLog);
        FStats = stats.get();
        auto game = std::make_unique<TGame>(std::make_unique<TRecordingGraphics>(&FLog), std::move(stats));
        auto link = std::make_unique<TMemoryHostLink>();
        FHost = link.get();
        FDispatcher = std::make_unique<TGUIMessage>(std::move(game), std::move(link),
                                                    std::make_unique<TRecordingReporter>(&FBoxes),
                                                    [this] { ++FTerminations; });
    }

    // What the host receives after the client handled Text.
    std::vector<std::string> Exchange(const std::string &Text) {
        FHost->TakeSent();
        FHost->Deliver(Text);
        return FHost->TakeSent();
    }

    TManualClock FClock;
    TClockScope FScope{FClock};
    TMemoryHostLink *FHost = nullptr;
    TCallLog FLog;
    TFakeStatistics *FStats = nullptr;
    std::vector<QString> FBoxes;
    int FTerminations = 0;
    std::unique_ptr<TGUIMessage> FDispatcher;
};

QString Box(const char *bad) {
    return QStringLiteral("EConvertError ошибка с сообщением: '%1' is not a valid integer value")
        .arg(QString::fromUtf8(bad));
}

TEST_F(GUIMessageTest, HostLayerConversionErrorsEndInTheBoxAndStopTheMessage) {
    struct Case {
        const char *text;
        const char *bad;
        std::vector<std::string> calls; // what happened before the error stays done
    };
    const Case cases[] = {
        {"x;", "x", {}},
        {"7", "", {}},
        {"7;;1;", "", {}},
        {"1;600", "", {}},
        {"1;600;8x0;", "8x0", {}},
        {"5;Ann;1.2.3.4;m;srv;", "m", {}},
        {"6;abc;", "abc", {"ShowGUI()"}},
        {"99999999999;", "99999999999", {}},
    };
    for (const auto &c : cases) {
        FBoxes.clear();
        FLog.Clear();
        EXPECT_TRUE(Exchange(c.text).empty()) << c.text;
        ASSERT_EQ(FBoxes.size(), 1u) << c.text;
        EXPECT_EQ(FBoxes[0], Box(c.bad)) << c.text;
        EXPECT_EQ(FLog.Lines(), c.calls) << c.text;
    }
}

TEST_F(GUIMessageTest, HostCodesReachTheController) {
    struct Case {
        const char *text;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"1;600;800;", {"OnChatResize(600,800)"}},
        {"1;600;800", {"OnChatResize(600,800)"}},
        {"2;", {"ShowGUI()"}},
        {"2", {"ShowGUI()"}},
        {"4;", {"ShowGUI()"}},
        {"3;", {"HideGUI()"}},
        {"6;4242;", {"ShowGUI()", "SetParentWindow(4242)"}},
        {"5;Ann;1.2.3.4;1;srv;cc;m1;m2;",
         {"Stats.SetPlayerInfo(Ann,1.2.3.4,1)", "Stats.SetServerIP(srv)", "Stats.SetChatVersion(cc)",
          "Stats.SetMD5_CC(m1)", "Stats.SetMD5_Plugin(m2)"}},
        {"10;", {}},
        {"", {}},
    };
    for (const auto &c : cases) {
        FLog.Clear();
        EXPECT_TRUE(Exchange(c.text).empty()) << c.text;
        EXPECT_EQ(FLog.Lines(), c.calls) << c.text;
    }
    EXPECT_TRUE(FBoxes.empty());
}

TEST_F(GUIMessageTest, VersionCheckAlwaysAnswersExactlyOnce) {
    struct Case {
        const char *text;
        std::vector<std::string> out;
    };
    const Case cases[] = {
        {"7;1;0;", {"11;-1"}},
        {"7;1;x;", {"23;0", "11;-1"}},
        {"7;1;2;9;p;", {"11;-1"}},
        {"7;1;1;5;abc;", {"11;5"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Exchange(c.text), c.out) << c.text;
}

// A message is held twice more while it is decoded and read: one past the limit is refused whole
// before any of that, and one at the limit is handled as usual.
TEST_F(GUIMessageTest, AMessageOverTheSizeLimitIsRefusedBeforeItIsRead) {
    const std::string check = "7;1;1;5;";
    struct Case {
        std::size_t size;
        std::vector<std::string> out;
    };
    for (const Case &c : {Case{kMaxHostMessageBytes, {"11;5"}}, Case{kMaxHostMessageBytes + 1, {}}}) {
        std::string text = check;
        text.resize(c.size, 'x');
        EXPECT_EQ(Exchange(text), c.out) << c.size << " bytes";
        EXPECT_TRUE(FBoxes.empty());
    }
}

TEST_F(GUIMessageTest, IgnoredSubcodesSendNothing) {
    for (const char *text : {"7;8;1;", "7;17;", "7;18;1;", "7;19;1;", "7;99;", "7;0;"})
        EXPECT_TRUE(Exchange(text).empty()) << text;
}

TEST_F(GUIMessageTest, ControllerEventsLeaveAsExactMessages) {
    TGame &game = *FDispatcher->Game();
    struct Case {
        std::function<void()> raise;
        std::string out;
    };
    const Case cases[] = {
        {[&] { game.OnTableList(); }, "7;2;1;"},
        {[&] { game.OnCreateNewTable("1;0;0;"); }, "7;3;1;0;0;"},
        {[&] { game.OnExitInvite(12); }, "7;4;12"},
        {[&] { game.OnEnterTable(3); }, "7;5;3"},
        {[&] { game.OnPlayerReady(7, '1'); }, "7;8;7;1;"},
        {[&] { game.OnPlayerReady(7, '0'); }, "7;8;7;0;"},
        {[&] { game.OnPlayerGo(7, 200); }, "7;10;7;200;"},
        {[&] { game.OnPlayerTake(7); }, "7;11;7;"},
        {[&] { game.OnPlayerBito(7); }, "7;12;7;"},
        {[&] { game.OnPlayerCover(7, 31, 5); }, "7;14;7;31;5;"},
        {[&] { game.OnRoundStart(7); }, "7;18;7;"},
        {[&] { game.OnStopPlugin(); }, "22;1;"},
        {[&] { game.OnError(0); }, "23;0"},
        {[&] { game.OnPlayerTransfer(7, 9); }, "7;19;7;9;"},
        {[&] {
             bool c = true;
             FStats->OnStateConnected(c, "k1");
         },
         "7;20;1;k1;"},
        {[&] {
             bool c = false;
             FStats->OnStateConnected(c, "k2");
         },
         "7;20;0;k2;"},
        {[&] { FStats->OnSendSrvInfo(true); }, "7;21;1;"},
        {[&] { FStats->OnRedirect("3;Вася;"); }, "7;22;3;\xC2\xE0\xF1\xFF;"},
        {[&] { FStats->OnEndSendRedirect(false); }, "7;23;0;"},
    };
    for (const auto &c : cases) {
        FHost->TakeSent();
        c.raise();
        EXPECT_EQ(FHost->TakeSent(), std::vector<std::string>{c.out});
    }
}

TEST_F(GUIMessageTest, ClosingTheLinkTerminatesTheApplicationOnce) {
    FHost->Close();
    EXPECT_EQ(FTerminations, 1);
    // Nothing is sent and nothing fails once the link is gone.
    FDispatcher->Game()->OnTableList();
    EXPECT_TRUE(FHost->TakeSent().empty());
    FDispatcher.reset();
    EXPECT_EQ(FTerminations, 1);
}

TEST(GUIMessageWithoutHost, MessagesAreDroppedWithoutNoticeAndNothingFails) {
    TManualClock clock;
    TClockScope scope(clock);
    std::vector<QString> boxes;
    auto game =
        std::make_unique<TGame>(std::make_unique<TRecordingGraphics>(), std::make_unique<TFakeStatistics>());
    auto link = std::make_unique<TMemoryHostLink>();
    TMemoryHostLink &host = *link;
    host.SetConnected(false);
    TGUIMessage dispatcher(std::move(game), std::move(link), std::make_unique<TRecordingReporter>(&boxes),
                           [] {});
    dispatcher.Game()->OnPlayerReady(7, '1');
    dispatcher.HandleMessage(QStringLiteral("7;1;1;5;abc;"));
    clock.Advance(10000);
    EXPECT_TRUE(host.TakeSent().empty());
    EXPECT_TRUE(boxes.empty());
}

} // namespace
