#pragma once

#include "Card.h"

#include "kit/Text.h"

#include <cstdint>
#include <vector>

namespace trelvo::scene {

// The stock: the trump card face up, a stack of backs lying across it that thins as the stock
// shrinks, and a panel with the number of cards left and the trump suit.
class TCardDeck : public TLayout {
public:
    static constexpr float kWidth = 115, kHeight = 180;
    // The backs lying across the trump stick out of the stock's box: 3 to the left, and to the right
    // as far as 110 with the fullest stack a game can have. The table keeps this much free.
    static constexpr float kOverhangLeft = 3, kReach = 110;

    explicit TCardDeck(TSceneObject *owner);

    // Cards in the stock, the trump card included.
    void SetCount(uint8_t value);
    uint8_t Count() const { return FCount; }
    void SetTrump(uint8_t Suit, uint8_t Dignity);

    // Sprites lying in the stock: the trump card, then the backs.
    int SpriteCount() const { return static_cast<int>(FCard.size()); }
    TCard *Sprite(int i) const { return FCard.at(static_cast<size_t>(i)); }
    TText *LabelCount() const { return FLabelCount; }
    TImageEx *ImageSuit() const { return FImageSuit; }
    TImageEx *Image() const { return FImage; }

private:
    void AddBack();
    void RemoveCard();

    std::vector<TCard *> FCard;
    uint8_t FCount = 0;
    uint8_t FOldCount = 0;
    TImageEx *FImage;
    TImageEx *FImageSuit;
    TText *FLabelCount;
    float FOffsetLeft = 0;
    float FOffsetTop = 19;
};

} // namespace trelvo::scene
