#pragma once

#include "Card.h"
#include "CardRules.h"

#include "game/api/CardModel.h"
#include "kit/Control.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace trelvo::scene {

using TSortedList = rules::TSortedList;
using TListPlayerCard = std::vector<TPlayerCard>;

// The card sprites of one seat's hand and their layout: a horizontal fan (the own seat and the top
// seat) or a vertical column (the side seats), overlapping more as the hand grows. Sprite i always
// stays at position i: re-ordering and deleting move the shown card (ID, suit, dignity) between
// sprites. The own hand also lifts the card under the pointer and reports clicks on lit cards.
class TCardList : public TLayout {
public:
    using TOnClick = std::function<void(uint8_t CardID, uint8_t Suit, uint8_t Dignity)>;
    // Placement modes.
    enum : uint8_t { kAlignLeft = 0, kAlignTop = 1, kAlignOwn = 2, kAlignRight = 3 };
    static constexpr float kOwnHeight = 126, kOwnCardTop = 30;
    // Room a side seat keeps above its column for its name plate and defender pointer.
    static constexpr float kSideHeadroom = 56;

    TOnClick OnClick;

    explicit TCardList(TSceneObject *owner);

    uint8_t Count() const { return static_cast<uint8_t>(FCard.size()); }
    TCardMoved *Sprite(int position) const { return FCard.at(static_cast<size_t>(position)); }

    // Appends a sprite; does not lay out.
    void AddCard(uint8_t CardID, uint8_t Suit, uint8_t Dignity);
    // Removes the card with that ID (the last sprite's card takes its place, the last sprite goes);
    // does not lay out. An ID no sprite carries changes nothing.
    void DelCard(uint8_t gID);
    void DelAllCard();
    TSrvCard GetCard(uint8_t position) const;
    // The ID of the first sprite showing that card; 0 when none does.
    uint8_t GetCardID(uint8_t Suit, uint8_t Dignity) const;
    void GetCardList(TListPlayerCard &List) const;
    void SetLights(uint8_t position, bool State);

    // Full layout: the vertical column, or the fan in the display order List.
    void Repaint(const TSortedList &List);
    // Re-centres in the owner only.
    void Repaint();

    bool Rotate() const { return FRotate; }
    void SetRotate(bool value) { FRotate = value; }
    bool PlayerCardList() const { return FPlayerCardList; }
    void SetPlayerCardList(bool value) { FPlayerCardList = value; }
    // The placement mode (the toolkit's own Align is the control's alignment in its parent).
    uint8_t AlignMode() const { return FAlign; }
    void SetAlignMode(uint8_t value);
    bool CanClick() const { return FCanClick; }
    void SetCanClick(bool value) { FCanClick = value; }
    // The seat the list is centred in.
    void SetOwner(TControl *value) { FOwner = value; }
    // How far right of the owner's centre a horizontal list sits.
    void SetCentreShift(float value) { FCentreShift = value; }

private:
    void RepaintHorizontal(TSortedList D);
    void RepaintVertical(size_t n);
    void ExchangeShown(TCardMoved *a, TCardMoved *b);
    void Lift(uint8_t position, float y);

    std::vector<TCardMoved *> FCard;
    bool FRotate = false;
    bool FPlayerCardList = false;
    uint8_t FAlign = kAlignLeft;
    bool FCanClick = false;
    TControl *FOwner = nullptr;
    float FCentreShift = 0;
};

} // namespace trelvo::scene
