#pragma once

#include "game/api/CardModel.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>

namespace trelvo {

using TOnTextError = std::function<void(const QString &Error)>;

// The scene facade as the game controller sees it: every change on screen goes through these
// operations, and everything the user does comes back through the events. The controller owns the
// facade, binds every event right after taking it and may call operations from inside an event.
//
// Seat parameters (playerid, beat_playerid, take_playerid, next_playerid) are seat numbers 1 to 4,
// or kNoSeat (255) for none. Game operations are called only while a game table exists, waiting-room
// updates only while a waiting room may exist; an implementation ignores calls out of place.
class IGraphics {
public:
    virtual ~IGraphics() = default;

    // Window.
    virtual void ShowGUI() = 0;
    virtual void HideGUI() = 0;
    // The chat window to embed into (an X11 window id); 0 makes the main window top-level again.
    virtual void SetParentWindow(quintptr Handle) = 0;
    // The chat window's client size; ignored while the main window is in full screen.
    virtual void OnChatResize(int Height, int Width) = 0;
    // A stacked in-scene message box.
    virtual void ShowMessage(const QString &Title, const QString &Text) = 0;

    // Lobby.
    virtual void ShowTableList() = 0;
    virtual void UpdateTableList(const TArrTableInfo &AList, const TStatTable &AStatTable) = 0;
    // Shows or hides the lobby start window.
    virtual void SetEnableEnterTable(bool Value) = 0;
    // Back to the lobby after a refused creation; ID is not used.
    virtual void CloseSettingCreateTable(int ID) = 0;

    // Waiting room. WinState: 0 lost, 1 won, 2 draw, 3 a new table (no result).
    virtual void CreateNewTable(int ID, const QString &playername, uint16_t WinState) = 0;
    virtual void UpdateInviteList(int ID, const TPlayerList &PlayerList) = 0;
    // Follows every list: this player's readiness as the game server listed it, and whether a game this
    // player went out of still runs at the table (the room then waits for its end).
    virtual void UpdateInviteState(bool Ready, bool GameRuns) = 0;
    // Seconds of the waiting-room countdown; 0 stops it.
    virtual void UpdateTimerNewTable(int Value) = 0;
    // The server closed the waiting room: close it and show the lobby.
    virtual void KickInvite() = 0;
    // The server bot left: close the lobby list, the waiting room and the game table.
    virtual void StopGame() = 0;

    // Game table.
    virtual void StartGame(const QString &PlayerName, const TGPlayerList &GPlayerList, const TSrvCard &aTrump,
                           uint8_t count_deck, uint8_t time_go, const TListCardID &ListCardID) = 0;
    // A card played to the table by that seat (attack or throw-in).
    virtual void PlayerGo(uint8_t playerid, uint8_t Suit, uint8_t Dignity) = 0;
    // Marks the seat on turn and restarts the move clock; beat_playerid is the defender or kNoSeat.
    virtual void SetPlayerActive(uint8_t playerid, uint8_t beat_playerid) = 0;
    // true: this player must cover now; false: this player covers no more (taking).
    virtual void CoverCard(bool type_cover) = 0;
    // Another seat covers the attack card at place CoverID (0 to 5).
    virtual void PlayerCover(uint8_t playerid, uint8_t CoverID, uint8_t Suit, uint8_t Dignity) = 0;
    // That seat announces that it takes the table cards.
    virtual void PlayerTake(uint8_t playerid) = 0;
    // This player may throw in or end: seat 1 active, the bito button and the playable cards.
    virtual void GiveCard() = 0;
    // Lights this player's cards that may be played.
    virtual void ShowCanGiveCard() = 0;
    // The round is over: the table cards go to take_playerid (the discard when kNoSeat).
    virtual void AllBito(uint8_t take_playerid, uint8_t next_playerid) = 0;
    virtual void GivePlayerCard(uint8_t playerid, uint8_t ID, uint8_t Suit, uint8_t Dignity) = 0;
    virtual void SetDeck(uint8_t Count) = 0;
    virtual void SetPlayerCountCard(uint8_t playerid, uint8_t Count) = 0;
    // Whether this player may transfer the current attack.
    virtual void SetTransfer(bool Value) = 0;
    // Another player left the running game.
    virtual void PlayerExitGame(uint8_t playerid) = 0;
    // Removes the game table.
    virtual void EndTableGame() = 0;

    // Events, raised towards the controller.
    // The settings window's create button was pressed.
    std::function<void(const TCreateSetting &Setting)> OnCreateNewTable;
    // The user closed the waiting room; the table list is already shown again.
    std::function<void()> OnCloseInvite;
    // The user chose table ID in the list; the start window is already hidden.
    std::function<void(int ID)> OnEnterTable;
    // The waiting room's ready button changed.
    std::function<void(bool State)> OnReady;
    // The user attacked or threw in a card.
    std::function<void(uint8_t CardID)> OnCardGo;
    // The user covered the attack card at place SelectID (0 to 5).
    std::function<void(uint8_t CardID, uint8_t SelectID)> OnCardCover;
    // The user transferred the attack.
    std::function<void(uint8_t CardID)> OnCardTransfer;
    // The take button.
    std::function<void()> OnPlayerTakeCard;
    // The bito (discard) button.
    std::function<void()> OnPlayerBitoCard;
    // A table card reached this player's hand while picking up; the controller answers with
    // GivePlayerCard(1, ID, Suit, Dignity).
    std::function<void(uint8_t Suit, uint8_t Dignity)> OnGetTempCard;
    // The round's closing animation has ended.
    std::function<void()> OnBitoEnd;
    // A move clock was started (every time a seat is marked active).
    std::function<void()> OnRoundStart;
    // Set by the controller; handed to the game table. Nothing in the scene raises it today.
    TOnTextError OnTextError;
};

} // namespace trelvo
