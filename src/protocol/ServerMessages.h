#pragma once

#include "protocol/ClientMessages.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <variant>
#include <vector>

// What a game server sends to one client: one struct per subcode, a builder that spells it as
// "subcode;payload" (the text after the host's "7;") and a reader for all of them (bots and tests
// read what the server wrote). Ids are the server's player ids at the table, 255 for nobody.
namespace trelvo::msg {

constexpr int kNobody = 255;

// A card as the server names it: its id in the current game and its face.
struct TCard {
    int ID = 0;
    int Suit = 0;
    int Dignity = 0;
    bool operator==(const TCard &) const = default;
};

// 1: the answer to a login. Status 1 accepted, 0 plug-in outdated, 2 chat client outdated.
struct TVersionCheck {
    int Status = 1;
    int Echo = 0;
    QString PlayerID;
    bool operator==(const TVersionCheck &) const = default;
};
// 2: the lobby's table list.
struct TTableEntry {
    int ID = 0;
    int PlayerCount = 0;
    bool Transfer = false;
    bool FNTR = false;
    bool MaxF = false;
    bool operator==(const TTableEntry &) const = default;
};
struct TTableList {
    int CountTrTable = 0;
    int CountNotTrTable = 0;
    int CountTrPlayer = 0;
    int CountNotTrPlayer = 0;
    std::vector<TTableEntry> Tables;
    bool operator==(const TTableList &) const = default;
};
// 3: the table asked for was created (its id) or refused (-1).
struct TTableCreated {
    int TableID = -1;
    bool operator==(const TTableCreated &) const = default;
};
// 4: the waiting room was closed by the server.
struct TTableClosed {
    bool operator==(const TTableClosed &) const = default;
};
// 5: entry refused: 1 recruiting closed, 2 table full, 3 a second player from the same computer.
struct TEntryRefused {
    int Reason = 0;
    bool operator==(const TEntryRefused &) const = default;
};
// 6: the seats of the waiting room.
struct TSeat {
    int Slot = 0;
    QString Name;
    bool Ready = false;
    bool operator==(const TSeat &) const = default;
};
struct TWaitingRoom {
    int TableID = 0;
    std::vector<TSeat> Seats;
    bool operator==(const TWaitingRoom &) const = default;
};
// 7: the waiting room's countdown starts at Value; 0 stops it.
struct TCountdown {
    int Value = 0;
    bool operator==(const TCountdown &) const = default;
};
// 9: a game starts; Cards are the receiver's own.
struct TGamePlayer {
    int ID = 0;
    QString Name;
    bool operator==(const TGamePlayer &) const = default;
};
struct TGameStart {
    int TimeGo = 30;
    std::vector<TGamePlayer> Players;
    int FirstID = 0;
    int TrumpSuit = 0;
    int TrumpDignity = 0;
    int DeckCount = 0;
    std::vector<TCard> Cards;
    bool operator==(const TGameStart &) const = default;
};
// 10: a card goes to the table: a lead, a throw-in or (Transfer set and DefenderID new) a transfer.
// Transfer says whether the defender may transfer this attack.
struct TCardPlayed {
    int AttackerID = 0;
    int DefenderID = 0;
    int Suit = 0;
    int Dignity = 0;
    bool Transfer = false;
    bool operator==(const TCardPlayed &) const = default;
};
// 11: the defender takes; NextID may throw in.
struct TTaken {
    int TakerID = 0;
    int NextID = 0;
    bool operator==(const TTaken &) const = default;
};
// 12: a thrower-in is done; NextID may throw in.
struct TPassed {
    int NextID = 0;
    bool operator==(const TPassed &) const = default;
};
// 13: the bout is over. Counts hold every player's cards after the refill; Cards are what the
// receiver takes from the table and draws, in that order.
struct TCardCount {
    int ID = 0;
    int CardCount = 0;
    bool operator==(const TCardCount &) const = default;
};
struct TBoutEnd {
    bool Bito = true;
    int TakerID = kNobody;
    int NextID = 0;
    int DeckCount = 0;
    std::vector<TCardCount> Counts;
    std::vector<TCard> Cards;
    bool operator==(const TBoutEnd &) const = default;
};
// 14: an attack card was covered. CoverKind 0: all covered, NextID may throw in; 2: cards are still
// open, NextID (the defender) covers on; 1: nothing follows from this cover. The face travels only
// to the players who did not cover.
struct TCovered {
    int CoverKind = 0;
    int CovererID = 0;
    int NextID = 0;
    int Place = 0;
    bool HasFace = false;
    int Suit = 0;
    int Dignity = 0;
    bool operator==(const TCovered &) const = default;
};
// 15: the game is over for the receiver: 0 lost, 1 won, 2 draw, 3 no result. ShowNow 1 shows it at
// once, 0 after the bout's closing animation.
struct TGameResult {
    int Result = 3;
    int ShowNow = 0;
    bool operator==(const TGameResult &) const = default;
};
// 16: a player was removed from the game. The removed player's own copy carries only the id.
struct TPlayerLeft {
    int LeaverID = 0;
    bool ToLeaver = false;
    int NextID = kNobody;
    bool operator==(const TPlayerLeft &) const = default;
};
// 20: the client is to check its reachability and answer with Kind.
struct TReachabilityCheck {
    QString Kind;
    bool operator==(const TReachabilityCheck &) const = default;
};
// 21: the client is to send a server information report.
struct TServerInfo {
    QString Version;
    QString MD5_Server;
    QString MD5_Plugin;
    QString Ver_Plug;
    bool operator==(const TServerInfo &) const = default;
};
// 22: another client's failed report, for this client to send; EndCode arrives as KindPost. The
// last three fields are optional to a reader.
struct TRedirectedInfo {
    TRedirectRequest Info;
    bool operator==(const TRedirectedInfo &) const = default;
};

using TServerMessage =
    std::variant<TVersionCheck, TTableList, TTableCreated, TTableClosed, TEntryRefused, TWaitingRoom,
                 TCountdown, TGameStart, TCardPlayed, TTaken, TPassed, TBoutEnd, TCovered, TGameResult,
                 TPlayerLeft, TReachabilityCheck, TServerInfo, TRedirectedInfo>;

QString Build(const TVersionCheck &M);
QString Build(const TTableList &M);
QString Build(const TTableCreated &M);
QString Build(const TTableClosed &M);
QString Build(const TEntryRefused &M);
QString Build(const TWaitingRoom &M);
QString Build(const TCountdown &M);
QString Build(const TGameStart &M);
QString Build(const TCardPlayed &M);
QString Build(const TTaken &M);
QString Build(const TPassed &M);
QString Build(const TBoutEnd &M);
QString Build(const TCovered &M);
QString Build(const TGameResult &M);
QString Build(const TPlayerLeft &M);
QString Build(const TReachabilityCheck &M);
QString Build(const TServerInfo &M);
QString Build(const TRedirectedInfo &M);
QString BuildMessage(const TServerMessage &M);

// "subcode;payload" from a server; nothing for an unknown subcode or a malformed field.
std::optional<TServerMessage> ParseServerMessage(QStringView Text);

} // namespace trelvo::msg
