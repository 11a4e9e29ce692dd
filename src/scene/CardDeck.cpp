#include "CardDeck.h"

#include "kit/Round.h"

#include <cstdlib>

namespace trelvo::scene {

TCardDeck::TCardDeck(TSceneObject *owner) : TLayout(owner) {
    SetSize(kWidth, kHeight);
    auto *trump = new TCard(this);
    trump->SetParent(this);
    trump->SetPosition(FOffsetLeft + 12, FOffsetTop + TCard::kWidth - 48);
    FCard.push_back(trump);

    FImage = new TImageEx(this);
    FImage->SetParent(this);
    FImage->LoadFromResources(QStringLiteral("Panel_Deck"));
    FImage->SetAutoSize(true);
    FImage->SetHitTest(false);
    FImage->SetPosition(static_cast<float>(Round((TCard::kWidth - FImage->Width()) / 2.0) + 12),
                        trump->Y() + TCard::kHeight + 10);
    FImageSuit = new TImageEx(this);
    FImageSuit->SetParent(this);
    FImageSuit->SetAutoSize(true);
    FImageSuit->SetHitTest(false);
    FImageSuit->SetPosition(FImage->X() + 12, FImage->Y() + 6);
    FLabelCount = new TText(this);
    FLabelCount->SetParent(this);
    FLabelCount->SetColor(0xFFFFFFFF);
    FLabelCount->SetBold(true);
    FLabelCount->SetItalic(true);
    FLabelCount->SetFontSize(12);
    FLabelCount->SetWidth(30);
    FLabelCount->SetAutoSize(true);
    FLabelCount->SetHitTest(false);
    FLabelCount->SetPosition(FImage->X() + 42, FImage->Y() + 7);
}

void TCardDeck::SetTrump(uint8_t Suit, uint8_t Dignity) {
    static const char *const kMarks[5] = {nullptr, "Panel_Deck_Clubs", "Panel_Deck_Diamonds",
                                          "Panel_Deck_Hearts", "Panel_Deck_Spades"};
    if (!FCard.empty())
        FCard.front()->SetKind(Suit, Dignity);
    if (Suit >= 1 && Suit <= 4)
        FImageSuit->LoadFromResources(QString::fromLatin1(kMarks[Suit]));
}

void TCardDeck::AddBack() {
    auto *back = new TCard(this);
    back->SetParent(this);
    back->SetRotate(true);
    back->SetKind(0, 0);
    back->SetHitTest(false);
    back->SetPosition(FOffsetLeft + 93, FOffsetTop);
    FCard.push_back(back);
    FOffsetLeft += 1;
    FOffsetTop -= 1;
}

void TCardDeck::RemoveCard() {
    if (!FCard.empty()) {
        delete FCard.back();
        FCard.pop_back();
    }
    FOffsetLeft -= 1;
    FOffsetTop += 1;
}

void TCardDeck::SetCount(uint8_t value) {
    FLabelCount->SetText(QString::number(value));
    if (value >= 12) {
        // The stack follows the count in steps of two and a half cards, so that small changes add up.
        const int k = Round((static_cast<double>(FOldCount) - value) / 2.5);
        for (int i = 0; i < std::abs(k); ++i) {
            if (k > 0)
                RemoveCard();
            else
                AddBack();
        }
        if (std::abs(k) >= 1)
            FOldCount = value;
    }
    if (value <= 11 && value < FCount)
        while (FCard.size() > value)
            RemoveCard();
    FCount = value;
}

} // namespace trelvo::scene
