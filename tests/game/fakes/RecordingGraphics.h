#pragma once

#include "CallLog.h"

#include "game/api/IGraphics.h"

#include <QString>

#include <functional>
#include <string>

namespace trelvo::test {

// A scene facade that draws nothing and writes every call into a TCallLog, e.g. "PlayerGo(2,3,11)",
// "ShowMessage(Стол,<text>)", "StartGame(Ann,[3:Bob,4:Cid,1:Ann],{4,13},24,30,[7:1:5])" (players as
// seat:name, cards as id:suit:dignity), "UpdateInviteList(12,[Ann+,Bob-,-,-])" (+ ready, - not),
// "UpdateInviteState(1,0)". With AutoRoundStart it raises OnRoundStart after SetPlayerActive and GiveCard, as
// the real table restarts its move clock there. Without a log it only keeps quiet (a no-draw facade).
class TRecordingGraphics : public IGraphics {
public:
    explicit TRecordingGraphics(TCallLog *Log = nullptr) : FLog(Log) {}

    bool AutoRoundStart = false;
    // Called with each recorded line right after it was recorded, so a test can play a scene that
    // answers synchronously (for example one that ends the round inside AllBito).
    std::function<void(const std::string &Line)> AfterCall;

    void ShowGUI() override;
    void HideGUI() override;
    void SetParentWindow(quintptr Handle) override;
    void OnChatResize(int Height, int Width) override;
    void ShowMessage(const QString &Title, const QString &Text) override;
    void ShowTableList() override;
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

    // Text forms shared with the tests' expectations.
    static std::string PlayerListText(const TPlayerList &List);
    static std::string TableListText(const TArrTableInfo &List, const TStatTable &Stat);

private:
    void Log(const std::string &Line);

    TCallLog *FLog;
};

} // namespace trelvo::test
