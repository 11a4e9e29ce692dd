#pragma once

#include "CardList.h"
#include "NickBar.h"

#include "lobby/PicButton.h"

#include "common/TimerEx.h"
#include "game/api/CardModel.h"
#include "game/api/IGraphics.h"
#include "kit/Animation.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace trelvo::scene {

// A one-shot timer that carries a clicked card to its handler.
class TTimerOnClick : public TTimerEx {
public:
    int CardID() const { return FCardID; }
    void SetCardID(int value) { FCardID = value; }
    int Suit() const { return FSuit; }
    void SetSuit(int value) { FSuit = value; }
    int Dignity() const { return FDignity; }
    void SetDignity(int value) { FDignity = value; }

private:
    int FCardID = 0, FSuit = 0, FDignity = 0;
};

// A picture that fades in and out (the defender pointer); transparent at creation.
class TIndicator : public TImageEx {
public:
    explicit TIndicator(TSceneObject *owner);

    // Fades in from 0 (a fade in progress completes at once first).
    void Show();
    // Fades out from 1.
    void Hide();
    TFloatAnimation *Animation() const { return FAnimation; }

private:
    TFloatAnimation *FAnimation;
};

// One seat at the table: 1 the user (bottom), 2 left, 3 top, 4 right. It holds the hand, keeps the
// user's hand in display order and decides which of its cards light up, shows an opponent's name
// plate, the blinking take mark while the seat picks up, and the defender pointer.
class TPlayer : public TLayout {
public:
    using TOnPlayerCardClick = std::function<void(uint8_t CardID, uint8_t Suit, uint8_t Dignity)>;
    static constexpr float kOwnSeatHeight = 230;
    // The top seat: its name plate 10 left of the hand, its take mark and pointer 10 right of it; the
    // hand sits right of centre so that the whole row is centred.
    static constexpr float kTopPlateGap = 10, kTopMarkGap = 10;
    static constexpr float kTopShift = ((kTopPlateGap + 150) - (kTopMarkGap + 88)) / 2;

    TOnPlayerCardClick OnPlayerCardClick;

    TPlayer(TSceneObject *owner, uint8_t aPlace);
    ~TPlayer() override;

    uint8_t Place() const { return FPlace; }

    // Adds or removes a card and lays the hand out in display order.
    void AddCard(uint8_t ID, uint8_t Suit, uint8_t Dignity);
    void DelCard(uint8_t cardID);
    // Places hand, name plate, take mark and pointer; sizes the seat.
    void Repaint();
    uint8_t GetCardID(uint8_t Suit, uint8_t Dignity) const { return FCardList->GetCardID(Suit, Dignity); }
    uint8_t CountCard() const { return FCardList->Count(); }

    // Lights exactly the cards that can cover aCard.
    void ShowCanUsedToCoverCard(const TSrvCard &aCard);
    // Lights the cards of aCard's dignity; other lights stay as they are.
    void ShowCanGiveCard(const TSrvCard &aCard);
    // Lights the cards a throw-in may add to these table cards; other lights stay as they are.
    void ShowCanThrowIn(const std::vector<TSrvCard> &OnTable);
    void ShowAllLightsCard();
    void HideCanUsedCard();
    // Some card of the hand passes an attack of aCard on.
    bool IsHaveTransfer(const TSrvCard &aCard) const;

    // Seats 2..4: a name fills the seat and shows the plate; an empty one hides it and empties the hand.
    // (The toolkit's SetName names scene objects, so the seat's name has a name of its own.)
    void SetPlayerName(const QString &value);
    // Seats 2..4: the name plate lights up.
    void SetActive(bool value);
    bool Take() const { return FTakeImg->Visible(); }
    void SetTake(bool value);
    bool Beat() const { return FBeat; }
    void SetBeat(bool value);
    void SetCanClick(bool value) { FCardList->SetCanClick(value); }
    void SetTrump(const TPlayerCard *value) { FTrump = value; }
    void SetLeftPlayerBar(float value) { FLeftPlayerBar = value; }
    void SetOnTextError(TOnTextError value) { FOnTextError = std::move(value); }

    TCardList *CardList() const { return FCardList; }
    TNickBar *NickBar() const { return FNickBar; }
    TImageEx *TakeImg() const { return FTakeImg; }
    TIndicator *PointerBeat() const { return FPointerBeat; }
    TBitmapAnimationEx *TakeAnimation() const { return FAnimation; }

private:
    void LayOutHand();
    void LayOutCards();
    void PlaceSideMarks();
    uint8_t TrumpSuit() const { return FTrump ? FTrump->Suit : 0; }
    void DeferClick(uint8_t CardID, uint8_t Suit, uint8_t Dignity);

    uint8_t FPlace;
    TCardList *FCardList;
    TNickBar *FNickBar = nullptr;
    TImageEx *FTakeImg;
    const TPlayerCard *FTrump = nullptr;
    float FLeftPlayerBar = 0;
    TBitmapAnimationEx *FAnimation;
    TTimerOnClick *FTimerOnClick = nullptr;
    TIndicator *FPointerBeat;
    bool FBeat = false;
    TOnTextError FOnTextError;
};

} // namespace trelvo::scene
