#include "game/Game.h"

#include "game/GameLog.h"
#include "game/RedirectReport.h"
#include "protocol/ClientMessages.h"
#include "protocol/GameValues.h"
#include "protocol/Protocol.h"

#include <algorithm>
#include <array>
#include <utility>

namespace trelvo {

namespace {

const QString kTitleGameVersion = QStringLiteral("Версия игры");
const QString kTitleChatVersion = QStringLiteral("Версия чата");
const QString kTitleTable = QStringLiteral("Стол");
const QString kTitleServer = QStringLiteral("Сервер");

const QString kTextPluginOutdated = QStringLiteral("Ваша версия 1.30 плагина не актуальна. Обратитесь к "
                                                   "администратору с целью получения актуальной версии.");
const QString kTextSameComputer =
    QStringLiteral("Вход невозможен. Одновременная игра с одного компьютера запрещена.");
const QString kTextRecruitingClosed = QStringLiteral("Вход невозможен. Набор в данный стол уже был закрыт.");
const QString kTextTableFull = QStringLiteral("Вход невозможен. Данный стол уже полность заполнен игроками.");
const QString kTextTableClosed = QStringLiteral("Стол был автоматически закрыт из-за бездействия игроков.");
const QString kTextBotLeft = QStringLiteral("Серверный бот вышел из канала. Ожидаем его возвращение.");
const QString kTextBotAbsent = QStringLiteral("Серверный бот отсутствует в чате. Ожидаем его вход.");
const QString kTextExcluded = QStringLiteral("Вы были исключены со стола за бездействие.");

QString ChatOutdatedText(const QString &CCVersion) {
    return QStringLiteral("Ваша версия клиентской части чата \"") + CCVersion +
           QStringLiteral("\" устарела. Обновите чат и повторите попытку.");
}

// The waiting room's status picture for a table that has no result to show.
constexpr uint16_t kNoResult = 3;
// The result of a player who went out, perhaps while the others play on.
constexpr uint8_t kWon = 1;

// What the server may name. A value that converted but lies outside these is refused at the door
// (with a line in the debug trail), before anything reaches the screen, and the game goes on.
constexpr uint8_t kLowestDignity = 1;   // two
constexpr uint8_t kHighestDignity = 13; // ace
constexpr uint8_t kPlaces = 6;          // attack places on the table
constexpr uint8_t kSeats = 4;

// A face the deck holds; (0, 0), the back, is never named as a card in play.
bool IsCardFace(uint8_t Suit, uint8_t Dignity) {
    return Suit >= kSuitClubs && Suit <= kSuitSpades && Dignity >= kLowestDignity &&
           Dignity <= kHighestDignity;
}

bool IsResult(uint8_t Result) {
    return Result <= kNoResult;
}

void Refused(const char *Handler, const char *What, int Value) {
    qCDebug(lcGame, "%s refused: %s %d out of range", Handler, What, Value);
}

void RefusedCard(const char *Handler, const char *What, uint8_t Suit, uint8_t Dignity) {
    qCDebug(lcGame, "%s refused: %s of suit %d and dignity %d is no card", Handler, What, Suit, Dignity);
}

// Every player of a game has a seat of its own: ids the seat formula cannot place (from 4 on, or
// repeated) would leave a player off the table.
bool SeatsValid(const TGPlayerList &Players) {
    std::array<bool, kSeats + 1> taken{};
    for (const TGPlayer &player : Players) {
        if (player.Playerid < kOwnSeat || player.Playerid > kSeats || taken[player.Playerid])
            return false;
        taken[player.Playerid] = true;
    }
    return true;
}

template <typename F, typename... A> void Raise(const F &Event, A &&...Args) {
    if (Event)
        Event(std::forward<A>(Args)...);
}

} // namespace

TGame::TGame(std::unique_ptr<IGraphics> AGraphics, std::unique_ptr<IStatistics> AStatistics,
             TAboutFormFactory AboutFactory)
    : Graphics(std::move(AGraphics)), Statistics(std::move(AStatistics)),
      FAboutFactory(std::move(AboutFactory)) {
    FState = GameState::kStarted;
    Trump = {};
    Graphics->OnCreateNewTable = [this](const TCreateSetting &Setting) { GraphicsCreateNewTable(Setting); };
    Graphics->OnCloseInvite = [this] { GraphicsCloseInvite(); };
    Graphics->OnEnterTable = [this](int ID) { GraphicsEnterTable(ID); };
    Graphics->OnReady = [this](bool State) { GraphicsReady(State); };
    Graphics->OnCardGo = [this](uint8_t CardID) { GraphicsCardGo(CardID); };
    Graphics->OnPlayerTakeCard = [this] { GraphicsPlayerTakeCard(); };
    Graphics->OnPlayerBitoCard = [this] { GraphicsPlayerBitoCard(); };
    Graphics->OnGetTempCard = [this](uint8_t Suit, uint8_t Dignity) { GraphicsGetTempCard(Suit, Dignity); };
    Graphics->OnBitoEnd = [this] { GraphicsBitoEnd(); };
    Graphics->OnCardCover = [this](uint8_t CardID, uint8_t SelectID) { GraphicsCardCover(CardID, SelectID); };
    Graphics->OnRoundStart = [this] { GraphicsRoundStart(); };
    Graphics->OnCardTransfer = [this](uint8_t CardID) { GraphicsCardTransfer(CardID); };
    ServerPlayerList.clear();
    TempCardList = std::make_unique<TTempCardList>();
    LobbyTimers.OnPoll = [this] { Raise(OnTableList); };
    LobbyTimers.OnIdle = [this] { Raise(OnStopPlugin); };
}

TGame::~TGame() {
    // The facade may close windows while it is torn down; nothing of that may reach a dying controller.
    Graphics->OnCreateNewTable = nullptr;
    Graphics->OnCloseInvite = nullptr;
    Graphics->OnEnterTable = nullptr;
    Graphics->OnReady = nullptr;
    Graphics->OnCardGo = nullptr;
    Graphics->OnPlayerTakeCard = nullptr;
    Graphics->OnPlayerBitoCard = nullptr;
    Graphics->OnGetTempCard = nullptr;
    Graphics->OnBitoEnd = nullptr;
    Graphics->OnCardCover = nullptr;
    Graphics->OnRoundStart = nullptr;
    Graphics->OnCardTransfer = nullptr;
    Graphics.reset();
    LobbyTimers.Stop();
    ServerPlayerList.clear();
    TempCardList.reset();
    Statistics.reset();
    if (Timer_End_Game) {
        TTimerEx *timer = Timer_End_Game;
        timer->SetEnabled(false);
        Timer_End_Game = nullptr;
        delete timer;
    }
    if (Form_About) {
        IAboutForm *form = Form_About;
        Form_About = nullptr;
        form->OnDestroy = nullptr;
        delete form;
    }
}

// Properties --------------------------------------------------------------------------------------

void TGame::SetParentWindow(quintptr Value) {
    Graphics->SetParentWindow(Value);
}

void TGame::SetServerIP(const QString &Value) {
    FServerIP = Value;
    Statistics->SetServerIP(Value);
}

void TGame::SetCCVersion(const QString &Value) {
    FCCVersion = Value;
    Statistics->SetChatVersion(Value);
}

void TGame::SetMD5_CC(const QString &Value) {
    Statistics->SetMD5_CC(Value);
}

void TGame::SetMD5_Plugin(const QString &Value) {
    Statistics->SetMD5_Plugin(Value);
}

void TGame::SetOnTextError(TOnTextError Value) {
    FOnTextError = Value;
    Graphics->OnTextError = std::move(Value);
}

void TGame::SetOnStateConnected(TOnStateConnected Value) {
    Statistics->OnStateConnected = std::move(Value);
}

void TGame::SetOnSendSrvInfo(TOnSendSrvInfo Value) {
    Statistics->OnSendSrvInfo = std::move(Value);
}

void TGame::SetOnRedirectPlayerInfo(TOnRedirect Value) {
    Statistics->OnRedirect = std::move(Value);
}

void TGame::SetOnEndRedirectPlayerInfo(TOnEndSendRedirect Value) {
    Statistics->OnEndSendRedirect = std::move(Value);
}

msg::TLenientReader TGame::Fields(const QString &Payload) {
    return msg::TLenientReader(Payload, [this] { Raise(OnError, 0); });
}

// Host messages -----------------------------------------------------------------------------------

void TGame::OnChatResize(int Height, int Width) {
    Graphics->OnChatResize(Height, Width);
}

void TGame::ShowGUI() {
    Graphics->ShowGUI();
}

void TGame::HideGUI() {
    Graphics->HideGUI();
}

void TGame::SetPlayerInfo(const QString &Name, const QString &IP, int Gender) {
    FPlayerInfo.Name = Name;
    FPlayerInfo.IP = IP;
    FPlayerInfo.Gender = LowByte(Gender);
    Statistics->SetPlayerInfo(FPlayerInfo);
}

void TGame::ExitServerBot() {
    Graphics->ShowMessage(kTitleServer, kTextBotLeft);
    LobbyTimers.Stop();
    Graphics->StopGame();
}

void TGame::ServerBotNotConnected() {
    Graphics->ShowMessage(kTitleServer, kTextBotAbsent);
}

void TGame::ShowAboutForm() {
    if (Form_About || !FAboutFactory)
        return;
    IAboutForm *form = FAboutFactory();
    if (!form)
        return;
    Form_About = form;
    form->OnDestroy = [this, form] {
        if (Form_About == form)
            Form_About = nullptr;
    };
    form->Show();
}

void TGame::IgnoredOutOfState(const char *Handler) const {
    qCDebug(lcGame, "%s ignored in state %d", Handler, FState);
    if (OnIgnoredOutOfState)
        OnIgnoredOutOfState(Handler);
}

// Lobby -------------------------------------------------------------------------------------------

int TGame::OnCheckVersion(const QString &Value) {
    msg::TLenientReader in = Fields(Value);
    const int status = in.Int();
    switch (status) {
    case VersionStatus::kAccepted: {
        const int echo = in.Int();
        const QString playerID = in.Text();
        Statistics->SetPlayerID(playerID);
        FState = GameState::kLobby;
        Graphics->ShowTableList();
        LobbyTimers.Start();
        Statistics->Send();
        return echo;
    }
    case VersionStatus::kPluginOutdated:
        Graphics->ShowMessage(kTitleGameVersion, kTextPluginOutdated);
        return -1;
    case VersionStatus::kChatOutdated:
        Graphics->ShowMessage(kTitleChatVersion, ChatOutdatedText(FCCVersion));
        return -1;
    default:
        return -1;
    }
}

void TGame::OnResponseTableList(const QString &Value) {
    if (FState != GameState::kLobby)
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    const int n = in.Int();
    TStatTable stat;
    stat.CountTrTable = in.Int();
    stat.CountNotTrTable = in.Int();
    stat.CountTrPlayer = in.Int();
    stat.CountNotTrPlayer = in.Int();
    if (n < 0)
        return Refused(__func__, "table count", n);
    // Five fields an entry.
    const int count = in.Bounded(n, 5);
    TArrTableInfo list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        TTableInfo info;
        info.ID = in.Int();
        info.PlayerCount = in.Int();
        info.Transfer = in.Flag();
        info.FNTR = in.Flag();
        info.MaxF = in.Flag();
        list.push_back(info);
    }
    Graphics->UpdateTableList(list, stat);
}

void TGame::CreateNewTable(const QString &Value) {
    const int id = Fields(Value).Whole();
    FTableID = id;
    if (id != -1) {
        Graphics->CreateNewTable(id, FPlayerInfo.Name, kNoResult);
    } else {
        // Unlike a refused entry, the lobby stays without polling until the player acts again.
        Graphics->CloseSettingCreateTable(-1);
        Graphics->ShowMessage(kTitleTable, kTextSameComputer);
    }
}

void TGame::ErrorEnterTable(const QString &Value) {
    if (FState != GameState::kAtTable)
        return IgnoredOutOfState(__func__);
    FState = GameState::kLobby;
    const int reason = Fields(Value).Int();
    switch (reason) {
    case 1:
        Graphics->ShowMessage(kTitleTable, kTextRecruitingClosed);
        break;
    case 2:
        Graphics->ShowMessage(kTitleTable, kTextTableFull);
        break;
    case 3:
        Graphics->ShowMessage(kTitleTable, kTextSameComputer);
        break;
    default:
        break;
    }
    LobbyTimers.Start();
    Graphics->SetEnableEnterTable(true);
}

void TGame::ChangeTable(const QString &Value) {
    if (FState != GameState::kAtTable)
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    FTableID = in.Int();
    const int count = in.Bounded(in.Int());
    TPlayerList list;
    for (int i = 0; i < count; ++i) {
        const int slot = in.Int();
        const QString name = in.Name();
        const bool ready = in.Int() != 0;
        if (slot < 0 || slot > 3)
            continue;
        list[slot].Playrname = name;
        list[slot].PlayerState = ready;
    }
    for (TPlayer &seat : list) {
        if (seat.Playrname.isEmpty())
            seat.PlayerState = false;
    }
    FInviteState.Seats(list, FPlayerInfo.Name);
    // While a game's result waits to be shown, the seats wait with it.
    if (TempCardList->EndGame()) {
        TempCardList->SetPlayerList(list);
    } else {
        Graphics->UpdateInviteList(FTableID, list);
        ShowInviteState();
    }
}

void TGame::ShowInviteState() {
    Graphics->UpdateInviteState(FInviteState.OwnReady(), FInviteState.GameRuns());
}

void TGame::UpdTimerNewTable(const QString &Value) {
    Graphics->UpdateTimerNewTable(Fields(Value).Int());
}

void TGame::PlayerExitInvite() {
    Graphics->KickInvite();
    FState = GameState::kLobby;
    LobbyTimers.Start();
    Graphics->ShowMessage(kTitleTable, kTextTableClosed);
}

void TGame::CheckInternet(const QString &Value) {
    Statistics->CheckInternetConnected(Fields(Value).Text());
}

void TGame::SendServerInfo(const QString &Value) {
    msg::TLenientReader in = Fields(Value);
    const QString version = in.Text();
    const QString md5Server = in.Text();
    const QString md5Plugin = in.Text();
    const QString verPlug = in.Text();
    Statistics->SendServerInfo(version, md5Server, md5Plugin, verPlug);
}

void TGame::RedirectPlayerInfo(const QString &Data) {
    msg::TLenientReader in = Fields(Data);
    if (const std::optional<TStatInfo> info = ReadRedirectReport(in))
        Statistics->SendRedirect(*info);
}

// Game --------------------------------------------------------------------------------------------

uint8_t TGame::ClientPlayerid(int id) const {
    for (const TSrvPlayer &player : ServerPlayerList) {
        if (SignedByte(id) == int(player.Server_Playerid))
            return player.Client_Playerid;
    }
    return kNoSeat;
}

bool TGame::IsOwnId(int id) const {
    return SignedByte(id) == int(FPlayerid);
}

bool TGame::IsOwnSeat(uint8_t Seat) const {
    // Without this player at the table (FPlayerid matches no id) seat 1 holds somebody else.
    return Seat == kOwnSeat && IsOwnId(FPlayerid);
}

void TGame::StartGame(const QString &Value) {
    if (FState != GameState::kAtTable)
        return IgnoredOutOfState(__func__);
    TListCardID cards;
    FInviteState.Reset();
    msg::TLenientReader in = Fields(Value);
    const uint8_t playerCount = in.Byte();
    const uint8_t timeGo = in.Byte();
    TGPlayerList players(playerCount);
    TSrvPlayerList serverPlayers(playerCount);
    // Without this player's name among the players, no id is this player's and the seats count
    // from id 0: seat 1 then holds somebody else and is not this player's either (IsOwnSeat).
    uint8_t playerid = kNoSeat;
    uint8_t ownId = 0;
    for (int i = 0; i < playerCount; ++i) {
        const uint8_t id = in.Byte();
        const QString name = in.Name();
        serverPlayers[i].Server_Playerid = id;
        serverPlayers[i].Name = name;
        players[i].Name = name;
        if (name == FPlayerInfo.Name) {
            ownId = id;
            playerid = id;
        }
    }
    for (int i = 0; i < playerCount; ++i) {
        const uint8_t seat = SeatNumber(serverPlayers[i].Server_Playerid, ownId);
        players[i].Playerid = seat;
        serverPlayers[i].Client_Playerid = seat;
    }
    const int firstID = in.Id();
    TSrvCard trump;
    trump.Suit = in.Byte();
    trump.Dignity = in.Byte();
    const uint8_t deckCount = in.Byte();
    const uint8_t cardCount = in.Byte();
    for (int i = 0; i < cardCount; ++i) {
        TCardID card;
        card.ID = in.Byte();
        card.Suit = in.Byte();
        card.Dignity = in.Byte();
        if (IsCardFace(card.Suit, card.Dignity))
            cards.push_back(card);
        else
            RefusedCard(__func__, "hand card", card.Suit, card.Dignity);
    }
    // A game that cannot be laid out is not started: the waiting room stays.
    if (!SeatsValid(players)) {
        qCDebug(lcGame, "StartGame refused: the ids of %d players give no seat to each", playerCount);
        return;
    }
    if (!IsCardFace(trump.Suit, trump.Dignity))
        return RefusedCard(__func__, "trump", trump.Suit, trump.Dignity);
    FState = GameState::kInGame;
    FRoundClosing = false;
    ServerPlayerList = std::move(serverPlayers);
    FPlayerid = playerid;
    Trump = trump;
    Graphics->StartGame(FPlayerInfo.Name, players, Trump, deckCount, timeGo, cards);
    Graphics->SetPlayerActive(ClientPlayerid(firstID), kNoSeat);
    if (IsOwnId(firstID))
        Graphics->ShowCanGiveCard();
}

void TGame::PlayerGo(const QString &Value) {
    if (!GameState::InGame(FState))
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    const int attackerID = in.Id();
    const int defenderID = in.Id();
    const uint8_t suit = in.Byte();
    const uint8_t dignity = in.Byte();
    const bool transfer = in.Flag();
    if (!IsCardFace(suit, dignity))
        return RefusedCard(__func__, "card", suit, dignity);
    Graphics->SetTransfer(transfer);
    const uint8_t a = ClientPlayerid(attackerID);
    const uint8_t d = ClientPlayerid(defenderID);
    // While someone takes, a card thrown in does not make this player cover.
    if (FState != GameState::kTaking && FState != GameState::kOtherTakes && IsOwnId(defenderID)) {
        FState = GameState::kMustCover;
        Graphics->CoverCard(true);
    }
    if (d == kNoSeat) {
        Graphics->PlayerGo(a, suit, dignity);
        return;
    }
    if (FState == GameState::kTaking)
        Graphics->CoverCard(false);
    Graphics->PlayerGo(a, suit, dignity);
    if (IsOwnSeat(a) && FState == GameState::kOtherTakes)
        Graphics->GiveCard();
    Graphics->SetPlayerActive(d, d);
}

void TGame::PlayerCover(const QString &Value) {
    if (FState != GameState::kInGame && FState != GameState::kMustCover)
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    const uint8_t coverKind = in.Byte();
    const int covererID = in.Id();
    const QString nextField = in.Text();
    const int nextID = (coverKind == CoverKind::kAllCovered || coverKind == CoverKind::kOpenCardsLeft)
                           ? SignedByte(in.ToInt(nextField))
                           : 0;
    const uint8_t place = in.Byte();
    // This player's own cover is on the table already; the report of it carries no face.
    if (!IsOwnId(covererID)) {
        const uint8_t suit = in.Byte();
        const uint8_t dignity = in.Byte();
        if (place >= kPlaces)
            return Refused(__func__, "place", place);
        if (!IsCardFace(suit, dignity))
            return RefusedCard(__func__, "card", suit, dignity);
        Graphics->PlayerCover(ClientPlayerid(covererID), place, suit, dignity);
    }
    if (coverKind == CoverKind::kAllCovered) {
        if (IsOwnId(nextID))
            Graphics->GiveCard();
        Graphics->SetPlayerActive(ClientPlayerid(nextID), kNoSeat);
    } else if (coverKind == CoverKind::kOpenCardsLeft) {
        if (IsOwnId(nextID))
            Graphics->CoverCard(true);
        Graphics->SetPlayerActive(ClientPlayerid(nextID), kNoSeat);
    }
}

void TGame::PlayerTake(const QString &Value) {
    if (FState < GameState::kInGame || FState > GameState::kTaking)
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    const int takerID = in.Id();
    const int nextID = in.Id();
    const uint8_t t = ClientPlayerid(takerID);
    const uint8_t n = ClientPlayerid(nextID);
    Graphics->PlayerTake(t);
    FState = IsOwnSeat(t) ? GameState::kTaking : GameState::kOtherTakes;
    if (IsOwnId(nextID))
        Graphics->GiveCard();
    else
        Graphics->SetPlayerActive(n, kNoSeat);
}

void TGame::PlayerBito(const QString &Value) {
    if (!GameState::InGame(FState))
        return IgnoredOutOfState(__func__);
    const int nextID = Fields(Value).Id();
    if (IsOwnId(nextID))
        Graphics->GiveCard();
    else
        Graphics->SetPlayerActive(ClientPlayerid(nextID), kNoSeat);
}

void TGame::AllPlayerBito(const QString &Value) {
    if (!GameState::InGame(FState))
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    const bool bito = in.Flag();
    const int takerID = in.Id();
    const int nextID = in.Id();
    uint8_t t = kNoSeat;
    if (!bito) {
        FState = GameState::kInGame;
        t = ClientPlayerid(takerID);
    } else if (IsOwnId(nextID)) {
        FState = GameState::kInGame;
    }
    TempCardList->SetCountDeck(in.Byte());
    const uint8_t m = in.Byte();
    TempCardList->ResetPlayerCount();
    for (int i = 0; i < m; ++i) {
        const uint8_t seat = ClientPlayerid(in.Id());
        const int count = in.Int();
        if (!IsOwnSeat(seat))
            TempCardList->PlayerCountCard(seat, SignedByte(count));
    }
    const uint8_t n = in.Byte();
    for (int i = 0; i < n; ++i) {
        const uint8_t id = in.Byte();
        const uint8_t suit = in.Byte();
        const uint8_t dignity = in.Byte();
        if (IsCardFace(suit, dignity))
            TempCardList->AddCard(id, suit, dignity);
        else
            RefusedCard(__func__, "card", suit, dignity);
    }
    if (t != kNoSeat)
        Graphics->PlayerTake(t);
    TempCardList->SetNextPlayer(static_cast<int8_t>(ClientPlayerid(nextID)));
    // Set first: a scene may end the round inside the call.
    FRoundClosing = true;
    Graphics->AllBito(t, static_cast<uint8_t>(TempCardList->NextPlayer()));
}

void TGame::EndGame(const QString &Value) {
    if (!GameState::InGame(FState))
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    const uint8_t result = in.Byte();
    // No result picture exists for it: the game is not ended by a report that cannot be shown.
    if (!IsResult(result))
        return Refused(__func__, "result", result);
    FState = GameState::kAtTable;
    if (result == kNoResult)
        return;
    const uint8_t showNow = in.Byte();
    FInviteState.GameResult(result == kWon);
    TempCardList->SetWinState(result);
    TempCardList->SetEndGame(true);
    // Otherwise the round's closing animation starts the result timer when it ends; when that
    // animation is over already (or there was none), no OnBitoEnd would ever come to show it.
    if (showNow == 1 || !FRoundClosing)
        StartResultTimer();
}

void TGame::PlayerExitGame(const QString &Value) {
    if (!GameState::InGame(FState))
        return IgnoredOutOfState(__func__);
    msg::TLenientReader in = Fields(Value);
    const int leaverID = in.Id();
    if (IsOwnId(leaverID)) {
        Graphics->EndTableGame();
        TempCardList->Clean();
        FState = GameState::kLobby;
        Graphics->ShowMessage(kTitleTable, kTextExcluded);
        Graphics->ShowTableList();
        LobbyTimers.Start();
        FTableID = -1;
        return;
    }
    in.Text();
    const int nextID = in.Id();
    Graphics->PlayerExitGame(ClientPlayerid(leaverID));
    if (LowByte(nextID) != kNoSeat) {
        // Set first: the clock's restart is sent from inside SetPlayerActive, and the next report may
        // be handled inside that send.
        FState = GameState::kInGame;
        Graphics->SetPlayerActive(ClientPlayerid(nextID), kNoSeat);
        if (IsOwnId(nextID))
            Graphics->ShowCanGiveCard();
    }
}

void TGame::StartResultTimer() {
    if (Timer_End_Game) {
        TTimerEx *old = Timer_End_Game;
        Timer_End_Game = nullptr;
        delete old;
    }
    auto *timer = new TTimerEx;
    timer->SetInterval(kResultDelayMs);
    timer->SetAutoFree(true);
    timer->OnTimer = [this](TTimerEx *Sender) {
        ShowResult();
        // The timer frees itself after this tick.
        if (Timer_End_Game == Sender)
            Timer_End_Game = nullptr;
    };
    Timer_End_Game = timer;
    timer->SetEnabled(true);
}

void TGame::ShowResult() {
    Graphics->EndTableGame();
    Graphics->CreateNewTable(FTableID, FPlayerInfo.Name, TempCardList->WinState());
    Graphics->UpdateInviteList(FTableID, TempCardList->PlayerList());
    ShowInviteState();
    TempCardList->Clean();
}

// Scene events ------------------------------------------------------------------------------------

void TGame::GraphicsCreateNewTable(const TCreateSetting &Setting) {
    FState = GameState::kAtTable;
    FInviteState.Reset();
    LobbyTimers.Stop();
    Raise(OnCreateNewTable, msg::BuildFields(msg::TCreateTableRequest{Setting.Transfer, Setting.First_Not_TR,
                                                                      Setting.Max_Five}));
}

void TGame::GraphicsCloseInvite() {
    FState = GameState::kLobby;
    Raise(OnExitInvite, FTableID);
    LobbyTimers.Start();
    FTableID = -1;
}

void TGame::GraphicsEnterTable(int ID) {
    FState = GameState::kAtTable;
    FInviteState.Reset();
    LobbyTimers.Stop();
    Raise(OnEnterTable, ID);
}

void TGame::GraphicsReady(bool State) {
    Raise(OnPlayerReady, FTableID, State ? '1' : '0');
}

void TGame::GraphicsCardGo(uint8_t CardID) {
    Raise(OnPlayerGo, FTableID, CardID);
}

void TGame::GraphicsCardCover(uint8_t CardID, uint8_t SelectID) {
    Raise(OnPlayerCover, FTableID, CardID, SelectID);
}

void TGame::GraphicsCardTransfer(uint8_t CardID) {
    Raise(OnPlayerTransfer, FTableID, CardID);
}

void TGame::GraphicsPlayerTakeCard() {
    FState = GameState::kTaking;
    Raise(OnPlayerTake, FTableID);
}

void TGame::GraphicsPlayerBitoCard() {
    Raise(OnPlayerBito, FTableID);
}

void TGame::GraphicsRoundStart() {
    Raise(OnRoundStart, FTableID);
}

void TGame::GraphicsGetTempCard(uint8_t Suit, uint8_t Dignity) {
    const uint8_t id = TempCardList->GetCard(Suit, Dignity);
    if (id != kNoCard)
        Graphics->GivePlayerCard(kOwnSeat, id, Suit, Dignity);
}

void TGame::GraphicsBitoEnd() {
    FRoundClosing = false;
    if (TempCardList->EndGame()) {
        StartResultTimer();
        return;
    }
    // Size(), not the byte Count(): a list of 256 cards must not look empty.
    while (TempCardList->Size() > 0) {
        uint8_t id = 0, suit = 0, dignity = 0;
        TempCardList->GetCard(id, suit, dignity);
        Graphics->GivePlayerCard(kOwnSeat, id, suit, dignity);
    }
    Graphics->SetDeck(TempCardList->CountDeck());
    const TTempCardList::TPlayerCounts counts = TempCardList->Player();
    for (int seat = 2; seat <= 4; ++seat) {
        if (counts[seat - 2] != -1)
            Graphics->SetPlayerCountCard(static_cast<uint8_t>(seat), static_cast<uint8_t>(counts[seat - 2]));
    }
    if (IsOwnSeat(static_cast<uint8_t>(TempCardList->NextPlayer()))) {
        Graphics->ShowCanGiveCard();
        TempCardList->SetNextPlayer(-1);
    }
}

} // namespace trelvo
