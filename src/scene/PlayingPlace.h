#pragma once

#include "Card.h"
#include "PlaceLights.h"

#include "game/api/CardModel.h"
#include "kit/Control.h"

#include <array>
#include <cstdint>
#include <functional>

namespace trelvo::scene {

struct TPos {
    float X = 0;
    float Y = 0;
};
// Indexed by seat 1..4 (entry 0 unused).
using TStartPos = std::array<TPos, 5>;

// The middle of the table: six attacking places in a row and a covering place over the lower half
// of each. Cards fly in from the seat that plays them and, at the end of a round, fly to the taker
// or vanish. While the user defends it shows the cover markers and the transfer marker and reports
// the user's choice.
class TPlayingPlace : public TLayout {
public:
    using TOnEnd = std::function<void()>;
    using TOnCardMoveEnd = std::function<void(uint8_t Suit, uint8_t Dignity)>;
    using TOnChange = std::function<void(bool State)>;
    static constexpr int kSlots = 6;
    static constexpr float kColumnStep = 76, kCoverOffset = 48;
    enum : uint8_t { kMoveNone = 0, kMovePickUp = 1, kMovePlayed = 3 };

    TOnEnd OnBitoEnd;
    TOnCardMoveEnd OnCardMoveEnd;
    TOnEnd OnMoveEnd;
    TOnChange OnChangeSelect;

    explicit TPlayingPlace(TSceneObject *owner);

    // Recomputes the geometry from the current size; the cards on the table move to their places.
    void Repaint();
    // The least x of the first column (in the place's coordinates): the row is centred unless that
    // puts it further left, and then moves right as far as the place's width allows.
    void SetLeftmost(float X) { FLeftmost = X; }
    static constexpr float kRowWidth = kColumnStep * (kSlots - 1) + TCard::kWidth;
    // Flies a card from seat playerstate to attacking place PlaceID (MoveKind true) or over it.
    void MoveCard(uint8_t playerstate, uint8_t Suit, uint8_t Dignity, bool MoveKind, uint8_t PlaceID);
    // Flies every card on the table to that seat.
    void MovePickUp(uint8_t playerstate);
    // Lands the pick-up's flights at once (each landing reported); nothing when none is in the air.
    void FinishPickUp();
    // 0: the round ended in a discard (only after Bito was set); 1: clear at once, silently.
    void MoveBito(uint8_t type_move);
    TSrvCard GetCard(uint8_t slot) const;
    TSrvCard GetSelectCard() const { return GetCard(FSelectID); }

    void ShowSelectCoverCard();
    void HideSelectCoverCard();
    void NoActiveSelectCoverCard();
    void ShowTransferPlace();
    void NoActiveTransferPlace();
    void HideTransferPlace();

    uint8_t CountNoCover() const;
    uint8_t SelectID() const { return FSelectID; }
    bool Select() const { return FSelect; }
    void SetTransferLight(bool value) { FTransferLight = value; }
    void SetBito(bool value) { FBito = value; }
    uint8_t CountMove() const { return FCountMove; }

    TCardMoved *Card(int slot) const { return FCard.at(static_cast<size_t>(slot)); }
    TPlaceLights *PlaceLights(int i) const { return FPlaceLights.at(static_cast<size_t>(i)); }
    TPlaceLights *PlaceTransferLights(int i) const { return FPlaceTransferLights.at(static_cast<size_t>(i)); }
    TPos PosFirsCard() const { return FPosFirsCard; }
    TPos StartPos(uint8_t seat) const { return seat >= 1 && seat <= 4 ? FStartPos[seat] : TPos{}; }

private:
    bool Open(int i) const; // attacking place i holds a card that is not covered
    uint8_t LowestOpen(uint8_t none) const;
    TPos SlotPos(int slot) const;
    void Landed(TCardMoved *card);
    void CoverMarkerClicked(uint8_t a);
    void TransferMarkerClicked();

    std::array<TCardMoved *, 2 * kSlots> FCard{};
    TPos FPosFirsCard;
    TStartPos FStartPos{};
    uint8_t FCountMove = 0;
    uint8_t FSelectID = 0;
    std::array<TPlaceLights *, kSlots> FPlaceLights{};
    std::array<TPlaceLights *, 4> FPlaceTransferLights{};
    uint8_t FLastCardPlace = 0;
    bool FTransferLight = false;
    bool FSelect = true;
    bool FBito = false;
    uint8_t FMoveKind = kMoveNone;
    uint8_t FPickUpSeat = 0;
    float FLeftmost = 0;
};

} // namespace trelvo::scene
