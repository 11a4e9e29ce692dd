#include "CardList.h"

#include "SceneTimings.h"

#include "kit/Round.h"

#include <algorithm>

namespace trelvo::scene {

TCardList::TCardList(TSceneObject *owner) : TLayout(owner) {
    SetWidth(TCard::kHeight);
}

void TCardList::AddCard(uint8_t CardID, uint8_t Suit, uint8_t Dignity) {
    auto *card = new TCardMoved(this);
    card->SetParent(this);
    card->SetPosition(0, 0);
    if (FRotate)
        card->SetRotate(true);
    card->SetKind(Suit, Dignity);
    card->SetID(CardID);
    card->SetNumberID(static_cast<uint8_t>(FCard.size()));
    card->OnCardClick = [this](uint8_t lID, uint8_t gID) {
        if (OnClick && FCanClick)
            OnClick(gID, FCard[lID]->Suit(), FCard[lID]->Dignity());
    };
    card->OnCardMouseEnter = [this](uint8_t ID) { Lift(ID, 0); };
    card->OnCardMouseLeave = [this](uint8_t ID) { Lift(ID, kOwnCardTop); };
    card->SetDuration(scene::kHandCardFlightSeconds);
    FCard.push_back(card);
}

void TCardList::DelCard(uint8_t gID) {
    auto it = std::find_if(FCard.begin(), FCard.end(), [gID](TCardMoved *c) { return c->ID() == gID; });
    if (it == FCard.end())
        return;
    TCardMoved *last = FCard.back();
    if (FCard.size() >= 2 && *it != last) {
        (*it)->SetID(last->ID());
        (*it)->SetKind(last->Suit(), last->Dignity());
    }
    FCard.pop_back();
    delete last;
}

void TCardList::DelAllCard() {
    while (!FCard.empty())
        DelCard(FCard.front()->ID());
}

TSrvCard TCardList::GetCard(uint8_t position) const {
    if (position >= FCard.size())
        return {};
    return {FCard[position]->Suit(), FCard[position]->Dignity()};
}

uint8_t TCardList::GetCardID(uint8_t Suit, uint8_t Dignity) const {
    for (TCardMoved *card : FCard)
        if (card->Suit() == Suit && card->Dignity() == Dignity)
            return card->ID();
    return 0;
}

void TCardList::GetCardList(TListPlayerCard &List) const {
    List.clear();
    for (TCardMoved *card : FCard)
        List.push_back({card->Suit(), card->Dignity()});
}

void TCardList::SetLights(uint8_t position, bool State) {
    if (position < FCard.size())
        FCard[position]->SetLights(State);
}

void TCardList::SetAlignMode(uint8_t value) {
    FAlign = value;
    Repaint();
    if (value == kAlignLeft)
        SetX(5);
    else if (value == kAlignRight)
        SetX(0);
}

void TCardList::Repaint(const TSortedList &List) {
    // A lift still in the air would carry its card away from the place the layout gives it.
    for (TCardMoved *card : FCard)
        card->StopAnimation();
    if (FRotate)
        RepaintVertical(std::min(List.size(), FCard.size()));
    else
        RepaintHorizontal(List);
}

void TCardList::RepaintHorizontal(TSortedList D) {
    const size_t n = std::min(D.size(), FCard.size());
    float y = 0;
    if (FAlign == kAlignOwn) {
        SetHeight(kOwnHeight);
        y = kOwnCardTop;
    } else {
        SetHeight(TCard::kHeight);
    }
    int gap = 5;
    if (n > 6 || !FPlayerCardList)
        gap = 5 - Round(static_cast<double>(n) * (FPlayerCardList ? 1.8 : 5.0));
    gap = std::max(gap, -60);
    float x = 0;
    for (size_t i = 0; i < n; ++i) {
        FCard[i]->SetPosition(x, y);
        x += FCard[i]->Width() + static_cast<float>(gap);
        if (D[i] != i && i + 1 < n && D[i] < n) {
            ExchangeShown(FCard[i], FCard[D[i]]);
            for (size_t j = i + 1; j < n; ++j)
                if (D[j] == i) {
                    D[j] = D[i];
                    break;
                }
        }
    }
    SetWidth(x - static_cast<float>(gap));
    Repaint();
}

void TCardList::RepaintVertical(size_t n) {
    int step = n <= 6 ? 50 : 50 - 2 * static_cast<int>(n);
    step = std::max(step, 10);
    for (size_t i = 0; i < n; ++i)
        FCard[i]->SetPosition(TCard::kHeight, static_cast<float>(i) * static_cast<float>(step));
    if (n > 0)
        SetHeight(FCard[n - 1]->Y() + TCard::kWidth);
    Repaint();
}

void TCardList::Repaint() {
    if (!FOwner)
        return;
    if (FRotate) {
        // A side column sits 90 above the middle; on a low table it would leave the window at the top
        // (the seat's owner fills the window) with the seat's name plate over it: only there it stops,
        // with the plate at the window's edge.
        const float y = static_cast<float>(Round((FOwner->Height() - Height()) / 2.0) - 90);
        SetY(std::max(y, kSideHeadroom - FOwner->Y()));
    } else
        SetX(static_cast<float>(Round((FOwner->Width() - Width()) / 2.0)) + FCentreShift);
}

void TCardList::ExchangeShown(TCardMoved *a, TCardMoved *b) {
    const uint8_t id = a->ID(), suit = a->Suit(), dignity = a->Dignity();
    a->SetID(b->ID());
    a->SetKind(b->Suit(), b->Dignity());
    b->SetID(id);
    b->SetKind(suit, dignity);
}

void TCardList::Lift(uint8_t position, float y) {
    if (!FCanClick || position >= FCard.size())
        return;
    TCardMoved *card = FCard[position];
    card->StartValue(card->X(), card->Y());
    card->StopValue(card->X(), y);
    card->StartAnimation();
}

} // namespace trelvo::scene
