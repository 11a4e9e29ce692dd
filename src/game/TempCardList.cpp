#include "game/TempCardList.h"

namespace trelvo {

TTempCardList::TTempCardList() {
    Clean();
}

void TTempCardList::AddCard(uint8_t ID, uint8_t Suit, uint8_t Dignity) {
    CardList.push_back({ID, Suit, Dignity});
}

uint8_t TTempCardList::GetCard(uint8_t Suit, uint8_t Dignity) {
    for (size_t i = 0; i < CardList.size(); ++i) {
        if (CardList[i].Suit == Suit && CardList[i].Dignity == Dignity) {
            const uint8_t id = CardList[i].ID;
            RemoveAt(i);
            return id;
        }
    }
    return kNoCard;
}

bool TTempCardList::GetCard(uint8_t &ID, uint8_t &Suit, uint8_t &Dignity) {
    if (CardList.empty()) {
        ID = kNoCard;
        Suit = 0;
        Dignity = 0;
        return false;
    }
    ID = CardList[0].ID;
    Suit = CardList[0].Suit;
    Dignity = CardList[0].Dignity;
    RemoveAt(0);
    return true;
}

void TTempCardList::PlayerCountCard(uint8_t playerid, int8_t Count) {
    if (playerid >= 2 && playerid <= 4)
        FPlayer[playerid - 2] = Count;
}

void TTempCardList::ResetPlayerCount() {
    FPlayer.fill(-1);
}

void TTempCardList::Clean() {
    CardList.clear();
    ResetPlayerCount();
    FNextPlayer = -1;
    FEndGame = false;
    FWinState = 3;
    FPlayerList.fill(TPlayer{});
}

void TTempCardList::RemoveAt(size_t Index) {
    CardList[Index] = CardList.back();
    CardList.pop_back();
}

} // namespace trelvo
