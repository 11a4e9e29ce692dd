#include "stats/Statistics.h"

#include "RecordingGraphics.h"
#include "StubFixture.h"
#include "game/Game.h"

#include <memory>
#include <utility>
#include <vector>

namespace trelvo {
namespace {

using test::kDeadlineMs;
using test::SpinUntil;
using test::TStubAnswer;

// The controller with the real service, as the program wires them.
class StatisticsInTheController : public test::TStubFixture {
protected:
    StatisticsInTheController()
        : Game(std::make_unique<test::TRecordingGraphics>(), std::make_unique<TStatistics>(Stub.Endpoint())) {
        Game.OnTableList = [] {};
        Game.SetOnRedirectPlayerInfo([this](const QString &Data) { Redirects.push_back(Data); });
        Game.SetOnStateConnected(
            [this](bool &Connected, const QString &Kind) { Checks.emplace_back(Connected, Kind); });
        Game.SetPlayerInfo(QStringLiteral("Ann"), QStringLiteral("10.0.0.2"), 1);
    }

    TGame Game;
    std::vector<QString> Redirects;
    std::vector<std::pair<bool, QString>> Checks;
};

TEST_F(StatisticsInTheController, UnreachableInternetComesBackAsRedirectAMinuteAfterTheVersionCheck) {
    Stub.Script(test::kProbePath, TStubAnswer::Drop());
    Game.OnCheckVersion(QStringLiteral("1;5;77;"));
    Clock.Advance(kSendDelayMs - 1);
    EXPECT_EQ(TReportThread::LiveCount(), 0);
    Clock.Advance(1);
    ASSERT_TRUE(SpinUntil([&] { return !Redirects.empty(); }, kDeadlineMs));
    EXPECT_TRUE(Redirects[0].startsWith(QStringLiteral("2;Ann;77;1;;10.0.0.2;")))
        << Redirects[0].toStdString();
    EXPECT_EQ(Stub.Count(kPathGetIP), 0);
}

TEST_F(StatisticsInTheController, ReachabilityCheckAnswersWithTheHostsTag) {
    Game.CheckInternet(QStringLiteral("k1;"));
    ASSERT_TRUE(SpinUntil([&] { return !Checks.empty(); }, kDeadlineMs));
    EXPECT_EQ(Checks, (std::vector<std::pair<bool, QString>>{{true, QStringLiteral("k1")}}));
}

} // namespace
} // namespace trelvo
