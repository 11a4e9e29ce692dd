#pragma once

#include "common/Clock.h"
#include "server/Durak.h"

#include <QString>

#include <string>
#include <vector>

namespace trelvo::server::test {

// A manual clock that jumps straight to the next timer, so whole games run without waiting.
class TJumpClock : public TManualClock {
public:
    // Runs timers until none is left or Done() says so; false when MaxSteps timers did not suffice.
    template <typename F> bool RunUntil(F Done, int MaxSteps = 1000000) {
        for (int i = 0; i < MaxSteps; ++i) {
            if (Done())
                return true;
            const int64_t due = NextDue();
            if (due < 0)
                return Done();
            Advance(due > Now() ? due - Now() : 0);
        }
        return false;
    }
};

// Cards written as rank and suit: "6C", "10D", "JH", "QS", "KC", "AD".
inline TFace Face(const std::string &Text) {
    const char suit = Text.back();
    const std::string rank = Text.substr(0, Text.size() - 1);
    const int s = suit == 'C' ? 1 : suit == 'D' ? 2 : suit == 'H' ? 3 : 4;
    int d = 0;
    if (rank == "J")
        d = 10;
    else if (rank == "Q")
        d = 11;
    else if (rank == "K")
        d = 12;
    else if (rank == "A")
        d = 13;
    else
        d = std::stoi(rank) - 1;
    return {s, d};
}

inline std::string Name(TFace F) {
    static const char *ranks[] = {"6", "7", "8", "9", "10", "J", "Q", "K", "A"};
    static const char suits[] = {'C', 'D', 'H', 'S'};
    if (F.Dignity < 5 || F.Dignity > 13 || F.Suit < 1 || F.Suit > 4)
        return "?";
    return std::string(ranks[F.Dignity - 5]) + suits[F.Suit - 1];
}

// The deck in suit and rank order: card id (suit - 1) * 9 + (dignity - 5).
inline std::vector<TFace> OrderedDeck() {
    return OrderedFaces();
}

inline int Id(const std::string &Text) {
    return DeckIndex(Face(Text));
}

inline std::vector<int> Ids(const std::vector<std::string> &Texts) {
    std::vector<int> ids;
    for (const std::string &t : Texts)
        ids.push_back(Id(t));
    return ids;
}

} // namespace trelvo::server::test
