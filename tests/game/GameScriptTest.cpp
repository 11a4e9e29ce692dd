#include "GameFixture.h"

#include <concepts>
#include <functional>

using namespace trelvo;
using namespace trelvo::test;

namespace {

// One step of a session: what happens, everything the controller does about it, in order, and the
// state it is in afterwards.
struct ServerMessage {
    int sub;
    const char *payload;
};

// What happens: something done to the controller, or a game-server message (subcode and payload).
struct Act {
    template <class F>
    requires std::invocable<F> Act(F f) : run(std::move(f)) {}
    Act(ServerMessage m) : sub(m.sub), payload(m.payload) {}

    std::function<void()> run;
    int sub = 0;
    const char *payload = nullptr;
};

struct Step {
    const char *what;
    Act act;
    Lines out;
    int state;
};

} // namespace

class GameScript : public GameFixture {
protected:
    // Each step in order, its output and state checked after it.
    void Play(const std::vector<Step> &Steps) {
        for (const Step &step : Steps) {
            Run(step);
            EXPECT_EQ(Take(), step.out) << step.what;
            if (step.state >= 0) {
                EXPECT_EQ(Game->State(), step.state) << step.what;
            }
        }
    }

    // As a quick server plays it: the game-server messages that follow an action of this player are
    // already waiting when the action's request is sent, and the send's flush hands them to the
    // controller before it returns. The output of the action and of those messages comes together.
    void PlayQuickly(const std::vector<Step> &Steps) {
        Host.SetFlushDelivers(true);
        for (size_t i = 0; i < Steps.size();) {
            size_t next = i + 1;
            Lines out = Steps[i].out;
            if (!Steps[i].act.payload) {
                for (; next < Steps.size() && Steps[next].act.payload; ++next) {
                    Host.Queue(RelayText(Steps[next].act.sub, Steps[next].act.payload));
                    out.insert(out.end(), Steps[next].out.begin(), Steps[next].out.end());
                }
            }
            Run(Steps[i]);
            Host.DeliverQueued(); // the loop's next turn, when no request was sent
            const Step &last = Steps[next - 1];
            EXPECT_EQ(Take(), out) << Steps[i].what << " .. " << last.what;
            if (last.state >= 0) {
                EXPECT_EQ(Game->State(), last.state) << Steps[i].what << " .. " << last.what;
            }
            i = next;
        }
    }

    void Run(const Step &step) {
        if (!step.act.payload)
            step.act.run();
        else if (Host.FlushDelivers())
            Host.Queue(RelayText(step.act.sub, step.act.payload));
        else
            Server(step.act.sub, step.act.payload);
    }

    // Ann (this player, server id 2, seat 1) plays at table 3 with Bob (id 0, seat 3) and Cid (id 1,
    // seat 4): seat 2 stays empty. The scene restarts its move clock whenever a seat is marked active.
    std::vector<Step> WholeGame();
};

TEST_F(GameScript, AWholeGameFromLobbyBackToTheLobby) {
    Play(WholeGame());
}

TEST_F(GameScript, AWholeGameWithAQuickServerWhoseMessagesArriveInsideTheSends) {
    PlayQuickly(WholeGame());
}

std::vector<Step> GameScript::WholeGame() {
    Gfx->AutoRoundStart = true;
    auto srv = [](int sub, const char *payload) { return ServerMessage{sub, payload}; };
    return {
        {"host data",
         [this] {
             Game->SetPlayerInfo(QStringLiteral("Ann"), QStringLiteral("10.0.0.2"), 1);
             Game->SetServerIP(QStringLiteral("srv"));
             Game->SetCCVersion(QStringLiteral("7.1"));
             Game->SetMD5_CC(QStringLiteral("cc"));
             Game->SetMD5_Plugin(QStringLiteral("pl"));
             Game->ShowGUI();
         },
         {"Stats.SetPlayerInfo(Ann,10.0.0.2,1)", "Stats.SetServerIP(srv)", "Stats.SetChatVersion(7.1)",
          "Stats.SetMD5_CC(cc)", "Stats.SetMD5_Plugin(pl)", "ShowGUI()"},
         0},
        {"version accepted",
         srv(1, "1;77;p42;"),
         {"Stats.SetPlayerID(p42)", "ShowTableList()", "Stats.Send()", "CheckVersionResult(77)"},
         1},
        {"first poll", [this] { Clock.Advance(500); }, {"OnTableList()"}, 1},
        {"the table list", srv(2, "1;0;1;0;2;3;2;0;0;0;"), {"UpdateTableList([3:2:0:0:0],{0,1,0,2})"}, 1},
        {"Ann enters table 3", [this] { Gfx->OnEnterTable(3); }, {"OnEnterTable(3)"}, 2},
        {"no more polling", [this] { Clock.Advance(10000); }, {}, 2},
        {"seats",
         srv(6, "3;3;0;Bob;1;1;Cid;0;2;Ann;0;"),
         {"UpdateInviteList(3,[Bob+,Cid-,Ann-,-])", "UpdateInviteState(0,0)"},
         2},
        {"countdown", srv(7, "10;"), {"UpdateTimerNewTable(10)"}, 2},
        {"Ann is ready", [this] { Gfx->OnReady(true); }, {"OnPlayerReady(3,1)"}, 2},
        {"all ready",
         srv(6, "3;3;0;Bob;1;1;Cid;1;2;Ann;1;"),
         {"UpdateInviteList(3,[Bob+,Cid+,Ann+,-])", "UpdateInviteState(1,0)"},
         2},
        {"the game starts, Bob first",
         srv(9, "3;30;0;Bob;1;Cid;2;Ann;0;4;13;18;6;10;1;5;11;2;6;12;3;11;13;4;12;14;1;13;15;2;9;"),
         {"StartGame(Ann,[3:Bob,4:Cid,1:Ann],{4,13},18,30,[10:1:5,11:2:6,12:3:11,13:4:12,14:1:13,15:2:9])",
          "SetPlayerActive(3,255)", "OnRoundStart(3)"},
         3},
        {"Bob attacks Ann with the jack of hearts",
         srv(10, "0;2;3;10;1;"),
         {"SetTransfer(1)", "CoverCard(1)", "PlayerGo(3,3,10)", "SetPlayerActive(1,1)", "OnRoundStart(3)"},
         4},
        {"Ann covers with the queen", [this] { Gfx->OnCardCover(12, 0); }, {"OnPlayerCover(3,12,0)"}, 4},
        {"the server confirms, Bob may throw in",
         srv(14, "0;2;0;0;"),
         {"SetPlayerActive(3,255)", "OnRoundStart(3)"},
         4},
        {"Bob: bito, Cid may throw in", srv(12, "1;"), {"SetPlayerActive(4,255)", "OnRoundStart(3)"}, 4},
        {"discard, Ann moves next and draws one",
         srv(13, "1;255;2;16;3;0;6;1;6;2;6;1;16;3;7;"),
         {"AllBito(255,1)"},
         3},
        {"closing animation over",
         [this] { Gfx->OnBitoEnd(); },
         {"GivePlayerCard(1,16,3,7)", "SetDeck(16)", "SetPlayerCountCard(3,6)", "SetPlayerCountCard(4,6)",
          "ShowCanGiveCard()"},
         3},
        {"Ann attacks with the six of clubs", [this] { Gfx->OnCardGo(10); }, {"OnPlayerGo(3,10)"}, 3},
        {"the server shows it, Bob defends",
         srv(10, "2;0;1;5;0;"),
         {"SetTransfer(0)", "PlayerGo(1,1,5)", "SetPlayerActive(3,3)", "OnRoundStart(3)"},
         3},
        {"Bob transfers to Cid",
         srv(10, "0;1;2;5;1;"),
         {"SetTransfer(1)", "PlayerGo(3,2,5)", "SetPlayerActive(4,4)", "OnRoundStart(3)"},
         3},
        {"Cid takes, Ann may throw in",
         srv(11, "1;2;"),
         {"PlayerTake(4)", "GiveCard()", "OnRoundStart(3)"},
         6},
        {"Ann throws in the nine of diamonds", [this] { Gfx->OnCardGo(15); }, {"OnPlayerGo(3,15)"}, 6},
        {"the server shows it",
         srv(10, "2;1;2;9;0;"),
         {"SetTransfer(0)", "PlayerGo(1,2,9)", "GiveCard()", "OnRoundStart(3)", "SetPlayerActive(4,4)",
          "OnRoundStart(3)"},
         6},
        {"Ann is done", [this] { Gfx->OnPlayerBitoCard(); }, {"OnPlayerBito(3)"}, 6},
        {"Cid took, Bob moves next",
         srv(13, "0;1;0;13;3;0;6;1;10;2;4;2;18;4;5;19;3;13;"),
         {"PlayerTake(4)", "AllBito(4,3)"},
         3},
        {"closing animation over",
         [this] { Gfx->OnBitoEnd(); },
         {"GivePlayerCard(1,18,4,5)", "GivePlayerCard(1,19,3,13)", "SetDeck(13)", "SetPlayerCountCard(3,6)",
          "SetPlayerCountCard(4,10)"},
         3},
        {"Bob attacks Ann",
         srv(10, "0;2;1;9;0;"),
         {"SetTransfer(0)", "CoverCard(1)", "PlayerGo(3,1,9)", "SetPlayerActive(1,1)", "OnRoundStart(3)"},
         4},
        {"Ann takes", [this] { Gfx->OnPlayerTakeCard(); }, {"OnPlayerTake(3)"}, 5},
        {"the server confirms, Bob throws in",
         srv(11, "2;0;"),
         {"PlayerTake(1)", "SetPlayerActive(3,255)", "OnRoundStart(3)"},
         5},
        {"Bob throws in the nine of diamonds",
         srv(10, "0;2;2;9;0;"),
         {"SetTransfer(0)", "CoverCard(0)", "PlayerGo(3,2,9)", "SetPlayerActive(1,1)", "OnRoundStart(3)"},
         5},
        {"Ann took, Bob moves next",
         srv(13, "0;2;0;11;3;0;6;1;10;2;8;2;20;1;9;21;2;9;"),
         {"PlayerTake(1)", "AllBito(1,3)"},
         3},
        {"the table cards arrive in Ann's hand",
         [this] {
             Gfx->OnGetTempCard(2, 9);
             Gfx->OnGetTempCard(1, 9);
         },
         {"GivePlayerCard(1,21,2,9)", "GivePlayerCard(1,20,1,9)"},
         3},
        {"closing animation over",
         [this] { Gfx->OnBitoEnd(); },
         {"SetDeck(11)", "SetPlayerCountCard(3,6)", "SetPlayerCountCard(4,10)"},
         3},
        {"Cid leaves, Bob moves",
         srv(16, "1;x;0;"),
         {"PlayerExitGame(4)", "SetPlayerActive(3,255)", "OnRoundStart(3)"},
         3},
        {"Bob attacks Ann",
         srv(10, "0;2;1;7;0;"),
         {"SetTransfer(0)", "CoverCard(1)", "PlayerGo(3,1,7)", "SetPlayerActive(1,1)", "OnRoundStart(3)"},
         4},
        {"Ann covers with the ace of clubs",
         [this] { Gfx->OnCardCover(14, 0); },
         {"OnPlayerCover(3,14,0)"},
         4},
        {"the server confirms", srv(14, "0;2;0;0;"), {"SetPlayerActive(3,255)", "OnRoundStart(3)"}, 4},
        {"the last round ends", srv(13, "1;255;0;0;1;0;0;0;"), {"AllBito(255,3)"}, 4},
        {"Ann won; shown after the animation", srv(15, "1;0;"), {}, 2},
        {"seats while the result waits", srv(6, "3;2;0;Bob;0;2;Ann;0;"), {}, 2},
        {"closing animation over", [this] { Gfx->OnBitoEnd(); }, {}, 2},
        {"not yet", [this] { Clock.Advance(999); }, {}, 2},
        {"the result",
         [this] { Clock.Advance(1); },
         {"EndTableGame()", "CreateNewTable(3,Ann,1)", "UpdateInviteList(3,[Bob-,-,Ann-,-])",
          "UpdateInviteState(0,0)"},
         2},
        {"seats again",
         srv(6, "3;2;0;Bob;1;2;Ann;0;"),
         {"UpdateInviteList(3,[Bob+,-,Ann-,-])", "UpdateInviteState(0,0)"},
         2},
        {"Ann leaves the table", [this] { Gfx->OnCloseInvite(); }, {"OnExitInvite(3)"}, 1},
        {"the lobby polls again", [this] { Clock.Advance(500); }, {"OnTableList()"}, 1},
        {"and the controller goes away quietly", [this] { Game.reset(); }, {}, -1},
    };
}
