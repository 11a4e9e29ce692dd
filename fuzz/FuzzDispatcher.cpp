// Drives protocol text from a hostile host through the dispatcher and the controller over the in-memory
// host link: every controller state is reached first by an ordinary script, then the input's lines are
// delivered as host messages, scene actions and clock steps.
//
// Input: the first byte picks the state to start from (0 to 6); the rest is split at '\n'. A line is
//   "@<k><bytes>"  a scene action k (take, bito, card played / covered / transferred, round end, ready,
//                  close, enter, create) with its bytes as arguments;
//   "#<n>"         the clock moves on by n × 250 ms (timers fire);
//   anything else  a message from the host, as raw bytes in the wire code page.
#include "FakeStatistics.h"
#include "MemoryHostLink.h"
#include "RecordingGraphics.h"

#include "app/ErrorReporter.h"
#include "app/GUIMessage.h"
#include "common/Clock.h"

#include <QCoreApplication>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace {

using trelvo::test::TMemoryHostLink;

class TSilentReporter : public trelvo::IErrorReporter {
public:
    void ShowError(const QString &) override {}
};

// The ordinary way into each state: a two-player game at table 12, Ann (this player) and Bob.
void DriveTo(int State, TMemoryHostLink &Host, trelvo::test::TRecordingGraphics &Scene) {
    Host.Deliver("5;Ann;10.0.0.2;1;srv;cc;m1;m2;");
    Host.Deliver("6;0;");
    Host.Deliver("1;600;800;");
    if (State >= 1)
        Host.Deliver("7;1;1;5;abc;");
    if (State >= 2) {
        Scene.OnEnterTable(12);
        Host.Deliver("7;6;12;2;0;Ann;1;1;Bob;0;");
    }
    if (State >= 3)
        Host.Deliver("7;9;2;30;0;Ann;1;Bob;0;4;13;24;2;7;1;5;8;3;11;");
    if (State == 4)
        Host.Deliver("7;10;1;0;3;11;0;");
    if (State == 5)
        Scene.OnPlayerTakeCard();
    if (State == 6)
        Host.Deliver("7;11;1;0;");
}

std::uint8_t Arg(std::string_view Line, std::size_t I) {
    return I < Line.size() ? static_cast<std::uint8_t>(Line[I]) : 0;
}

void SceneAction(std::string_view Line, trelvo::test::TRecordingGraphics &Scene) {
    switch (Arg(Line, 1) % 12) {
    case 0:
        Scene.OnPlayerTakeCard();
        break;
    case 1:
        Scene.OnPlayerBitoCard();
        break;
    case 2:
        Scene.OnCardGo(Arg(Line, 2));
        break;
    case 3:
        Scene.OnCardCover(Arg(Line, 2), Arg(Line, 3));
        break;
    case 4:
        Scene.OnCardTransfer(Arg(Line, 2));
        break;
    case 5:
        Scene.OnBitoEnd();
        break;
    case 6:
        Scene.OnRoundStart();
        break;
    case 7:
        Scene.OnReady(Arg(Line, 2) & 1);
        break;
    case 8:
        Scene.OnCloseInvite();
        break;
    case 9:
        Scene.OnEnterTable(Arg(Line, 2));
        break;
    case 10:
        Scene.OnCreateNewTable({(Arg(Line, 2) & 1) != 0, (Arg(Line, 2) & 2) != 0, (Arg(Line, 2) & 4) != 0});
        break;
    default:
        Scene.OnGetTempCard(Arg(Line, 2), Arg(Line, 3));
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // The dispatcher's queue pump needs an application object; nothing is shown.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
    if (Size == 0)
        return 0;
    trelvo::TManualClock clock;
    trelvo::TClockScope scope(clock);
    auto scene = std::make_unique<trelvo::test::TRecordingGraphics>();
    trelvo::test::TRecordingGraphics &sceneRef = *scene;
    auto game =
        std::make_unique<trelvo::TGame>(std::move(scene), std::make_unique<trelvo::test::TFakeStatistics>());
    auto link = std::make_unique<TMemoryHostLink>();
    TMemoryHostLink &host = *link;
    trelvo::TGUIMessage dispatcher(std::move(game), std::move(link), std::make_unique<TSilentReporter>(),
                                   [] {});

    DriveTo(Data[0] % 7, host, sceneRef);
    const std::string_view rest(reinterpret_cast<const char *>(Data) + 1, Size - 1);
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find('\n', start);
        if (end == std::string_view::npos)
            end = rest.size();
        const std::string_view line = rest.substr(start, end - start);
        if (!line.empty() && line[0] == '@')
            SceneAction(line, sceneRef);
        else if (!line.empty() && line[0] == '#')
            clock.Advance(250 * static_cast<std::int64_t>(Arg(line, 1)));
        else
            host.Deliver(line);
        host.TakeSent();
        start = end + 1;
    }
    clock.Advance(700000);
    return 0;
}
