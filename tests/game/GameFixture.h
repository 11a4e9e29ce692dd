#pragma once

#include "fakes/CallLog.h"
#include "fakes/FakeAboutForm.h"
#include "fakes/FakeStatistics.h"
#include "fakes/RecordingGraphics.h"

#include "MemoryHostLink.h"
#include "common/Clock.h"
#include "game/Game.h"
#include "game/ServerRouting.h"

#include <gtest/gtest.h>

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace trelvo::test {

using Lines = std::vector<std::string>;

// A controller on the manual clock with a recording facade, a fake statistics service and a fake
// About window, all writing into one log together with the requests the controller raises.
class GameFixture : public testing::Test {
protected:
    GameFixture() {
        Host.OnMessage = [this](std::string_view Bytes) { Relayed(Bytes); };
        MakeGame();
    }

    // A fresh controller with fresh fakes: state 0, own name Ann.
    void MakeGame() {
        Game.reset();
        auto graphics = std::make_unique<TRecordingGraphics>(&Log);
        auto statistics = std::make_unique<TFakeStatistics>(&Log);
        Gfx = graphics.get();
        Stats = statistics.get();
        Game = std::make_unique<TGame>(std::move(graphics), std::move(statistics),
                                       TFakeAboutForm::Factory(&Log, &LastAbout));
        Game->OnTableList = [this] { Request("OnTableList()"); };
        Game->OnCreateNewTable = [this](const QString &p) { Request("OnCreateNewTable(" + p + ")"); };
        Game->OnExitInvite = [this](int id) { Request("OnExitInvite(" + N(id) + ")"); };
        Game->OnEnterTable = [this](int id) { Request("OnEnterTable(" + N(id) + ")"); };
        Game->OnPlayerReady = [this](int id, char s) {
            Request("OnPlayerReady(" + N(id) + "," + std::string(1, s) + ")");
        };
        Game->OnPlayerGo = [this](int t, uint8_t c) { Request("OnPlayerGo(" + N(t) + "," + N(c) + ")"); };
        Game->OnPlayerCover = [this](int t, uint8_t c, uint8_t s) {
            Request("OnPlayerCover(" + N(t) + "," + N(c) + "," + N(s) + ")");
        };
        Game->OnPlayerTake = [this](int id) { Request("OnPlayerTake(" + N(id) + ")"); };
        Game->OnPlayerBito = [this](int id) { Request("OnPlayerBito(" + N(id) + ")"); };
        Game->OnRoundStart = [this](int id) { Request("OnRoundStart(" + N(id) + ")"); };
        Game->OnStopPlugin = [this] { Request("OnStopPlugin()"); };
        Game->OnError = [this](int e) { Request("OnError(" + N(e) + ")"); };
        Game->OnPlayerTransfer = [this](int t, uint8_t c) {
            Request("OnPlayerTransfer(" + N(t) + "," + N(c) + ")");
        };
        Game->SetPlayerInfo(QStringLiteral("Ann"), QStringLiteral("10.0.0.2"), 1);
        Log.Clear();
    }

    static std::string N(int v) { return std::to_string(v); }

    // A request of the controller: logged, then sent to the host (whose flush may deliver messages).
    void Request(const std::string &Line) {
        Log.Add(Line);
        Host.Send(Line);
    }
    void Request(const QString &Line) { Request(Line.toStdString()); }
    void Request(const char *Line) { Request(std::string(Line)); }
    // A game-server message as the host relays it: "7;" subcode ";" payload.
    void Relayed(std::string_view Bytes) {
        const QString text = QString::fromUtf8(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
        const qsizetype sub = text.indexOf(QLatin1Char(';'), 2);
        Server(text.mid(2, sub - 2).toInt(), text.mid(sub + 1));
    }
    static std::string RelayText(int Sub, const char *Payload) {
        return "7;" + std::to_string(Sub) + ";" + Payload;
    }

    // The game-server messages as the dispatcher hands them over (subcode and payload).
    void Server(int Sub, const QString &Payload) {
        RouteServerMessage(*Game, Sub, Payload,
                           [this](int Result) { Log.Add("CheckVersionResult(" + N(Result) + ")"); });
    }
    void Server(int Sub, const char *Payload) { Server(Sub, QString::fromUtf8(Payload)); }

    Lines Take() { return Log.Take(); }

    // A two-player game at table 12: Ann (this player, id 0, seat 1) and Bob (id 1, seat 2), Ann first.
    static constexpr const char *kTwoPlayerStart = "2;30;0;Ann;1;Bob;0;4;13;24;2;7;1;5;8;3;11;";

    // A fresh controller brought into state 0 to 6 by the ordinary way there; the log is cleared.
    void Drive(int State) {
        MakeGame();
        if (State >= 1)
            Server(1, "1;5;abc;");
        if (State >= 2) {
            Gfx->OnEnterTable(12);
            Server(6, "12;2;0;Ann;1;1;Bob;0;");
        }
        if (State >= 3)
            Server(9, kTwoPlayerStart);
        if (State == 4)
            Server(10, "1;0;3;11;0;"); // Bob attacks Ann
        if (State == 5)
            Gfx->OnPlayerTakeCard(); // Ann presses take
        if (State == 6)
            Server(11, "1;0;"); // Bob takes, Ann next
        EXPECT_EQ(Game->State(), State);
        Log.Clear();
    }

    TManualClock Clock;
    TClockScope Scope{Clock};
    TCallLog Log;
    // The link the controller's requests go out on; with FlushDelivers, messages queued for the client
    // are handled inside the send of the next request.
    TMemoryHostLink Host;
    TRecordingGraphics *Gfx = nullptr;
    TFakeStatistics *Stats = nullptr;
    TFakeAboutForm *LastAbout = nullptr;
    std::unique_ptr<TGame> Game;
};

} // namespace trelvo::test
