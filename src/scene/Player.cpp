#include "Player.h"

#include "SceneTimings.h"

#include "common/CardRule.h"
#include "kit/Round.h"

namespace trelvo::scene {

// --- TIndicator -------------------------------------------------------------------------------

TIndicator::TIndicator(TSceneObject *owner) : TImageEx(owner) {
    SetOpacity(0);
    FAnimation = new TFloatAnimation(this);
    FAnimation->SetParent(this);
    FAnimation->SetName(QStringLiteral("Ani"));
    FAnimation->SetPropertyName(QStringLiteral("Opacity"));
    FAnimation->SetDuration(scene::kIndicatorFadeSeconds);
}

void TIndicator::Show() {
    FAnimation->Stop();
    FAnimation->SetStartValue(0);
    FAnimation->SetStopValue(1);
    FAnimation->Start();
}

void TIndicator::Hide() {
    FAnimation->Stop();
    FAnimation->SetStartValue(1);
    FAnimation->SetStopValue(0);
    FAnimation->Start();
}

// --- TPlayer ----------------------------------------------------------------------------------

TPlayer::TPlayer(TSceneObject *owner, uint8_t aPlace) : TLayout(owner), FPlace(aPlace) {
    FCardList = new TCardList(this);
    FCardList->SetParent(this);
    FCardList->SetOwner(this);
    if (FPlace == kOwnSeat) {
        FCardList->OnClick = [this](uint8_t CardID, uint8_t Suit, uint8_t Dignity) {
            DeferClick(CardID, Suit, Dignity);
        };
        FCardList->SetPlayerCardList(true);
    } else {
        FNickBar = new TNickBar(this);
        FNickBar->SetParent(this);
        FNickBar->SetVisible(false);
        FNickBar->SetSize(TNickBar::kWidth, TNickBar::kHeight);
    }
    switch (FPlace) {
    case 1:
        SetAlign(TAlignLayout::Bottom);
        SetHeight(kOwnSeatHeight);
        break;
    case 2:
        SetAlign(TAlignLayout::Left);
        FNickBar->SetPosition(10, -30);
        break;
    case 3:
        SetAlign(TAlignLayout::Top);
        break;
    default:
        SetAlign(TAlignLayout::Right);
        FNickBar->SetPosition(-60, -30);
        break;
    }

    FTakeImg = new TImageEx(this);
    FTakeImg->SetParent(this);
    FTakeImg->SetVisible(false);
    FTakeImg->LoadFromResources(QStringLiteral("Take_Card_1"));
    FTakeImg->SetAutoSize(true);
    FTakeImg->SetHitTest(false);
    FPointerBeat = new TIndicator(this);
    FPointerBeat->SetParent(this);
    FPointerBeat->LoadFromResources(QStringLiteral("Pointer_Beat"));
    FPointerBeat->SetSize(30, 17);
    FPointerBeat->SetHitTest(false);
    FAnimation = new TBitmapAnimationEx(FTakeImg);
    FAnimation->SetParent(FTakeImg);
    FAnimation->LoadStartValueFromRes(QStringLiteral("Take_Card_1"));
    FAnimation->LoadStopValueFromRes(QStringLiteral("Take_Card_2"));
    FAnimation->SetDuration(scene::kTakeMarkBlinkSeconds);
    FAnimation->SetAutoReverse(true);
    FAnimation->SetLoop(true);

    static constexpr uint8_t kModes[4] = {TCardList::kAlignOwn, TCardList::kAlignLeft, TCardList::kAlignTop,
                                          TCardList::kAlignRight};
    static constexpr float kPointerAngles[4] = {0, 90, 180, 270};
    const int seat = (FPlace >= 1 && FPlace <= 4) ? FPlace - 1 : 3;
    if (FPlace == 2 || FPlace == 4)
        FCardList->SetRotate(true);
    // The top hand leaves room for its name plate on the left and its marks on the right.
    if (FPlace == 3)
        FCardList->SetCentreShift(kTopShift);
    FCardList->SetAlignMode(kModes[seat]);
    FPointerBeat->SetRotationAngle(kPointerAngles[seat]);
    Repaint();
}

TPlayer::~TPlayer() {
    delete FTimerOnClick;
}

void TPlayer::AddCard(uint8_t ID, uint8_t Suit, uint8_t Dignity) {
    FCardList->AddCard(ID, Suit, Dignity);
    LayOutHand();
}

void TPlayer::DelCard(uint8_t cardID) {
    FCardList->DelCard(cardID);
    LayOutHand();
}

void TPlayer::LayOutHand() {
    LayOutCards();
    // A hand grows and shrinks without a layout of the table (the refill, a pick-up landing card by
    // card): the marks move with it, or they would lie on its cards.
    Repaint();
}

void TPlayer::LayOutCards() {
    if (FPlace == kOwnSeat) {
        TListPlayerCard cards;
        FCardList->GetCardList(cards);
        FCardList->Repaint(rules::DisplayOrder(cards, TrumpSuit()));
        return;
    }
    TSortedList order(FCardList->Count());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<uint8_t>(i);
    FCardList->Repaint(order);
}

void TPlayer::Repaint() {
    FCardList->Repaint();
    TCardList *hand = FCardList;
    switch (FPlace) {
    case 1:
        FTakeImg->SetPosition(FLeftPlayerBar - FTakeImg->Width() - 20, hand->Height() + hand->Y() + 20);
        FPointerBeat->SetPosition(Width() / 2 + 250, Height() - 50);
        break;
    case 2:
    case 4:
        PlaceSideMarks();
        SetWidth(FPlace == 2 ? hand->Width() + hand->X() : hand->Width() + 5);
        break;
    case 3: {
        // The name plate left of the hand, the take mark and the pointer right of it, all in the
        // seat's band: nothing lies on the cards and nothing reaches another seat.
        const float mid = hand->Height() / 2;
        FNickBar->SetPosition(hand->X() - kTopPlateGap - FNickBar->Width(),
                              static_cast<float>(Round(mid - FNickBar->Height() / 2.0)));
        const float right = hand->X() + hand->Width() + kTopMarkGap;
        FTakeImg->SetPosition(right, static_cast<float>(Round(mid - FTakeImg->Height() / 2.0)));
        FPointerBeat->SetPosition(right, hand->Height() - FPointerBeat->Height() - 9);
        SetHeight(hand->Height());
        break;
    }
    default:
        break;
    }
}

void TPlayer::PlaceSideMarks() {
    // Above the column the name plate and under it the pointer, over the cards' middle; the take mark
    // below the column. The column keeps room for them at the window's top.
    TCardList *hand = FCardList;
    const float centre = hand->X() + TCard::kHeight / 2;
    FNickBar->SetPosition(FPlace == 2 ? 10 : -60, hand->Y() - TCardList::kSideHeadroom);
    // The pointer turns about its centre: place the centre.
    FPointerBeat->SetPosition(centre - FPointerBeat->Width() / 2,
                              hand->Y() - 18 - FPointerBeat->Height() / 2);
    FTakeImg->SetPosition(static_cast<float>(Round(centre - FTakeImg->Width() / 2.0)),
                          hand->Y() + hand->Height() + 10);
}

void TPlayer::ShowCanUsedToCoverCard(const TSrvCard &aCard) {
    for (uint8_t i = 0; i < FCardList->Count(); ++i) {
        const TSrvCard c = FCardList->GetCard(i);
        FCardList->SetLights(i, Beats(c, aCard, TrumpSuit()));
    }
}

void TPlayer::ShowCanGiveCard(const TSrvCard &aCard) {
    for (uint8_t i = 0; i < FCardList->Count(); ++i)
        if (SameRank(FCardList->GetCard(i), aCard))
            FCardList->SetLights(i, true);
}

void TPlayer::ShowCanThrowIn(const std::vector<TSrvCard> &OnTable) {
    for (uint8_t i = 0; i < FCardList->Count(); ++i)
        if (RankOnTable(FCardList->GetCard(i), OnTable))
            FCardList->SetLights(i, true);
}

void TPlayer::ShowAllLightsCard() {
    for (uint8_t i = 0; i < FCardList->Count(); ++i)
        FCardList->SetLights(i, true);
}

void TPlayer::HideCanUsedCard() {
    for (uint8_t i = 0; i < FCardList->Count(); ++i)
        FCardList->SetLights(i, false);
}

bool TPlayer::IsHaveTransfer(const TSrvCard &aCard) const {
    for (uint8_t i = 0; i < FCardList->Count(); ++i)
        if (TransfersWith(FCardList->GetCard(i), aCard))
            return true;
    return false;
}

void TPlayer::SetPlayerName(const QString &value) {
    if (!FNickBar)
        return;
    FNickBar->SetNick(value);
    if (!value.isEmpty()) {
        FNickBar->SetActive(false);
        FNickBar->SetVisible(true);
    } else {
        FNickBar->SetVisible(false);
        FCardList->DelAllCard();
    }
}

void TPlayer::SetActive(bool value) {
    if (FNickBar)
        FNickBar->SetActive(value);
}

void TPlayer::SetTake(bool value) {
    if (value == FTakeImg->Visible())
        return;
    FAnimation->Stop();
    FTakeImg->SetVisible(value);
    if (value)
        FAnimation->Start();
}

void TPlayer::SetBeat(bool value) {
    if (value == FBeat)
        return;
    FBeat = value;
    if (value)
        FPointerBeat->Show();
    else
        FPointerBeat->Hide();
}

void TPlayer::DeferClick(uint8_t CardID, uint8_t Suit, uint8_t Dignity) {
    // The click comes from inside the clicked sprite's own event, and handling it destroys that
    // sprite: handle it a moment later, and only the latest click.
    delete FTimerOnClick;
    FTimerOnClick = new TTimerOnClick;
    FTimerOnClick->SetInterval(scene::kClickDeferralMs);
    FTimerOnClick->SetCardID(CardID);
    FTimerOnClick->SetSuit(Suit);
    FTimerOnClick->SetDignity(Dignity);
    FTimerOnClick->SetAutoFree(true);
    FTimerOnClick->OnTimer = [this](TTimerEx *sender) {
        auto *timer = static_cast<TTimerOnClick *>(sender);
        FTimerOnClick = nullptr;
        if (OnPlayerCardClick)
            OnPlayerCardClick(static_cast<uint8_t>(timer->CardID()), static_cast<uint8_t>(timer->Suit()),
                              static_cast<uint8_t>(timer->Dignity()));
    };
    FTimerOnClick->SetEnabled(true);
}

} // namespace trelvo::scene
