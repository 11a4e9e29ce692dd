#pragma once

#include "common/Clock.h"

#include <QImage>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace trelvo::host {

class TX11Input;

// Where to click on each card of the player's own hand that glows (may be played), in a picture of
// the game's window, left to right. A lit card is its face under a translucent yellow veil; only the
// lower part of the window, where the own hand lies, is searched. Lit neighbours are told apart by the
// card's edge; where no edge shows, their strip gives its leftmost card.
std::vector<QPoint> FindLitCards(const QImage &Shot);

// Plays the player's seat as a person would: looks at the game's window now and then and clicks one
// of the lit cards with the real pointer.
class TAutoplayer {
public:
    static constexpr int kLookEveryMs = 900;

    // GameWindow gives the client's X window while it is embedded (0 otherwise).
    TAutoplayer(TClock &Clock, TX11Input &Input, std::function<std::uint32_t()> GameWindow,
                std::uint64_t Seed);
    ~TAutoplayer();
    TAutoplayer(const TAutoplayer &) = delete;
    TAutoplayer &operator=(const TAutoplayer &) = delete;

    int Clicks() const { return FClicks; }
    // Told of every click (root coordinates), for the host's log.
    std::function<void(QPoint Point)> OnClick;

private:
    void Look();

    TClock &FClock;
    TX11Input &FInput;
    std::function<std::uint32_t()> FGameWindow;
    std::mt19937_64 FRandom;
    TClock::TId FTimer = 0;
    int FClicks = 0;
};

} // namespace trelvo::host
