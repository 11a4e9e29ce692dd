#pragma once

#include "CardDeck.h"
#include "Player.h"
#include "PlayerBar.h"
#include "PlayingPlace.h"
#include "RoundEnd.h"
#include "YourTurn.h"

#include "lobby/PicButton.h"

#include "game/api/CardModel.h"
#include "game/api/IGraphics.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace trelvo::scene {

// The game table: four seats, the stock with the trump, the own player bar, the playing place, the
// big take/discard button, the round-end countdown and the your-turn cue. It carries out the
// controller's game commands as movements on screen, runs the user's side of a turn as a small
// state machine, and reports the user's moves and the end of each round's animation.
class TTable : public TLayout {
public:
    using TOn = std::function<void(uint8_t CardID)>;
    using TOnCover = std::function<void(uint8_t CardID, uint8_t SelectID)>;
    using TOnPicClick = std::function<void()>;
    using TOnGetCardFromTemp = std::function<void(uint8_t Suit, uint8_t Dignity)>;
    using TOnBitoEnd = std::function<void()>;
    using TOnRound = std::function<void()>;

    // The user's turn states.
    enum : uint8_t {
        kStateIdle = 0,     // nothing asked of the user
        kStateAttack = 1,   // attacks or throws in: a click plays to the next attacking place
        kStateWaiting = 2,  // the user's move is done
        kStateCover = 3,    // defends by covering: a click covers the selected card
        kStateTaking = 4,   // takes while others may still throw in: no clicks
        kStateTransfer = 5, // defends with transfer chosen: a click transfers
    };
    // What the big button means.
    enum : uint8_t { kButtonTake = 0, kButtonBito = 1 };

    TOn OnGo;
    TOnCover OnCover;
    TOnPicClick OnPickClick;
    TOnPicClick OnBitoClick;
    TOnGetCardFromTemp OnGetCardFromTemp;
    TOnBitoEnd OnBitoEnd;
    TOnRound OnRoundStart;
    TOn OnTransfer;

    explicit TTable(TSceneObject *owner);

    void SetPlayerName(const QString &value) { FPlayerBar->SetPlayerName(value); }
    void SetTrump(uint8_t Suit, uint8_t Dignity);
    void AddPlayer(uint8_t playerid, const QString &PlayerName);
    void DelPlayer(uint8_t playerid);
    void AddPlayerCard(uint8_t playerid, uint8_t ID, uint8_t Suit, uint8_t Dignity);
    // Another seat (or, in state 1, the user as reported by the server) attacks or throws in.
    void PlayerGo(uint8_t playerid, uint8_t Suit, uint8_t Dignity);
    // Another seat covers attacking place CoverID.
    void PlayerCover(uint8_t playerid, uint8_t CoverID, uint8_t Suit, uint8_t Dignity);
    // A seat is on turn; beat_playerid is the defender or kNoSeat.
    void PlayerActive(uint8_t playerid, uint8_t beat_playerid);
    // A seat announces that it takes.
    void ShowPlayerTake(uint8_t playerid);
    // The round is over: countdown, then the pick-up by take_playerid or the discard (kNoSeat).
    void PlayerTake(uint8_t take_playerid, uint8_t next_playerid);
    void ShowBitoButton();
    void HidePickButton();
    // Offers the user's defence: the take button, the cover (or transfer) choice and the lit cards.
    void ShowPlayerCover();
    // Lights the user's cards that may be played.
    void ShowCanGiveCard();
    void SetDeck(uint8_t Count) { FCardDeck->SetCount(Count); }
    void SetPlayerCountCard(uint8_t playerid, uint8_t Count);
    void PutTableCardToBito() { FPlayingPlace->MoveBito(1); }
    void HideActive();
    void HideAllTake();
    void HideAllPointer();
    // Lays out the whole table for its current size.
    void Repaint();
    // Drops every handler of the table's events: a table being freed reports nothing more.
    void ClearEvents();

    uint8_t TableState() const { return FTableState; }
    void SetTableState(uint8_t value) { FTableState = value; }
    void SetTimeGo(uint8_t value) { FTimeGo = value; }
    bool Transfer() const { return FTransfer; }
    void SetTransfer(bool value) { FTransfer = value; }
    void SetOnTextError(TOnTextError value);

    // The pieces, for the facade's layout and for looking at the table.
    TPlayer *Player(uint8_t playerid) const;
    TCardDeck *CardDeck() const { return FCardDeck; }
    TPlayerBar *PlayerBar() const { return FPlayerBar; }
    TPlayingPlace *PlayingPlace() const { return FPlayingPlace; }
    TPicButton *PickBitoButton() const { return FPickBitoButton; }
    uint8_t PickBitoButtonState() const { return FPickBitoButtonState; }
    TRoundEnd *RoundEnd() const { return FRoundEnd; }
    TYourTurn *YourTurn() const { return FYourTurn; }
    int CountCardGo() const { return FCountCardGo; }
    const TPlayerCard &Trump() const { return FTrump; }

private:
    TPlayer *Own() const { return FPlayer[0]; }
    TSrvCard FirstAttackCard() const { return FPlayingPlace->GetCard(0); }
    // Seat 1 stops taking clicks and its lights go out.
    void DisarmOwnHand();
    void ShowTakeButton();
    void PlacePickBitoButton();
    void PlaceYourTurn();
    void HideBitoButton();
    void OwnTakeSteps();
    void CardClicked(uint8_t CardID, uint8_t Suit, uint8_t Dignity);
    void TakeClicked();
    void BitoClicked();
    void ClockRanOut();
    void ChoiceChanged(bool State);
    void CountdownEnded();
    void PickedUpCardLanded(uint8_t Suit, uint8_t Dignity);
    void RoundFinished();

    TPlayerCard FTrump;
    TCardDeck *FCardDeck;
    TPlayerBar *FPlayerBar;
    TPlayingPlace *FPlayingPlace;
    TPicButton *FPickBitoButton;
    TRoundEnd *FRoundEnd;
    int FCountCardGo = 0;
    uint8_t FTableState = kStateIdle;
    uint8_t FPickBitoButtonState = kButtonTake;
    std::array<TPlayer *, 4> FPlayer{};
    uint8_t Ftake_playerid = kNoSeat;
    uint8_t Fnext_playerid = kNoSeat;
    uint8_t FTimeGo = 0;
    bool FTransfer = false;
    TYourTurn *FYourTurn;
    bool FCoverYourTurn = false;
    // While the round's end hands the turn on, the clock's restart waits for the end to be reported.
    bool FHoldRoundStart = false;
    bool FRoundStartHeld = false;
    TOnTextError FOnTextError;
};

} // namespace trelvo::scene
