#pragma once

#include "Table.h"

#include "game/api/IGraphics.h"
#include "kit/Form.h"
#include "lobby/PicButton.h"
#include "lobby/Window.h"
#include "lobby/WindowSettingTable.h"
#include "lobby/WindowShowPlayer.h"
#include "lobby/WindowStart.h"
#include "window/MainForm.h"

#include <memory>

namespace trelvo::scene {

// The one object through which the game controller changes the screen and hears what the user did.
// It owns the main window and the scene in it: the table cloth, the message boxes, the lobby start
// window, and while they exist the settings window, the waiting room and the game table. It keeps
// track of which of these exists, replaces them in the right order, and turns their events into the
// controller's events. Game operations without a table and waiting-room operations without a waiting
// room are ignored.
class TGraphics : public IGraphics {
public:
    // The largest client side taken from the host: no screen is bigger, and a hostile size must not
    // make a window that exhausts the X server.
    static constexpr int kMaxClientSize = 8192;
    static constexpr float kWaitingRoomWidth = 470;
    static constexpr float kWaitingRoomHeight = 270;

    TGraphics();
    ~TGraphics() override;
    TGraphics(const TGraphics &) = delete;
    TGraphics &operator=(const TGraphics &) = delete;

    void ShowGUI() override;
    void HideGUI() override;
    void SetParentWindow(quintptr Handle) override;
    void OnChatResize(int Height, int Width) override;
    void ShowMessage(const QString &Title, const QString &Text) override;

    void ShowTableList() override;
    void RepaintTableList();
    void UpdateTableList(const TArrTableInfo &AList, const TStatTable &AStatTable) override;
    void SetEnableEnterTable(bool Value) override;
    void CloseSettingCreateTable(int ID) override;

    void CreateNewTable(int ID, const QString &playername, uint16_t WinState) override;
    void UpdateInviteList(int ID, const TPlayerList &PlayerList) override;
    void UpdateInviteState(bool Ready, bool GameRuns) override;
    void UpdateTimerNewTable(int Value) override;
    void KickInvite() override;
    void StopGame() override;

    void StartGame(const QString &PlayerName, const TGPlayerList &GPlayerList, const TSrvCard &aTrump,
                   uint8_t count_deck, uint8_t time_go, const TListCardID &ListCardID) override;
    void PlayerGo(uint8_t playerid, uint8_t Suit, uint8_t Dignity) override;
    void SetPlayerActive(uint8_t playerid, uint8_t beat_playerid) override;
    void CoverCard(bool type_cover) override;
    void ShowCoverCard();
    void PlayerCover(uint8_t playerid, uint8_t CoverID, uint8_t Suit, uint8_t Dignity) override;
    void PlayerTake(uint8_t playerid) override;
    void GiveCard() override;
    void ShowCanGiveCard() override;
    void AllBito(uint8_t take_playerid, uint8_t next_playerid) override;
    void GivePlayerCard(uint8_t playerid, uint8_t ID, uint8_t Suit, uint8_t Dignity) override;
    void SetDeck(uint8_t Count) override;
    void SetPlayerCountCard(uint8_t playerid, uint8_t Count) override;
    void SetTransfer(bool Value) override;
    void PlayerExitGame(uint8_t playerid) override;
    void EndTableGame() override;

    // The parts, for the program's start-up, screenshots and tests.
    TMain_Form &MainForm() const { return *FMainForm; }
    TForm &Form() const { return *FForm; }
    TImageEx *Image_Background() const { return FImage_Background; }
    TWindowShowMessage &WindowShowMessage() const { return *FWindowShowMessage; }
    TWindowStart *WindowStart() const { return FWindowStart; }
    TWindowSettingTable *WindowSettingTable() const { return FWindowSettingTable.Get(); }
    TWindowShowPlayer *Window_Players() const { return FWindow_Players.Get(); }
    TTable *Table() const { return FTable.Get(); }

private:
    // The table and the table list follow a new client size.
    void RepaintScene();
    void OpenSettingTable();
    void SettingCreate(const TCreateSetting &Setting);
    void EnterTable(int ID);
    void OpenWaitingRoom();
    void WaitingRoomClosed();
    void DestroyWaitingRoom();
    void DestroySettingTable();
    void DestroyTable();

    std::unique_ptr<TMain_Form> FMainForm;
    // The scene root, drawn inside the main window and sized with it.
    std::unique_ptr<TForm> FForm;
    TImageEx *FImage_Background;
    TWeakRef<TWindowShowPlayer> FWindow_Players;
    TWeakRef<TTable> FTable;
    std::unique_ptr<TWindowShowMessage> FWindowShowMessage;
    TWeakRef<TWindowSettingTable> FWindowSettingTable;
    TWindowStart *FWindowStart;
};

} // namespace trelvo::scene
