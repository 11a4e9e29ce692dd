#pragma once

#include "game/api/CardModel.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace trelvo {

// What the game server announces at the end of a round (cards for this player, deck size, the
// other seats' card counts, who moves next, the game result), held until the table has finished
// its closing animation.
class TTempCardList {
public:
    // Card counts of seats 2, 3 and 4 (index 0 is seat 2); -1 means not reported.
    using TPlayerCounts = std::array<int8_t, 3>;

    TTempCardList();

    // Entries in the list. A byte, as the scene reads it; Size() is the true length.
    uint8_t Count() const { return static_cast<uint8_t>(CardList.size()); }
    size_t Size() const { return CardList.size(); }

    uint8_t CountDeck() const { return FCountDeck; }
    void SetCountDeck(uint8_t Value) { FCountDeck = Value; }
    TPlayerCounts Player() const { return FPlayer; }
    int8_t NextPlayer() const { return FNextPlayer; }
    void SetNextPlayer(int8_t Value) { FNextPlayer = Value; }
    uint16_t WinState() const { return FWinState; }
    void SetWinState(uint16_t Value) { FWinState = Value; }
    bool EndGame() const { return FEndGame; }
    void SetEndGame(bool Value) { FEndGame = Value; }
    TPlayerList PlayerList() const { return FPlayerList; }
    void SetPlayerList(const TPlayerList &Value) { FPlayerList = Value; }

    void AddCard(uint8_t ID, uint8_t Suit, uint8_t Dignity);
    // The ID of the first card with this face, removed from the list; kNoCard when there is none.
    uint8_t GetCard(uint8_t Suit, uint8_t Dignity);
    // Takes the card at index 0. On an empty list it yields kNoCard, 0, 0 and returns false.
    bool GetCard(uint8_t &ID, uint8_t &Suit, uint8_t &Dignity);
    // Records the card count of seat playerid; only seats 2 to 4 are kept.
    void PlayerCountCard(uint8_t playerid, int8_t Count);
    void ResetPlayerCount();
    // Forgets everything of the round and the game except the deck size.
    void Clean();

private:
    // Removal fills the hole with the last entry: the list is a bag, not a queue.
    void RemoveAt(size_t Index);

    TSrvCardLis CardList;
    uint8_t FCountDeck = 0;
    TPlayerCounts FPlayer{};
    int8_t FNextPlayer = -1;
    uint16_t FWinState = 3;
    bool FEndGame = false;
    TPlayerList FPlayerList;
};

} // namespace trelvo
