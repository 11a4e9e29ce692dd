#pragma once

#include "common/TimerEx.h"
#include "game/InviteState.h"
#include "game/LobbyTimers.h"
#include "game/TempCardList.h"
#include "game/api/CardModel.h"
#include "game/api/IAboutForm.h"
#include "game/api/IGraphics.h"
#include "game/api/IStatistics.h"
#include "protocol/LenientFields.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <memory>

namespace trelvo {

// The values of the controller's state FState.
namespace GameState {
constexpr int kStarted = 0;    // the game server has not yet accepted the version
constexpr int kLobby = 1;      // the table list is shown and polled
constexpr int kAtTable = 2;    // creating or joining a table, in the waiting room, or showing a result
constexpr int kInGame = 3;     // in a game, neither covering nor taking (attacker, thrower-in, onlooker)
constexpr int kMustCover = 4;  // in a game, this player must cover
constexpr int kTaking = 5;     // in a game, this player takes the table cards
constexpr int kOtherTakes = 6; // in a game, another player takes the table cards

// States 3 to 6: a game is running.
constexpr bool InGame(int State) {
    return State >= kInGame && State <= kOtherTakes;
}
} // namespace GameState

// The controller of the whole program run: keeps the controller state, reads every game-server
// message the dispatcher hands it, drives the scene facade, turns the user's actions into requests
// (its On... events, which the dispatcher sends) and feeds the statistics service.
//
// Every game-server report is ignored outside the states it belongs to (FState, values in GameState).
class TGame {
public:
    // The result of a game shows one second after the game (or its closing animation) ended.
    static constexpr int kResultDelayMs = 1000;

    // Requests towards the dispatcher.
    std::function<void()> OnTableList;
    std::function<void(const QString &CreateParam)> OnCreateNewTable;
    std::function<void(int ID)> OnExitInvite;
    std::function<void(int ID)> OnEnterTable;
    // State is the character '1' (ready) or '0'.
    std::function<void(int ID, char State)> OnPlayerReady;
    std::function<void(int TableID, uint8_t CardID)> OnPlayerGo;
    std::function<void(int TableID, uint8_t CardID, uint8_t SelectID)> OnPlayerCover;
    std::function<void(int ID)> OnPlayerTake;
    std::function<void(int ID)> OnPlayerBito;
    std::function<void(int TableID)> OnRoundStart;
    std::function<void()> OnStopPlugin;
    // Raised once for a game-server message with fields that do not convert, at the first of them;
    // ErrorID is always 0.
    std::function<void(int ErrorID)> OnError;
    std::function<void(int TableID, uint8_t CardID)> OnPlayerTransfer;
    // A server message that has no effect in the present state (the handler's name): tests that play
    // whole games against a server see the controller's own rule of which state takes what.
    std::function<void(const char *Handler)> OnIgnoredOutOfState;

    // Takes the scene facade and the statistics service; AboutFactory makes an About window on request.
    TGame(std::unique_ptr<IGraphics> AGraphics, std::unique_ptr<IStatistics> AStatistics,
          TAboutFormFactory AboutFactory = {});
    ~TGame();
    TGame(const TGame &) = delete;
    TGame &operator=(const TGame &) = delete;

    int State() const { return FState; }
    int TableID() const { return FTableID; }

    // Write-only properties that pass their value on.
    void SetParentWindow(quintptr Value);
    void SetServerIP(const QString &Value);
    void SetCCVersion(const QString &Value);
    void SetMD5_CC(const QString &Value);
    void SetMD5_Plugin(const QString &Value);
    void SetOnTextError(TOnTextError Value);
    void SetOnStateConnected(TOnStateConnected Value);
    void SetOnSendSrvInfo(TOnSendSrvInfo Value);
    void SetOnRedirectPlayerInfo(TOnRedirect Value);
    void SetOnEndRedirectPlayerInfo(TOnEndSendRedirect Value);

    // Host messages.
    void OnChatResize(int Height, int Width);
    void ShowGUI();
    void HideGUI();
    void SetPlayerInfo(const QString &Name, const QString &IP, int Gender);
    void ExitServerBot();
    void ServerBotNotConnected();
    void ShowAboutForm();

    // Game-server messages: lobby and table.
    // Returns the Echo to send back when the version is accepted, otherwise -1.
    int OnCheckVersion(const QString &Value);
    void OnResponseTableList(const QString &Value);
    void CreateNewTable(const QString &Value);
    void PlayerExitInvite();
    void ErrorEnterTable(const QString &Value);
    void ChangeTable(const QString &Value);
    void UpdTimerNewTable(const QString &Value);
    void CheckInternet(const QString &Value);
    void SendServerInfo(const QString &Value);
    void RedirectPlayerInfo(const QString &Data);

    // Game-server messages: the game.
    void StartGame(const QString &Value);
    void PlayerGo(const QString &Value);
    void PlayerCover(const QString &Value);
    void PlayerTake(const QString &Value);
    void PlayerBito(const QString &Value);
    void AllPlayerBito(const QString &Value);
    void EndGame(const QString &Value);
    void PlayerExitGame(const QString &Value);

private:
    // A report outside its states is dropped without answer; it leaves a line in the debug trail.
    void IgnoredOutOfState(const char *Handler) const;
    // A reader of one game-server payload whose bad fields answer OnError.
    msg::TLenientReader Fields(const QString &Payload);

    // The seat of a server id; kNoSeat when the id is not at the table.
    uint8_t ClientPlayerid(int id) const;
    // Ids compare as signed bytes, so 255 and every id from 128 on is never this player.
    bool IsOwnId(int id) const;
    // Seat 1 is this player's only while this player's name was among the game's players.
    bool IsOwnSeat(uint8_t Seat) const;
    void StartResultTimer();
    void ShowResult();
    // The waiting room's own readiness and whether the game this player left runs on.
    void ShowInviteState();

    // Scene events.
    void GraphicsCreateNewTable(const TCreateSetting &Setting);
    void GraphicsCloseInvite();
    void GraphicsEnterTable(int ID);
    void GraphicsReady(bool State);
    void GraphicsCardGo(uint8_t CardID);
    void GraphicsCardCover(uint8_t CardID, uint8_t SelectID);
    void GraphicsCardTransfer(uint8_t CardID);
    void GraphicsPlayerTakeCard();
    void GraphicsPlayerBitoCard();
    void GraphicsGetTempCard(uint8_t Suit, uint8_t Dignity);
    void GraphicsBitoEnd();
    void GraphicsRoundStart();

    std::unique_ptr<IGraphics> Graphics;
    TLobbyTimers LobbyTimers;
    TPlayerInfo FPlayerInfo;
    TInviteState FInviteState;
    uint8_t FPlayerid = 0;
    int FTableID = 0;
    int FState = 0;
    TSrvCard Trump;
    TSrvPlayerList ServerPlayerList;
    std::unique_ptr<TTempCardList> TempCardList;
    // Frees itself after its tick (AutoFree); cleared by the tick.
    TTimerEx *Timer_End_Game = nullptr;
    // Owns itself while open; cleared by its OnDestroy.
    IAboutForm *Form_About = nullptr;
    std::unique_ptr<IStatistics> Statistics;
    QString FServerIP;
    QString FCCVersion;
    TOnTextError FOnTextError;
    TAboutFormFactory FAboutFactory;
    // Between AllBito and the scene's OnBitoEnd: a result told to wait for the closing animation
    // waits only while there is one to wait for.
    bool FRoundClosing = false;
};

} // namespace trelvo
