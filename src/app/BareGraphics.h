#pragma once

#include "game/api/IGraphics.h"
#include "window/MainForm.h"

#include <memory>

namespace trelvo {

// The scene facade until the game table and the lobby screens exist: it owns the main window and
// does everything the host asks of it (show, hide, size, embed), and draws nothing else.
class TBareGraphics : public IGraphics {
public:
    TBareGraphics();
    ~TBareGraphics() override;

    TMain_Form &MainForm() { return *FMainForm; }

    void ShowGUI() override;
    void HideGUI() override;
    void SetParentWindow(quintptr Handle) override;
    void OnChatResize(int Height, int Width) override;
    void ShowMessage(const QString &, const QString &) override {}

    void ShowTableList() override {}
    void UpdateTableList(const TArrTableInfo &, const TStatTable &) override {}
    void SetEnableEnterTable(bool) override {}
    void CloseSettingCreateTable(int) override {}
    void CreateNewTable(int, const QString &, uint16_t) override {}
    void UpdateInviteList(int, const TPlayerList &) override {}
    void UpdateTimerNewTable(int) override {}
    void KickInvite() override {}
    void StopGame() override {}
    void StartGame(const QString &, const TGPlayerList &, const TSrvCard &, uint8_t, uint8_t,
                   const TListCardID &) override {}
    void PlayerGo(uint8_t, uint8_t, uint8_t) override {}
    void SetPlayerActive(uint8_t, uint8_t) override {}
    void CoverCard(bool) override {}
    void PlayerCover(uint8_t, uint8_t, uint8_t, uint8_t) override {}
    void PlayerTake(uint8_t) override {}
    void GiveCard() override {}
    void ShowCanGiveCard() override {}
    // With no table to animate the round's end, the round ends at once.
    void AllBito(uint8_t, uint8_t) override;
    void GivePlayerCard(uint8_t, uint8_t, uint8_t, uint8_t) override {}
    void SetDeck(uint8_t) override {}
    void SetPlayerCountCard(uint8_t, uint8_t) override {}
    void SetTransfer(bool) override {}
    void PlayerExitGame(uint8_t) override {}
    void EndTableGame() override {}

private:
    std::unique_ptr<TMain_Form> FMainForm;
};

} // namespace trelvo
