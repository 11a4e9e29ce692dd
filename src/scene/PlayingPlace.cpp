#include "PlayingPlace.h"

#include "SceneLog.h"
#include "SceneTimings.h"

#include "kit/Round.h"

#include <algorithm>

namespace trelvo::scene {

TPlayingPlace::TPlayingPlace(TSceneObject *owner) : TLayout(owner) {
    for (uint8_t i = 0; i < FPlaceTransferLights.size(); ++i) {
        auto *marker = new TPlaceLights(this, i);
        marker->SetParent(this);
        marker->OnClick = [this](uint8_t) { TransferMarkerClicked(); };
        FPlaceTransferLights[i] = marker;
    }
    auto slot = [this](int i) {
        auto *card = new TCardMoved(this);
        card->SetParent(this);
        card->SetVisible(false);
        card->SetID(static_cast<uint8_t>(i));
        card->SetDuration(scene::kCardFlightSeconds);
        card->OnFinish = [this, card](uint8_t) { Landed(card); };
        FCard[static_cast<size_t>(i)] = card;
    };
    for (uint8_t i = 0; i < kSlots; ++i) {
        slot(i);
        slot(i + kSlots);
        auto *marker = new TPlaceLights(this, i);
        marker->SetParent(this);
        marker->OnClick = [this](uint8_t id) { CoverMarkerClicked(id); };
        FPlaceLights[i] = marker;
    }
}

void TPlayingPlace::Repaint() {
    const double W = Width(), H = Height();
    const double centred = Round((W - kRowWidth) / 2.0);
    FPosFirsCard = {static_cast<float>(std::max(centred, std::min<double>(FLeftmost, W - kRowWidth))),
                    static_cast<float>(Round((H - 144) / 2.0))};
    for (int j = 0; j < kSlots; ++j)
        FPlaceLights[static_cast<size_t>(j)]->SetPosition(
            FPosFirsCard.X + kColumnStep * static_cast<float>(j), FPosFirsCard.Y + kCoverOffset);
    for (size_t i = 0; i < FPlaceTransferLights.size(); ++i)
        FPlaceTransferLights[i]->SetPosition(FPosFirsCard.X + kColumnStep * static_cast<float>(i),
                                             FPosFirsCard.Y);
    const float midX = static_cast<float>(Round((W - TCard::kWidth) / 2.0));
    const float midY = static_cast<float>(Round((H - TCard::kHeight) / 2.0));
    FStartPos[1] = {midX, static_cast<float>(H) - TCard::kHeight};
    FStartPos[2] = {0, midY};
    FStartPos[3] = {midX, 0};
    FStartPos[4] = {static_cast<float>(W) - TCard::kWidth, midY};
    // The cards follow: those lying in their places move there, those in the air land there (or, on
    // their way to the taker, at the taker's new point).
    for (int slot = 0; slot < 2 * kSlots; ++slot) {
        TCardMoved *card = FCard[static_cast<size_t>(slot)];
        if (!card->Visible())
            continue;
        const TPos to = FMoveKind == kMovePickUp && card->Flying() ? StartPos(FPickUpSeat) : SlotPos(slot);
        if (card->Flying())
            card->StopValue(to.X, to.Y);
        else
            card->SetPosition(to.X, to.Y);
    }
}

TPos TPlayingPlace::SlotPos(int slot) const {
    return {FPosFirsCard.X + kColumnStep * static_cast<float>(slot % kSlots),
            FPosFirsCard.Y + (slot >= kSlots ? kCoverOffset : 0)};
}

bool TPlayingPlace::Open(int i) const {
    return FCard[static_cast<size_t>(i)]->Visible() && !FCard[static_cast<size_t>(i + kSlots)]->Visible();
}

void TPlayingPlace::MoveCard(uint8_t playerstate, uint8_t Suit, uint8_t Dignity, bool MoveKind,
                             uint8_t PlaceID) {
    // Six attacking places is all the table has; a seventh card has nowhere to go.
    if (PlaceID >= kSlots) {
        qCDebug(lcScene) << "no place for a card at" << PlaceID;
        return;
    }
    // The next round's first card can come while the last round's cards still fly to the taker: those
    // land first, or they would keep their slots, take the new card's selection and never reach a hand.
    FinishPickUp();
    FMoveKind = kMovePlayed;
    const float x = FPosFirsCard.X + kColumnStep * PlaceID;
    float y = FPosFirsCard.Y;
    size_t slot = PlaceID;
    if (!MoveKind) {
        slot += kSlots;
        y += kCoverOffset;
    } else {
        FLastCardPlace = PlaceID;
    }
    TCardMoved *card = FCard[slot];
    const TPos start = StartPos(playerstate);
    card->SetKind(Suit, Dignity);
    card->SetPosition(start.X, start.Y);
    card->SetVisible(true);
    card->StartValue(start.X, start.Y);
    card->StopValue(x, y);
    card->StartAnimation();
    // The user's choice of card to cover stays while that card is open; otherwise the lowest open one.
    if (!Open(FSelectID))
        FSelectID = LowestOpen(FSelectID);
}

uint8_t TPlayingPlace::LowestOpen(uint8_t none) const {
    for (int i = 0; i < kSlots; ++i)
        if (Open(i))
            return static_cast<uint8_t>(i);
    return none;
}

void TPlayingPlace::FinishPickUp() {
    // A landing may end the round and the next card may start flying from inside it: that one stays.
    for (TCardMoved *card : FCard)
        if (FMoveKind == kMovePickUp)
            card->StopAnimation();
}

void TPlayingPlace::MovePickUp(uint8_t playerstate) {
    // A card still in the air lands first, silently, as a swept card does: it belongs to the pick-up
    // now, and offering the user's defence against the old round's cards would be wrong.
    FMoveKind = kMoveNone;
    for (TCardMoved *card : FCard)
        card->StopAnimation();
    FCountMove = 0;
    FMoveKind = kMovePickUp;
    FPickUpSeat = playerstate;
    const TPos to = StartPos(playerstate);
    for (TCardMoved *card : FCard) {
        if (!card->Visible())
            continue;
        card->StartValue(card->X(), card->Y());
        card->StopValue(to.X, to.Y);
        card->StartAnimation();
        ++FCountMove;
    }
    // Nothing to pick up (the table was cleared meanwhile): the round still has to end.
    if (FCountMove == 0 && OnBitoEnd)
        OnBitoEnd();
}

void TPlayingPlace::MoveBito(uint8_t type_move) {
    if (!FBito && type_move != 1)
        return;
    // Swept cards vanish silently, also on their way to a taker (who may be the player who left): a
    // pick-up cut short this way still ends the round, once.
    const bool pickingUp = FMoveKind == kMovePickUp && FCountMove > 0;
    FMoveKind = kMoveNone;
    FCountMove = 0;
    for (TCardMoved *card : FCard) {
        if (!card->Visible())
            continue;
        card->SetVisible(false);
        card->StopAnimation();
    }
    // The round ends on screen even when the table was cleared meanwhile.
    if ((type_move == 0 || pickingUp) && OnBitoEnd)
        OnBitoEnd();
}

void TPlayingPlace::Landed(TCardMoved *card) {
    if (FMoveKind == kMovePickUp) {
        card->SetVisible(false);
        if (OnCardMoveEnd)
            OnCardMoveEnd(card->Suit(), card->Dignity());
        if (FCountMove > 0 && --FCountMove == 0 && OnBitoEnd)
            OnBitoEnd();
    } else if (FMoveKind == kMovePlayed && card->Visible()) {
        if (OnMoveEnd)
            OnMoveEnd();
    }
}

TSrvCard TPlayingPlace::GetCard(uint8_t slot) const {
    if (slot >= FCard.size() || !FCard[slot]->Visible())
        return {};
    return {FCard[slot]->Suit(), FCard[slot]->Dignity()};
}

uint8_t TPlayingPlace::CountNoCover() const {
    uint8_t count = 0;
    for (int i = 0; i < kSlots; ++i)
        count += Open(i) ? 1 : 0;
    return count;
}

void TPlayingPlace::ShowSelectCoverCard() {
    for (int i = 0; i < kSlots; ++i) {
        if (!Open(i))
            continue;
        TPlaceLights *marker = FPlaceLights[static_cast<size_t>(i)];
        marker->SetState(TPlaceLights::kIdle);
        marker->SetVisible(true);
    }
    // The marker shows the card a click covers: the user's choice while it is open, else the lowest.
    if (!Open(FSelectID))
        FSelectID = LowestOpen(FSelectID);
    if (!FTransferLight && Open(FSelectID))
        FPlaceLights[FSelectID]->SetState(TPlaceLights::kSelected);
}

void TPlayingPlace::HideSelectCoverCard() {
    for (int i = 0; i < kSlots; ++i) {
        FPlaceLights[static_cast<size_t>(i)]->SetVisible(false);
        if (FCard[static_cast<size_t>(i)]->Visible())
            FCard[static_cast<size_t>(i)]->SetLights(false);
    }
}

void TPlayingPlace::NoActiveSelectCoverCard() {
    for (TPlaceLights *marker : FPlaceLights)
        marker->SetState(TPlaceLights::kIdle);
}

void TPlayingPlace::ShowTransferPlace() {
    const size_t next = FLastCardPlace + 1u;
    // Only the places 1 to 3 can take a transferred card in play; a request beyond is ignored.
    if (next < FPlaceTransferLights.size()) {
        FPlaceTransferLights[next]->SetVisible(true);
        FPlaceTransferLights[next]->SetState(TPlaceLights::kSelected);
    } else {
        qCDebug(lcScene) << "no transfer marker after place" << FLastCardPlace;
    }
    FSelect = false;
}

void TPlayingPlace::NoActiveTransferPlace() {
    const size_t next = FLastCardPlace + 1u;
    if (next < FPlaceTransferLights.size())
        FPlaceTransferLights[next]->SetState(TPlaceLights::kIdle);
    FSelect = true;
}

void TPlayingPlace::HideTransferPlace() {
    for (TPlaceLights *marker : FPlaceTransferLights)
        if (marker->Visible())
            marker->SetVisible(false);
}

void TPlayingPlace::CoverMarkerClicked(uint8_t a) {
    for (int i = 0; i < kSlots; ++i) {
        TPlaceLights *marker = FPlaceLights[static_cast<size_t>(i)];
        if (!marker->Visible())
            continue;
        if (i == a)
            marker->SetState(TPlaceLights::kSelected);
        else if (marker->State() == TPlaceLights::kSelected)
            marker->SetState(TPlaceLights::kIdle);
    }
    NoActiveTransferPlace();
    FSelectID = a;
    if (OnChangeSelect)
        OnChangeSelect(true);
}

void TPlayingPlace::TransferMarkerClicked() {
    FSelect = false;
    NoActiveSelectCoverCard();
    if (OnChangeSelect)
        OnChangeSelect(false);
}

} // namespace trelvo::scene
