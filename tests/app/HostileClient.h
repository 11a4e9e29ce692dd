#pragma once

#include "FakeStatistics.h"
#include "MemoryHostLink.h"

#include "app/ErrorReporter.h"
#include "app/GUIMessage.h"
#include "common/Clock.h"
#include "common/Exceptions.h"
#include "scene/Graphic.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace trelvo::test {

// The client as a hostile game server meets it: the real dispatcher, controller and scene (offscreen,
// on a manual clock) behind an in-memory host link. What would end the program is counted instead:
// an error that reaches the dispatcher's box, and an error that escapes a timer of the scene or the
// controller (in the program it leaves the event loop and aborts).
class THostileClient {
public:
    // A two-player game at table 12: Ann (this player, id 0) and Bob (id 1).
    static constexpr const char *kStartGame = "7;9;2;30;0;Ann;1;Bob;0;4;13;24;2;7;1;5;8;3;11;";

    THostileClient() {
        auto scene = std::make_unique<scene::TGraphics>();
        FScene = scene.get();
        auto game = std::make_unique<TGame>(std::move(scene), std::make_unique<TFakeStatistics>());
        auto link = std::make_unique<TMemoryHostLink>();
        FHost = link.get();
        FDispatcher = std::make_unique<TGUIMessage>(std::move(game), std::move(link),
                                                    std::make_unique<TReporter>(&FBoxes), [] {});
    }

    // The ordinary way into a controller state (0 to 6).
    void DriveTo(int State) {
        Deliver("5;Ann;10.0.0.2;1;srv;cc;m1;m2;");
        Deliver("1;600;800;");
        if (State >= 1)
            Deliver("7;1;1;5;abc;");
        if (State >= 2) {
            Scene().OnEnterTable(12);
            Deliver("7;6;12;2;0;Ann;1;1;Bob;0;");
        }
        if (State >= 3)
            Deliver(kStartGame);
        if (State == 4)
            Deliver("7;10;1;0;3;11;0;");
        if (State == 5)
            Scene().OnPlayerTakeCard();
        if (State == 6)
            Deliver("7;11;1;0;");
        Run(10000);
        FHost->TakeSent();
    }

    // One message from the host, then Ms of game time so that the timers it started fire.
    void Deliver(std::string_view Bytes, std::int64_t Ms = 0) {
        FHost->Deliver(Bytes);
        Run(Ms);
    }
    void Run(std::int64_t Ms) {
        try {
            FClock.Advance(Ms);
        } catch (const Exception &Error) {
            FDeaths.push_back(std::string(Error.ClassName()) + ": " + Error.Message());
        }
    }

    std::vector<std::string> TakeSent() { return FHost->TakeSent(); }
    TGame &Game() { return *FDispatcher->Game(); }
    scene::TGraphics &Scene() { return *FScene; }
    TManualClock &Clock() { return FClock; }
    // Texts of the dispatcher's error boxes.
    const std::vector<std::string> &Boxes() const { return FBoxes; }
    // Errors that escaped a timer.
    const std::vector<std::string> &Deaths() const { return FDeaths; }

private:
    class TReporter : public IErrorReporter {
    public:
        explicit TReporter(std::vector<std::string> *Boxes) : FBoxes(Boxes) {}
        void ShowError(const QString &Text) override { FBoxes->push_back(Text.toStdString()); }

    private:
        std::vector<std::string> *FBoxes;
    };

    TManualClock FClock;
    TClockScope FScope{FClock};
    std::vector<std::string> FBoxes;
    std::vector<std::string> FDeaths;
    scene::TGraphics *FScene = nullptr;
    TMemoryHostLink *FHost = nullptr;
    std::unique_ptr<TGUIMessage> FDispatcher;
};

} // namespace trelvo::test
