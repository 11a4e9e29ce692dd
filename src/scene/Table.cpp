#include "Table.h"

#include "SceneTimings.h"

#include "kit/Round.h"

#include <algorithm>
#include <utility>

namespace trelvo::scene {

namespace {
const TResBut kTakePictures{QString(), QStringLiteral("Button_PickUp_1"), QStringLiteral("Button_PickUp_2"),
                            QStringLiteral("Button_PickUp_3")};
// The free space the stock keeps from the left seat and from the playing places.
constexpr float kStockGap = 10;
// Between the take or bito button and the right seat's cards.
constexpr float kButtonGap = 10;
const TResBut kBitoPictures{QString(), QStringLiteral("Button_Bito_1"), QStringLiteral("Button_Bito_2"),
                            QStringLiteral("Button_Bito_3")};
} // namespace

TTable::TTable(TSceneObject *owner) : TLayout(owner) {
    SetAlign(TAlignLayout::Client);
    for (uint8_t seat = 1; seat <= 4; ++seat) {
        auto *player = new TPlayer(this, seat);
        player->SetParent(this);
        player->SetTrump(&FTrump);
        player->OnPlayerCardClick = [this](uint8_t CardID, uint8_t Suit, uint8_t Dignity) {
            CardClicked(CardID, Suit, Dignity);
        };
        FPlayer[seat - 1u] = player;
    }

    FCardDeck = new TCardDeck(this);
    FCardDeck->SetParent(this);
    FCardDeck->SetSize(TCardDeck::kWidth, TCardDeck::kHeight);

    FPlayerBar = new TPlayerBar(this);
    FPlayerBar->SetParent(this);
    FPlayerBar->OnPickClick = [this] { TakeClicked(); };
    FPlayerBar->OnBitoClick = [this] { BitoClicked(); };
    FPlayerBar->OnRoundStart = [this] {
        if (FHoldRoundStart)
            FRoundStartHeld = true;
        else if (OnRoundStart)
            OnRoundStart();
    };
    FPlayerBar->OnRoundStop = [this] { ClockRanOut(); };

    FPlayingPlace = new TPlayingPlace(this);
    FPlayingPlace->SetParent(this);
    FPlayingPlace->SetAlign(TAlignLayout::Client);
    FPlayingPlace->OnBitoEnd = [this] { RoundFinished(); };
    FPlayingPlace->OnCardMoveEnd = [this](uint8_t Suit, uint8_t Dignity) {
        PickedUpCardLanded(Suit, Dignity);
    };
    FPlayingPlace->OnMoveEnd = [this] { ShowPlayerCover(); };
    FPlayingPlace->OnChangeSelect = [this](bool State) { ChoiceChanged(State); };

    FPickBitoButton = new TPicButton(this, kTakePictures);
    FPickBitoButton->SetParent(this);
    FPickBitoButton->SetVisible(false);
    FPickBitoButton->SetAutoSize(true);
    FPickBitoButton->OnPicClick = [this] {
        if (FPickBitoButtonState == kButtonTake)
            TakeClicked();
        else
            BitoClicked();
    };

    FRoundEnd = new TRoundEnd(Own());
    FRoundEnd->SetParent(Own());
    FRoundEnd->OnEnd = [this] { CountdownEnded(); };
    FRoundEnd->SetOffsetDown(Own()->Height());

    FYourTurn = new TYourTurn(this);
    FYourTurn->SetParent(this);
    // Placed by the layout: centred it would lie over the cards the user must cover.
    FYourTurn->SetAlign(TAlignLayout::None);
}

TPlayer *TTable::Player(uint8_t playerid) const {
    return playerid >= 1 && playerid <= 4 ? FPlayer[playerid - 1u] : nullptr;
}

void TTable::SetOnTextError(TOnTextError value) {
    FOnTextError = value;
    Own()->SetOnTextError(std::move(value));
}

void TTable::SetTrump(uint8_t Suit, uint8_t Dignity) {
    FTrump = {Suit, Dignity};
    FCardDeck->SetTrump(Suit, Dignity);
}

void TTable::AddPlayer(uint8_t playerid, const QString &PlayerName) {
    if (playerid >= 2 && playerid <= 4)
        Player(playerid)->SetPlayerName(PlayerName);
}

void TTable::DelPlayer(uint8_t playerid) {
    if (playerid >= 2 && playerid <= 4)
        Player(playerid)->SetPlayerName(QString());
}

void TTable::AddPlayerCard(uint8_t playerid, uint8_t ID, uint8_t Suit, uint8_t Dignity) {
    TPlayer *seat = Player(playerid);
    if (!seat)
        return;
    seat->AddCard(ID, Suit, Dignity);
    Repaint();
}

void TTable::Repaint() {
    const float W = Width(), H = Height();
    FPlayerBar->SetPosition(static_cast<float>(Round((W - FPlayerBar->Width()) / 2.0)),
                            H - FPlayerBar->Height() - 5);
    Own()->SetLeftPlayerBar(FPlayerBar->X());
    for (TPlayer *seat : FPlayer)
        seat->Repaint();
    // The stock lies 100 right of the left seat unless that reaches under the centred playing places;
    // then it moves towards the left seat, and where even that is too little the places move right.
    TPlayer *left = Player(2);
    const float leftSeat = left->Width() + left->X();
    const float centredRow =
        FPlayingPlace->X() +
        static_cast<float>(Round((FPlayingPlace->Width() - TPlayingPlace::kRowWidth) / 2.0));
    const float deckX = std::max(std::min(leftSeat + 100, centredRow - kStockGap - TCardDeck::kReach),
                                 leftSeat + TCardDeck::kOverhangLeft + kStockGap);
    FCardDeck->SetPosition(deckX, Own()->Y() - FCardDeck->Height() - 5);
    FPlayingPlace->SetLeftmost(deckX + TCardDeck::kReach + kStockGap - FPlayingPlace->X());
    FPlayingPlace->Repaint();
    PlacePickBitoButton();
    PlaceYourTurn();
    FRoundEnd->SetX(FPlayerBar->X() - FRoundEnd->Width() - 20);
}

void TTable::PlaceYourTurn() {
    // Centred in the free band between the playing places and the own hand.
    const float rowBottom =
        FPlayingPlace->Y() + FPlayingPlace->PosFirsCard().Y + TPlayingPlace::kCoverOffset + TCard::kHeight;
    const float handTop = Own()->Y() + Own()->CardList()->Y();
    FYourTurn->SetPosition(static_cast<float>(Round((Width() - FYourTurn->Width()) / 2.0)),
                           rowBottom +
                               static_cast<float>(Round((handTop - rowBottom - FYourTurn->Height()) / 2.0)));
}

void TTable::PlacePickBitoButton() {
    // 80 right of the player bar and 130 above it; on a narrow table it keeps left of the right seat's
    // cards and, where it then reaches under the playing places, below their row.
    TPlayer *right = Player(4);
    const float rightCards = right->X() + right->CardList()->X();
    const float w = FPickBitoButton->Width(), h = FPickBitoButton->Height();
    const float x = std::min(FPlayerBar->Width() + FPlayerBar->X() + 80, rightCards - w - kButtonGap);
    float y = FPlayerBar->Y() - h - 130;
    const float rowLeft = FPlayingPlace->X() + FPlayingPlace->PosFirsCard().X;
    const float rowTop = FPlayingPlace->Y() + FPlayingPlace->PosFirsCard().Y;
    const float rowBottom = rowTop + TPlayingPlace::kCoverOffset + TCard::kHeight;
    if (x < rowLeft + TPlayingPlace::kRowWidth && y < rowBottom && y + h > rowTop)
        y = rowBottom + kButtonGap;
    FPickBitoButton->SetPosition(x, y);
}

// --- the controller's commands --------------------------------------------------------------

void TTable::PlayerGo(uint8_t playerid, uint8_t Suit, uint8_t Dignity) {
    TPlayer *seat = Player(playerid);
    if (!seat)
        return;
    // The next round's first card may come while the last round's end still counts down: that round
    // ends now, or its discard would sweep the new card away and its deal would come too late.
    FRoundEnd->Finish();
    // So do the last round's cards still flying to the taker: their landing ends the round and the
    // controller deals, and only then does the lead leave the hand it was dealt into.
    FPlayingPlace->FinishPickUp();
    if (playerid == kOwnSeat) {
        // A move the user clicked is on the table already; its report arrives in state 2.
        if (FTableState != kStateAttack)
            return;
        FTableState = kStateWaiting;
        DisarmOwnHand();
        HideBitoButton();
        seat->DelCard(seat->GetCardID(Suit, Dignity));
    } else {
        seat->DelCard(0);
    }
    Repaint();
    FPlayingPlace->MoveCard(playerid, Suit, Dignity, true, static_cast<uint8_t>(FCountCardGo));
    ++FCountCardGo;
}

void TTable::PlayerCover(uint8_t playerid, uint8_t CoverID, uint8_t Suit, uint8_t Dignity) {
    TPlayer *seat = Player(playerid);
    if (!seat)
        return;
    seat->DelCard(0);
    Repaint();
    FPlayingPlace->MoveCard(playerid, Suit, Dignity, false, CoverID);
}

void TTable::PlayerActive(uint8_t playerid, uint8_t beat_playerid) {
    for (TPlayer *seat : FPlayer)
        seat->SetActive(false);
    // Only when the user has a move to make: not while taking, not with an empty hand (the user is out).
    if (playerid == kOwnSeat && !FCoverYourTurn && FTableState != kStateTaking && Own()->CountCard() > 0)
        FYourTurn->Show();
    FCoverYourTurn = false;

    // The defender pointer moves when a round starts, and after a transfer (nothing covered yet).
    const bool transferred =
        beat_playerid != kNoSeat && FCountCardGo > 1 && FPlayingPlace->CountNoCover() == FCountCardGo;
    if (FCountCardGo == 0 || transferred) {
        uint8_t defender = beat_playerid;
        if (defender == kNoSeat && playerid >= 1 && playerid <= 4) {
            for (int step = 1; step <= 4; ++step) {
                const uint8_t candidate = static_cast<uint8_t>((playerid - 1 + step) % 4 + 1);
                if (Player(candidate)->CountCard() > 0) {
                    defender = candidate;
                    break;
                }
            }
        }
        TPlayer *target = Player(defender);
        if (target && !target->Beat()) {
            HideAllPointer();
            target->SetBeat(true);
        }
    }

    if (playerid >= 2 && playerid <= 4) {
        Player(playerid)->SetActive(true);
    } else if (playerid == kOwnSeat && FTableState != kStateTaking) {
        if (FTableState != kStateCover)
            FTableState = kStateAttack;
        Own()->SetCanClick(true);
    }
    FPlayerBar->SetTime(FTimeGo);
}

void TTable::ShowPlayerTake(uint8_t playerid) {
    TPlayer *seat = Player(playerid);
    if (!seat)
        return;
    if (playerid == kOwnSeat)
        OwnTakeSteps();
    seat->SetTake(true);
}

void TTable::PlayerTake(uint8_t take_playerid, uint8_t next_playerid) {
    FCountCardGo = 0;
    Ftake_playerid = Player(take_playerid) ? take_playerid : kNoSeat;
    Fnext_playerid = Player(next_playerid) ? next_playerid : kNoSeat;
    if (Ftake_playerid == kOwnSeat)
        Own()->SetTake(false);
    FPlayerBar->StopTime();
    DisarmOwnHand();
    HideBitoButton();
    for (TPlayer *seat : FPlayer)
        if (seat->Beat())
            seat->SetBeat(false);
    if (Ftake_playerid == kNoSeat)
        FPlayingPlace->SetBito(true);
    FRoundEnd->Start(scene::kRoundEndSeconds);
}

void TTable::ShowBitoButton() {
    FPickBitoButton->SetImgName(kBitoPictures);
    FPickBitoButton->SetVisible(true);
    FPickBitoButtonState = kButtonBito;
    FPlayerBar->SetActiveBitoButton(true);
}

void TTable::ShowTakeButton() {
    FPickBitoButton->SetImgName(kTakePictures);
    FPickBitoButton->SetVisible(true);
    FPickBitoButtonState = kButtonTake;
    FPlayerBar->SetActiveTakeButton(true);
}

void TTable::HidePickButton() {
    FPickBitoButton->SetVisible(false);
    FPlayerBar->SetActiveTakeButton(false);
}

void TTable::HideBitoButton() {
    FPickBitoButton->SetVisible(false);
    FPlayerBar->SetActiveBitoButton(false);
}

void TTable::ShowPlayerCover() {
    if (FTableState != kStateCover)
        return;
    ShowTakeButton();
    if (FTransfer && Own()->IsHaveTransfer(FirstAttackCard())) {
        Own()->ShowCanGiveCard(FirstAttackCard());
        FPlayingPlace->ShowTransferPlace();
        FPlayingPlace->SetTransferLight(true);
        FTableState = kStateTransfer;
    } else {
        FPlayingPlace->SetTransferLight(false);
        FTableState = kStateCover;
        Own()->ShowCanUsedToCoverCard(FPlayingPlace->GetSelectCard());
    }
    FPlayingPlace->ShowSelectCoverCard();
}

void TTable::ShowCanGiveCard() {
    std::vector<TSrvCard> onTable;
    for (uint8_t slot = 0; slot < 2 * TPlayingPlace::kSlots; ++slot) {
        const TSrvCard card = FPlayingPlace->GetCard(slot);
        if (card.Suit != 0 && card.Dignity != 0)
            onTable.push_back(card);
    }
    if (!onTable.empty())
        Own()->ShowCanThrowIn(onTable);
    else if (Own()->CountCard() > 0)
        Own()->ShowAllLightsCard();
}

void TTable::SetPlayerCountCard(uint8_t playerid, uint8_t Count) {
    TPlayer *seat = Player(playerid);
    if (!seat)
        return;
    const int d = seat->CountCard() - Count;
    for (int i = 0; i < (d < 0 ? -d : d); ++i) {
        if (d < 0)
            seat->AddCard(0, 0, 0);
        else
            seat->DelCard(0);
    }
}

void TTable::HideActive() {
    DisarmOwnHand();
    FPlayingPlace->HideSelectCoverCard();
    FCountCardGo = 0;
}

void TTable::HideAllTake() {
    for (TPlayer *seat : FPlayer)
        seat->SetTake(false);
}

void TTable::HideAllPointer() {
    for (TPlayer *seat : FPlayer)
        seat->SetBeat(false);
}

// --- the user's side ------------------------------------------------------------------------

void TTable::DisarmOwnHand() {
    Own()->SetCanClick(false);
    Own()->HideCanUsedCard();
}

void TTable::OwnTakeSteps() {
    Own()->SetCanClick(false);
    Own()->SetTake(true);
    Own()->HideCanUsedCard();
    Own()->Repaint();
    FPlayingPlace->HideSelectCoverCard();
    FPlayingPlace->HideTransferPlace();
    HidePickButton();
}

void TTable::CardClicked(uint8_t CardID, uint8_t Suit, uint8_t Dignity) {
    FYourTurn->Hide();
    DisarmOwnHand();
    switch (FTableState) {
    case kStateAttack:
        FTableState = kStateWaiting;
        HideBitoButton();
        Own()->DelCard(CardID);
        Repaint();
        FPlayingPlace->MoveCard(kOwnSeat, Suit, Dignity, true, static_cast<uint8_t>(FCountCardGo++));
        // Raised last: a message handled inside the send of the move finds the table up to date.
        if (OnGo)
            OnGo(CardID);
        break;
    case kStateCover: {
        // Covering the last open card ends the defence; otherwise the user covers on.
        if (FPlayingPlace->CountNoCover() == 1)
            FTableState = kStateWaiting;
        FCoverYourTurn = true;
        FTransfer = false;
        Own()->DelCard(CardID);
        Repaint();
        FPlayingPlace->HideSelectCoverCard();
        FPlayingPlace->HideTransferPlace();
        const uint8_t s = FPlayingPlace->SelectID();
        FPlayingPlace->MoveCard(kOwnSeat, Suit, Dignity, false, s);
        if (OnCover)
            OnCover(CardID, s);
        break;
    }
    case kStateTransfer:
        FTableState = kStateWaiting;
        HideBitoButton();
        FPlayerBar->SetActiveTakeButton(false);
        Own()->DelCard(CardID);
        Repaint();
        FPlayingPlace->HideSelectCoverCard();
        FPlayingPlace->HideTransferPlace();
        FPlayingPlace->MoveCard(kOwnSeat, Suit, Dignity, true, static_cast<uint8_t>(FCountCardGo++));
        if (OnTransfer)
            OnTransfer(CardID);
        break;
    default:
        break;
    }
}

void TTable::TakeClicked() {
    FYourTurn->Hide();
    // The user takes from now on: a card still in the air that lands offers no cover.
    FTableState = kStateTaking;
    OwnTakeSteps();
    if (OnPickClick)
        OnPickClick();
}

void TTable::BitoClicked() {
    FYourTurn->Hide();
    DisarmOwnHand();
    HideBitoButton();
    if (OnBitoClick)
        OnBitoClick();
}

void TTable::ClockRanOut() {
    // The game server decides what follows; the user's controls just go away.
    DisarmOwnHand();
    FPlayingPlace->HideSelectCoverCard();
    HidePickButton();
}

void TTable::ChoiceChanged(bool State) {
    FYourTurn->Hide();
    Own()->HideCanUsedCard();
    if (!State) {
        FTableState = kStateTransfer;
        Own()->ShowCanGiveCard(FirstAttackCard());
    } else {
        Own()->ShowCanUsedToCoverCard(FPlayingPlace->GetSelectCard());
        FTableState = kStateCover;
    }
}

// --- the end of a round ---------------------------------------------------------------------

void TTable::CountdownEnded() {
    if (Ftake_playerid != kNoSeat) {
        FPlayingPlace->MovePickUp(Ftake_playerid);
    } else {
        Own()->HideCanUsedCard();
        FPlayingPlace->MoveBito(0);
    }
}

void TTable::PickedUpCardLanded(uint8_t Suit, uint8_t Dignity) {
    if (Ftake_playerid == kOwnSeat) {
        if (OnGetCardFromTemp)
            OnGetCardFromTemp(Suit, Dignity);
    } else if (TPlayer *seat = Player(Ftake_playerid)) {
        seat->AddCard(0, 0, 0);
    }
}

void TTable::RoundFinished() {
    if (TPlayer *taker = Player(Ftake_playerid))
        taker->SetTake(false);
    const uint8_t next = Fnext_playerid;
    Ftake_playerid = kNoSeat;
    Fnext_playerid = kNoSeat;
    // The clock's restart is sent last: the next round's first message, handled inside that send,
    // finds this round over and the new cards dealt.
    FHoldRoundStart = true;
    if (next != kNoSeat)
        PlayerActive(next, kNoSeat);
    FHoldRoundStart = false;
    const bool restarted = std::exchange(FRoundStartHeld, false);
    if (OnBitoEnd)
        OnBitoEnd();
    if (restarted && OnRoundStart)
        OnRoundStart();
}

void TTable::ClearEvents() {
    OnGo = nullptr;
    OnCover = nullptr;
    OnPickClick = nullptr;
    OnBitoClick = nullptr;
    OnGetCardFromTemp = nullptr;
    OnBitoEnd = nullptr;
    OnRoundStart = nullptr;
    OnTransfer = nullptr;
}

} // namespace trelvo::scene
