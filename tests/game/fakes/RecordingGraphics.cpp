#include "RecordingGraphics.h"

#include <string>

namespace trelvo::test {

namespace {

std::string Str(const QString &Text) {
    return Text.toStdString();
}
std::string Num(int Value) {
    return std::to_string(Value);
}

template <typename... A> std::string Call(const char *Name, const A &...Args) {
    std::string line = Name;
    line += '(';
    bool first = true;
    ((line += (first ? "" : ","), line += Args, first = false), ...);
    line += ')';
    return line;
}

} // namespace

std::string TRecordingGraphics::PlayerListText(const TPlayerList &List) {
    std::string text = "[";
    for (size_t i = 0; i < List.size(); ++i) {
        if (i > 0)
            text += ',';
        text += Str(List[i].Playrname);
        text += List[i].PlayerState ? '+' : '-';
    }
    return text + "]";
}

std::string TRecordingGraphics::TableListText(const TArrTableInfo &List, const TStatTable &Stat) {
    std::string text = "[";
    for (size_t i = 0; i < List.size(); ++i) {
        const TTableInfo &t = List[i];
        if (i > 0)
            text += ',';
        text += Num(t.ID) + ":" + Num(t.PlayerCount) + ":" + Num(t.Transfer) + ":" + Num(t.FNTR) + ":" +
                Num(t.MaxF);
    }
    text += "],{" + Num(Stat.CountTrTable) + "," + Num(Stat.CountNotTrTable) + "," + Num(Stat.CountTrPlayer) +
            "," + Num(Stat.CountNotTrPlayer) + "}";
    return text;
}

void TRecordingGraphics::Log(const std::string &Line) {
    if (FLog)
        FLog->Add(Line);
    if (AfterCall)
        AfterCall(Line);
}

void TRecordingGraphics::ShowGUI() {
    Log("ShowGUI()");
}
void TRecordingGraphics::HideGUI() {
    Log("HideGUI()");
}
void TRecordingGraphics::SetParentWindow(quintptr Handle) {
    Log(Call("SetParentWindow", std::to_string(Handle)));
}
void TRecordingGraphics::OnChatResize(int Height, int Width) {
    Log(Call("OnChatResize", Num(Height), Num(Width)));
}
void TRecordingGraphics::ShowMessage(const QString &Title, const QString &Text) {
    Log(Call("ShowMessage", Str(Title), Str(Text)));
}
void TRecordingGraphics::ShowTableList() {
    Log("ShowTableList()");
}
void TRecordingGraphics::UpdateTableList(const TArrTableInfo &AList, const TStatTable &AStatTable) {
    Log(Call("UpdateTableList", TableListText(AList, AStatTable)));
}
void TRecordingGraphics::SetEnableEnterTable(bool Value) {
    Log(Call("SetEnableEnterTable", Num(Value)));
}
void TRecordingGraphics::CloseSettingCreateTable(int ID) {
    Log(Call("CloseSettingCreateTable", Num(ID)));
}
void TRecordingGraphics::CreateNewTable(int ID, const QString &playername, uint16_t WinState) {
    Log(Call("CreateNewTable", Num(ID), Str(playername), Num(WinState)));
}
void TRecordingGraphics::UpdateInviteList(int ID, const TPlayerList &PlayerList) {
    Log(Call("UpdateInviteList", Num(ID), PlayerListText(PlayerList)));
}
void TRecordingGraphics::UpdateInviteState(bool Ready, bool GameRuns) {
    Log(Call("UpdateInviteState", Num(Ready), Num(GameRuns)));
}
void TRecordingGraphics::UpdateTimerNewTable(int Value) {
    Log(Call("UpdateTimerNewTable", Num(Value)));
}
void TRecordingGraphics::KickInvite() {
    Log("KickInvite()");
}
void TRecordingGraphics::StopGame() {
    Log("StopGame()");
}

void TRecordingGraphics::StartGame(const QString &PlayerName, const TGPlayerList &GPlayerList,
                                   const TSrvCard &aTrump, uint8_t count_deck, uint8_t time_go,
                                   const TListCardID &ListCardID) {
    std::string players = "[";
    for (size_t i = 0; i < GPlayerList.size(); ++i) {
        if (i > 0)
            players += ',';
        players += Num(GPlayerList[i].Playerid) + ":" + Str(GPlayerList[i].Name);
    }
    players += "]";
    std::string cards = "[";
    for (size_t i = 0; i < ListCardID.size(); ++i) {
        if (i > 0)
            cards += ',';
        cards += Num(ListCardID[i].ID) + ":" + Num(ListCardID[i].Suit) + ":" + Num(ListCardID[i].Dignity);
    }
    cards += "]";
    const std::string trump = "{" + Num(aTrump.Suit) + "," + Num(aTrump.Dignity) + "}";
    Log(Call("StartGame", Str(PlayerName), players, trump, Num(count_deck), Num(time_go), cards));
}

void TRecordingGraphics::PlayerGo(uint8_t playerid, uint8_t Suit, uint8_t Dignity) {
    Log(Call("PlayerGo", Num(playerid), Num(Suit), Num(Dignity)));
}

void TRecordingGraphics::SetPlayerActive(uint8_t playerid, uint8_t beat_playerid) {
    Log(Call("SetPlayerActive", Num(playerid), Num(beat_playerid)));
    if (AutoRoundStart && OnRoundStart)
        OnRoundStart();
}

void TRecordingGraphics::CoverCard(bool type_cover) {
    Log(Call("CoverCard", Num(type_cover)));
}

void TRecordingGraphics::PlayerCover(uint8_t playerid, uint8_t CoverID, uint8_t Suit, uint8_t Dignity) {
    Log(Call("PlayerCover", Num(playerid), Num(CoverID), Num(Suit), Num(Dignity)));
}

void TRecordingGraphics::PlayerTake(uint8_t playerid) {
    Log(Call("PlayerTake", Num(playerid)));
}

void TRecordingGraphics::GiveCard() {
    Log("GiveCard()");
    if (AutoRoundStart && OnRoundStart)
        OnRoundStart();
}

void TRecordingGraphics::ShowCanGiveCard() {
    Log("ShowCanGiveCard()");
}

void TRecordingGraphics::AllBito(uint8_t take_playerid, uint8_t next_playerid) {
    Log(Call("AllBito", Num(take_playerid), Num(next_playerid)));
}

void TRecordingGraphics::GivePlayerCard(uint8_t playerid, uint8_t ID, uint8_t Suit, uint8_t Dignity) {
    Log(Call("GivePlayerCard", Num(playerid), Num(ID), Num(Suit), Num(Dignity)));
}

void TRecordingGraphics::SetDeck(uint8_t Count) {
    Log(Call("SetDeck", Num(Count)));
}

void TRecordingGraphics::SetPlayerCountCard(uint8_t playerid, uint8_t Count) {
    Log(Call("SetPlayerCountCard", Num(playerid), Num(Count)));
}

void TRecordingGraphics::SetTransfer(bool Value) {
    Log(Call("SetTransfer", Num(Value)));
}
void TRecordingGraphics::PlayerExitGame(uint8_t playerid) {
    Log(Call("PlayerExitGame", Num(playerid)));
}
void TRecordingGraphics::EndTableGame() {
    Log("EndTableGame()");
}

} // namespace trelvo::test
