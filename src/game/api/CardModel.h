#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// How cards, players, waiting-room seats and lobby tables travel between the controller and the
// screen. Field order and widths are part of the contract with the scene: keep them.
namespace trelvo {

// Suits: 1 clubs, 2 diamonds, 3 hearts, 4 spades. Dignities: 1 (two) to 13 (ace). (0, 0) is a card
// seen from the back.
constexpr uint8_t kSuitClubs = 1;
constexpr uint8_t kSuitDiamonds = 2;
constexpr uint8_t kSuitHearts = 3;
constexpr uint8_t kSuitSpades = 4;

// A card ID given by the game server to one card of the current game; 255 is "no card".
constexpr uint8_t kNoCard = 255;

// Seat numbers as the scene knows players: 1 this player (bottom), 2 left, 3 top, 4 right.
constexpr uint8_t kOwnSeat = 1;
constexpr uint8_t kNoSeat = 255;

// One own card as handed to the scene when a game starts.
struct TCardID {
    uint8_t ID = 0;
    uint8_t Suit = 0;
    uint8_t Dignity = 0;
    bool operator==(const TCardID &) const = default;
};
using TListCardID = std::vector<TCardID>;

// One card held in the temporary card list.
struct TSrvCardID {
    uint8_t ID = 0;
    uint8_t Suit = 0;
    uint8_t Dignity = 0;
    bool operator==(const TSrvCardID &) const = default;
};
using TSrvCardLis = std::vector<TSrvCardID>;

// The trump of the current game; (0, 0) until the first game starts.
struct TSrvCard {
    uint8_t Suit = 0;
    uint8_t Dignity = 0;
    bool operator==(const TSrvCard &) const = default;
};

// A card known only by its face.
struct TPlayerCard {
    uint8_t Suit = 0;
    uint8_t Dignity = 0;
    bool operator==(const TPlayerCard &) const = default;
};

// One player at the game table as the scene sees it: Playerid is the seat number.
struct TGPlayer {
    QString Name;
    uint8_t Playerid = 0;
    bool operator==(const TGPlayer &) const = default;
};
using TGPlayerList = std::vector<TGPlayer>;

// The controller's translation of a game-server player id into a seat number.
struct TSrvPlayer {
    QString Name;
    uint8_t Server_Playerid = 0;
    uint8_t Client_Playerid = 0;
    bool operator==(const TSrvPlayer &) const = default;
};
using TSrvPlayerList = std::vector<TSrvPlayer>;

// The player's own identity as the host gives it.
struct TPlayerInfo {
    QString Name;
    QString IP;
    uint8_t Gender = 0;
    bool operator==(const TPlayerInfo &) const = default;
};

// One waiting-room seat: who sits there (empty for a free seat) and whether they are ready.
struct TPlayer {
    QString Playrname;
    bool PlayerState = false;
    bool operator==(const TPlayer &) const = default;
};
// Indexed 0 to 3 by waiting-room slot.
using TPlayerList = std::array<TPlayer, 4>;

// The options of a new table chosen in the settings window.
struct TCreateSetting {
    bool Transfer = false;
    bool First_Not_TR = false;
    bool Max_Five = false;
    bool operator==(const TCreateSetting &) const = default;
};

// One table of the lobby list; shown to the user as ID + 1.
struct TTableInfo {
    int ID = 0;
    int PlayerCount = 0;
    bool Transfer = false;
    bool FNTR = false;
    bool MaxF = false;
    bool operator==(const TTableInfo &) const = default;
};
using TArrTableInfo = std::vector<TTableInfo>;

// The counts shown under the table list.
struct TStatTable {
    int CountTrTable = 0;
    int CountNotTrTable = 0;
    int CountTrPlayer = 0;
    int CountNotTrPlayer = 0;
    bool operator==(const TStatTable &) const = default;
};

// The seat of the player with server id ServerId when this player has server id OwnServerId: the
// server id minus this player's plus 1, plus 4 when that is below 1. The seats follow the server's id
// order starting from this player, so with fewer than four players they need not be consecutive.
// The id is counted from 1 in a byte first, as the scene's seat list is built, so id 255 wraps to 0.
constexpr uint8_t SeatNumber(uint8_t ServerId, uint8_t OwnServerId) {
    int seat = int(static_cast<uint8_t>(ServerId + 1)) - int(OwnServerId);
    if (seat < 1)
        seat += 4;
    return static_cast<uint8_t>(seat);
}

} // namespace trelvo
