#pragma once

#include "server/BotLevels.h"
#include "server/BotView.h"
#include "server/GameServer.h"
#include "server/Random.h"

#include <QString>

#include <memory>
#include <optional>

namespace trelvo::server {

// A bot's strategy: given what its seat may know, one legal move. A new level is a new brain.
class IBotBrain {
public:
    virtual ~IBotBrain() = default;
    // View.Turn is not None. The choice is one of View.LegalActions().
    virtual TBotAction Choose(const TBotView &View, TRandom &Rng) = 0;
};

// Any legal move, at random.
class TEasyBrain : public IBotBrain {
public:
    TBotAction Choose(const TBotView &View, TRandom &Rng) override;
};

// A careful beginner: sheds low cards, covers cheaply, keeps trumps, counts cards once the stock is gone.
class TNormalBrain : public IBotBrain {
public:
    TBotAction Choose(const TBotView &View, TRandom &Rng) override;
    // The same without a generator: it uses none.
    static TBotAction Decide(const TBotView &View);
};

} // namespace trelvo::server
