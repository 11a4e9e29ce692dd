#pragma once

#include "host/PictureFinder.h"

#include "common/Clock.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

namespace trelvo::host {

class TX11Input;

// Where to click on each card of the player's own hand that glows (may be played), in a picture of
// the game's window, left to right. A lit card is its face under a translucent yellow veil; only the
// lower part of the window, where the own hand lies, is searched. Lit neighbours are told apart by the
// card's edge; where no edge shows, their strip gives its leftmost card.
std::vector<QPoint> FindLitCards(const QImage &Shot);

// What one look at the game's window shows that the player could press.
struct TSight {
    std::optional<QPoint> OpenTable;   // the lobby's "open a new table"
    std::optional<QPoint> ListedTable; // a row of the lobby's table list
    std::optional<QPoint> Ok;          // the new table's settings, or a message box
    std::optional<QPoint> Ready;       // the waiting room, this player not ready yet
    std::optional<QPoint> NotReady;    // the waiting room, this player ready: wait for the others
    std::optional<QPoint> Take;        // the table's take button
    std::optional<QPoint> Bito;        // the table's bito button
    std::vector<QPoint> LitCards;
};

// Reads the buttons off a picture of the game's window by the client's own button pictures.
class TScreenReader {
public:
    TScreenReader();
    TSight Read(const QImage &Shot) const;

private:
    TPictureFinder FOpenTable, FListedTable, FOk, FReady, FNotReady, FTake, FBito;
};

enum class TAutoMove { None, OpenTable, EnterTable, Confirm, Ready, PlayCard, Take, Bito };

// How the player gets to a table from the lobby: by opening one, or by entering one another person
// has opened (and waiting in the lobby until one is listed).
enum class TAutoSeat { OpenTable, EnterListed };

struct TAutoChoice {
    TAutoMove Move = TAutoMove::None;
    QPoint At;
};

// Whether two looks show the same buttons and as many lit cards.
bool SameButtons(const TSight &A, const TSight &B);

// What a player who wants to get on with the game presses: the dialogs first, then the way to a table
// that Seat names, then a lit card; the
// take or bito button now and then instead of a card, and when no card may be played. StillLooks is
// how many looks in a row (this one included) have shown the same buttons: a person reads the result
// before being ready again, and does not give up a bout the moment the last card is covered.
TAutoChoice ChooseMove(const TSight &Sight, int StillLooks, TAutoSeat Seat, std::mt19937_64 &Random);

// Plays the player's seat as a person would: looks at the game's window now and then and clicks what
// ChooseMove picks with the real pointer, from opening or entering a table to the end of the game and
// the next one.
class TAutoplayer {
public:
    static constexpr int kLookEveryMs = 900;
    // Looks at the result in the waiting room before being ready for the next game.
    static constexpr int kLooksBeforeReady = 3;
    // Looks at a table with nothing to cover before taking.
    static constexpr int kLooksBeforeTake = 2;

    // GameWindow gives the client's X window while it is embedded (0 otherwise).
    TAutoplayer(TClock &Clock, TX11Input &Input, std::function<std::uint32_t()> GameWindow,
                std::uint64_t Seed, int LookEveryMs = kLookEveryMs, TAutoSeat Seat = TAutoSeat::OpenTable);
    ~TAutoplayer();
    TAutoplayer(const TAutoplayer &) = delete;
    TAutoplayer &operator=(const TAutoplayer &) = delete;

    int Clicks() const { return FClicks; }
    // Told of every click (root coordinates), for the host's log.
    std::function<void(TAutoMove Move, QPoint Point)> OnClick;

private:
    void Look();

    TClock &FClock;
    TX11Input &FInput;
    std::function<std::uint32_t()> FGameWindow;
    std::mt19937_64 FRandom;
    int FLookEveryMs;
    TAutoSeat FSeat;
    TScreenReader FReader;
    TClock::TId FTimer = 0;
    int FClicks = 0;
    TSight FLastSight;
    int FStillLooks = 0;
};

// A word for the log.
QString AutoMoveName(TAutoMove Move);

} // namespace trelvo::host
