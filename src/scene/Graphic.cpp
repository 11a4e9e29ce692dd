#include "Graphic.h"

#include "SceneLog.h"

#include <algorithm>
#include <climits>

namespace trelvo::scene {

namespace {

// Frees a window from the clock once the current event is over: the window may be the one whose
// button raised the event being handled. Its handlers go first, so it reports nothing any more.
template <class TWin> void FreeLater(TWin *window) {
    window->OnWindowClose = nullptr;
    window->SetVisible(false);
    window->SetEnabled(false);
    window->DeferredFree();
}

} // namespace

TGraphics::TGraphics() : FMainForm(std::make_unique<TMain_Form>()), FForm(std::make_unique<TForm>()) {
    FForm->Embed(FMainForm.get());
    FMainForm->SetOnChangeFullScreen([this] { RepaintScene(); });

    FImage_Background = new TImageEx(FForm.get());
    FImage_Background->SetParent(FForm.get());
    FImage_Background->SetAlign(TAlignLayout::Client);
    FImage_Background->SetWrapMode(TImageWrapMode::Stretch);
    FImage_Background->SetHitTest(false);
    // The largest picture of all: decoded when the window is first drawn, not before the client has
    // connected to its host.
    FImage_Background->LoadFromResourcesWhenPainted(QStringLiteral("Background_Table"));

    TSceneObject *place = FForm.get();
    FWindowShowMessage =
        std::make_unique<TWindowShowMessage>(TWindowShowMessage::TPlace([place] { return place; }),
                                             TWindowShowMessage::TPlace([place] { return place; }));

    FWindowStart = new TWindowStart(FForm.get());
    FWindowStart->SetParent(FForm.get());
    FWindowStart->OnClickCreateTable = [this] { OpenSettingTable(); };
    FWindowStart->OnClickEnterTable = [this](int ID) { EnterTable(ID); };
    // Every change of the window's size lays the scene out at once, also one the host did not ask for:
    // full screen takes effect only after the key that asked for it has been handled.
    FForm->OnResize = [this](TControl *) { RepaintScene(); };
}

TGraphics::~TGraphics() {
    StopGame();
    FWindowShowMessage.reset();
    if (TWindowSettingTable *settings = FWindowSettingTable.Get()) {
        FWindowSettingTable.Reset();
        delete settings;
    }
    delete FWindowStart;
    FWindowStart = nullptr;
    // The scene goes with its view before the main window that holds the view.
    FForm.reset();
    FMainForm.reset();
}

// Window ------------------------------------------------------------------------------------------

void TGraphics::ShowGUI() {
    FMainForm->show();
}

void TGraphics::HideGUI() {
    FMainForm->hide();
}

void TGraphics::SetParentWindow(quintptr Handle) {
    FMainForm->SetParentWindow(static_cast<WId>(Handle));
}

void TGraphics::OnChatResize(int Height, int Width) {
    if (FMainForm->isFullScreen())
        return;
    const int height = std::clamp(Height, 0, kMaxClientSize);
    const int width = std::clamp(Width, 0, kMaxClientSize);
    if (height != Height || width != Width)
        qCWarning(lcScene) << "client size" << Width << "x" << Height << "clamped";
    if (FMainForm->height() != height)
        FMainForm->resize(FMainForm->width(), height);
    if (FMainForm->width() != width)
        FMainForm->resize(width, FMainForm->height());
    // A hidden window hears of its new size only when shown; the scene takes it at once, so that
    // the table and the list are laid out for it now.
    FForm->SetSize(static_cast<float>(FMainForm->width()), static_cast<float>(FMainForm->height()));
    RepaintScene();
}

void TGraphics::RepaintScene() {
    if (TTable *table = FTable.Get())
        table->Repaint();
    RepaintTableList();
}

void TGraphics::ShowMessage(const QString &Title, const QString &Text) {
    FWindowShowMessage->ShowMessage(Title, Text);
}

// Lobby -------------------------------------------------------------------------------------------

void TGraphics::ShowTableList() {
    FWindowStart->Show();
    RepaintTableList();
}

void TGraphics::RepaintTableList() {
    FWindowStart->Repaint();
}

void TGraphics::UpdateTableList(const TArrTableInfo &AList, const TStatTable &AStatTable) {
    FWindowStart->UpdateTableList(AList, AStatTable);
}

void TGraphics::SetEnableEnterTable(bool Value) {
    FWindowStart->SetVisible(Value);
}

void TGraphics::CloseSettingCreateTable(int) {
    FWindowStart->SetVisible(true);
    // Normally the window has closed itself or was freed after its create button; one still open
    // would otherwise stay on screen with nobody listening to it.
    DestroySettingTable();
}

void TGraphics::OpenSettingTable() {
    DestroySettingTable();
    auto *settings = new TWindowSettingTable(FForm.get());
    settings->SetParent(FForm.get());
    FWindowSettingTable.Reset(settings);
    settings->Show();
    settings->OnWindowClose = [this](int ID) { CloseSettingCreateTable(ID); };
    settings->OnCreate = [this](TCreateSetting Setting) { SettingCreate(Setting); };
    FWindowStart->SetVisible(false);
}

void TGraphics::SettingCreate(const TCreateSetting &Setting) {
    TWindowSettingTable *settings = FWindowSettingTable.Get();
    OnCreateNewTable(Setting);
    // Raised from the window's own button: it goes once this click is over.
    if (settings && FWindowSettingTable.Get() == settings) {
        FWindowSettingTable.Reset();
        settings->OnCreate = nullptr;
        FreeLater(settings);
    }
}

void TGraphics::DestroySettingTable() {
    if (TWindowSettingTable *settings = FWindowSettingTable.Get()) {
        FWindowSettingTable.Reset();
        settings->OnCreate = nullptr;
        FreeLater(settings);
    }
    FWindowSettingTable.Reset();
}

void TGraphics::EnterTable(int ID) {
    SetEnableEnterTable(false);
    OnEnterTable(ID);
}

// Waiting room ------------------------------------------------------------------------------------

void TGraphics::OpenWaitingRoom() {
    DestroyWaitingRoom();
    auto *room = new TWindowShowPlayer(FForm.get());
    room->SetParent(FForm.get());
    room->SetHeight(kWaitingRoomHeight);
    room->SetWidth(kWaitingRoomWidth);
    FWindow_Players.Reset(room);
    room->OnWindowClose = [this](int) { WaitingRoomClosed(); };
    room->OnReady = [this](bool State) { OnReady(State); };
    room->SetPlayerWin(TWindowShowPlayer::kNewTable);
    room->Show();
}

void TGraphics::WaitingRoomClosed() {
    // The window frees itself after this notification.
    FWindow_Players.Reset();
    ShowTableList();
    OnCloseInvite();
}

void TGraphics::DestroyWaitingRoom() {
    if (TWindowShowPlayer *room = FWindow_Players.Get()) {
        FWindow_Players.Reset();
        room->OnReady = nullptr;
        room->StopTimerInvite();
        FreeLater(room);
    }
}

void TGraphics::CreateNewTable(int ID, const QString &playername, uint16_t WinState) {
    if (FWindowStart->Valid())
        FWindowStart->Close();
    OpenWaitingRoom();
    TPlayerList list{};
    list[0].Playrname = playername;
    TWindowShowPlayer *room = FWindow_Players.Get();
    room->SetTableID(ID < INT_MAX ? ID + 1 : ID); // the last id has no next number to show
    room->SetPlayerList(list);
    room->SetPlayerWin(WinState);
}

void TGraphics::UpdateInviteList(int ID, const TPlayerList &PlayerList) {
    if (FWindowStart->Valid()) {
        FWindowStart->Close();
        OpenWaitingRoom();
    }
    TWindowShowPlayer *room = FWindow_Players.Get();
    if (!room)
        return;
    if (const int shown = ID < INT_MAX ? ID + 1 : ID; room->TableID() != shown)
        room->SetTableID(shown);
    room->SetPlayerList(PlayerList);
}

void TGraphics::UpdateInviteState(bool Ready, bool GameRuns) {
    if (TWindowShowPlayer *room = FWindow_Players.Get())
        room->SetInviteState(Ready, GameRuns);
}

void TGraphics::UpdateTimerNewTable(int Value) {
    TWindowShowPlayer *room = FWindow_Players.Get();
    if (!room)
        return;
    if (Value != 0)
        room->StartTimerInvite(Value);
    else
        room->StopTimerInvite();
}

void TGraphics::KickInvite() {
    // Also before the waiting room was built: the server may close the table right after the entry.
    DestroyWaitingRoom();
    ShowTableList();
    // The list was only hidden when the user chose the table.
    SetEnableEnterTable(true);
}

void TGraphics::StopGame() {
    if (FWindowStart)
        FWindowStart->Close();
    DestroyWaitingRoom();
    DestroyTable();
}

// Game table --------------------------------------------------------------------------------------

void TGraphics::StartGame(const QString &PlayerName, const TGPlayerList &GPlayerList, const TSrvCard &aTrump,
                          uint8_t count_deck, uint8_t time_go, const TListCardID &ListCardID) {
    DestroyWaitingRoom();
    // A table left over from a game that was never ended makes room for the new one.
    DestroyTable();
    auto *table = new TTable(FForm.get());
    table->SetParent(FForm.get());
    FTable.Reset(table);
    table->SetPlayerName(PlayerName);
    table->SetTrump(aTrump.Suit, aTrump.Dignity);

    table->OnGo = [this](uint8_t CardID) { OnCardGo(CardID); };
    table->OnPickClick = [this] {
        if (TTable *t = FTable.Get())
            t->HidePickButton();
        OnPlayerTakeCard();
    };
    table->OnBitoClick = [this] { OnPlayerBitoCard(); };
    table->OnGetCardFromTemp = [this](uint8_t Suit, uint8_t Dignity) { OnGetTempCard(Suit, Dignity); };
    table->OnBitoEnd = [this] { OnBitoEnd(); };
    table->OnCover = [this](uint8_t CardID, uint8_t SelectID) {
        if (TTable *t = FTable.Get())
            t->HidePickButton();
        OnCardCover(CardID, SelectID);
    };

    table->SetDeck(count_deck);
    table->SetTimeGo(time_go);

    table->OnRoundStart = [this] { OnRoundStart(); };
    table->OnTransfer = [this](uint8_t CardID) { OnCardTransfer(CardID); };
    table->SetOnTextError(OnTextError);

    for (const TGPlayer &player : GPlayerList) {
        table->AddPlayer(player.Playerid, player.Name);
        if (player.Playerid == kOwnSeat) {
            for (const TCardID &card : ListCardID)
                table->AddPlayerCard(kOwnSeat, card.ID, card.Suit, card.Dignity);
        } else {
            for (int i = 0; i < 6; ++i)
                table->AddPlayerCard(player.Playerid, 0, 0, 0);
        }
    }
    table->Repaint();
}

void TGraphics::DestroyTable() {
    // The controller may end the game from inside an event of the table (a message handled inside the
    // send of a move): the table may be running the method that raised it, so it goes on the next turn
    // of the loop, silent and out of sight from now on.
    if (TTable *table = FTable.Get()) {
        FTable.Reset();
        table->ClearEvents();
        table->SetVisible(false);
        table->SetEnabled(false);
        table->DeferredFree();
    }
}

void TGraphics::EndTableGame() {
    DestroyTable();
}

void TGraphics::PlayerGo(uint8_t playerid, uint8_t Suit, uint8_t Dignity) {
    if (TTable *table = FTable.Get())
        table->PlayerGo(playerid, Suit, Dignity);
}

void TGraphics::SetPlayerActive(uint8_t playerid, uint8_t beat_playerid) {
    if (TTable *table = FTable.Get())
        table->PlayerActive(playerid, beat_playerid);
}

void TGraphics::CoverCard(bool type_cover) {
    if (TTable *table = FTable.Get())
        table->SetTableState(type_cover ? TTable::kStateCover : TTable::kStateTaking);
}

void TGraphics::ShowCoverCard() {
    if (TTable *table = FTable.Get())
        table->ShowPlayerCover();
}

void TGraphics::PlayerCover(uint8_t playerid, uint8_t CoverID, uint8_t Suit, uint8_t Dignity) {
    if (TTable *table = FTable.Get())
        table->PlayerCover(playerid, CoverID, Suit, Dignity);
}

void TGraphics::PlayerTake(uint8_t playerid) {
    if (TTable *table = FTable.Get())
        table->ShowPlayerTake(playerid);
}

void TGraphics::GiveCard() {
    TTable *table = FTable.Get();
    if (!table)
        return;
    table->ShowBitoButton();
    table->ShowCanGiveCard();
    // Last, since it sends the clock's restart: a report handled inside that send (the round's end)
    // finds the controls already there and takes them away.
    table->PlayerActive(kOwnSeat, kNoSeat);
}

void TGraphics::ShowCanGiveCard() {
    if (TTable *table = FTable.Get())
        table->ShowCanGiveCard();
}

void TGraphics::AllBito(uint8_t take_playerid, uint8_t next_playerid) {
    TTable *table = FTable.Get();
    if (!table)
        return;
    table->PlayerTake(take_playerid, next_playerid);
    table->SetTableState(TTable::kStateWaiting);
}

void TGraphics::GivePlayerCard(uint8_t playerid, uint8_t ID, uint8_t Suit, uint8_t Dignity) {
    if (TTable *table = FTable.Get())
        table->AddPlayerCard(playerid, ID, Suit, Dignity);
}

void TGraphics::SetDeck(uint8_t Count) {
    if (TTable *table = FTable.Get())
        table->SetDeck(Count);
}

void TGraphics::SetPlayerCountCard(uint8_t playerid, uint8_t Count) {
    if (TTable *table = FTable.Get())
        table->SetPlayerCountCard(playerid, Count);
}

void TGraphics::SetTransfer(bool Value) {
    if (TTable *table = FTable.Get())
        table->SetTransfer(Value);
}

void TGraphics::PlayerExitGame(uint8_t playerid) {
    TTable *table = FTable.Get();
    if (!table)
        return;
    table->DelPlayer(playerid);
    table->PutTableCardToBito();
    table->HidePickButton();
    table->HideActive();
    table->HideAllTake();
    table->HideAllPointer();
    table->SetTableState(TTable::kStateAttack);
}

} // namespace trelvo::scene
