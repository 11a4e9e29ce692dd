#include "server/Bot.h"
#include "server/BotBrain.h"

#include "common/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using namespace trelvo::server;

namespace {

// A brain that lets something happen while it thinks, then makes the usual choice.
class TSlowBrain : public IBotBrain {
public:
    std::function<void()> WhileThinking;
    int Choices = 0;
    TBotAction Choose(const TBotView &View, TRandom &) override {
        ++Choices;
        if (auto happen = std::exchange(WhileThinking, nullptr))
            happen();
        return TNormalBrain::Decide(View);
    }
};

// Ann (0) leads a diamond against the bot (1), which holds six clubs with hearts trumps: it can only take.
const QString kStart = QStringLiteral("9;2;30;0;Ann;1;Bot;0;3;6;24;6;0;1;5;1;1;6;2;1;7;3;1;8;4;1;9;5;1;10;");
const QString kLead = QStringLiteral("10;0;1;2;5;0;");

// A decision made on a view that changed before it went out is dropped: the server moved on (here its
// turn clock took the cards for the bot), and the request would only be refused.
TEST(Seat, DropsADecisionWhoseViewChangedBeforeItWasSent) {
    trelvo::TManualClock clock;
    auto brain = std::make_unique<TSlowBrain>();
    TSlowBrain &slow = *brain;
    TBot bot(clock, 1, std::move(brain), 10, 10, 0, QStringLiteral("Bot"));
    std::vector<QString> sent;
    bot.OnRequest = [&](const QString &m) { sent.push_back(m); };
    bot.Receive(kStart);
    bot.Receive(kLead);
    slow.WhileThinking = [&] { bot.Receive(QStringLiteral("11;1;0;")); };
    clock.Advance(10);
    EXPECT_EQ(slow.Choices, 1);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(bot.Dropped(), 1);
    // The same turn unchanged is answered as usual.
    bot.Receive(kStart);
    bot.Receive(kLead);
    clock.Advance(10);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent.front().startsWith(QStringLiteral("11;")));
}

// The think timer fires after the turn has gone (the bout ended meanwhile): nothing is sent for it.
TEST(Seat, SendsNothingForATurnThatEndedWhileItsTimerRan) {
    trelvo::TManualClock clock;
    TBot bot(clock, 1, TBotLevel::Hard, 10, 10, 0, QStringLiteral("Bot"));
    std::vector<QString> sent;
    bot.OnRequest = [&](const QString &m) { sent.push_back(m); };
    bot.Receive(kStart);
    bot.Receive(kLead);
    bot.Receive(QStringLiteral("11;1;0;"));
    clock.Advance(100);
    EXPECT_TRUE(sent.empty());
}

// The view keeps who holds which card it saw: the trump card with whoever drew the stock's last card,
// the table with whoever took it, until the card is played again.
TEST(Seat, TheViewKnowsWhoHoldsTheCardsItSawGoIntoAHand) {
    trelvo::TManualClock clock;
    TBot bot(clock, 1, TBotLevel::Normal, 10, 10, 0, QStringLiteral("Bot"));
    const TBotView &view = bot.View();
    auto has = [](const std::vector<trelvo::msg::TCard> &Cards, int Suit, int Dignity) {
        return std::any_of(Cards.begin(), Cards.end(), [&](const trelvo::msg::TCard &c) {
            return c.Suit == Suit && c.Dignity == Dignity;
        });
    };
    // One card left in the stock: the seven of hearts, trumps. Ann leads a diamond, the bot takes it, and
    // Ann, drawing first, gets the trump card.
    bot.Receive(QStringLiteral("9;2;30;0;Ann;1;Bot;0;3;6;1;6;0;1;5;1;1;6;2;1;7;3;1;8;4;1;9;5;1;10;"));
    bot.Receive(kLead);
    bot.Receive(QStringLiteral("11;1;0;"));
    bot.Receive(QStringLiteral("13;0;1;0;0;2;0;6;1;7;1;21;2;5;"));
    EXPECT_EQ(view.TrumpOwner, 0);
    EXPECT_TRUE(has(view.Known[0], 3, 6));
    EXPECT_TRUE(has(view.Hand, 2, 5));
    EXPECT_EQ(view.Stock, 0);
    // Ann plays it: she is no longer known to hold it. The bot takes it; a bout later the bot leads its
    // six of clubs and Ann takes it: she is known to hold that.
    bot.Receive(QStringLiteral("10;0;1;3;6;0;"));
    EXPECT_TRUE(view.Known[0].empty());
    EXPECT_EQ(view.Turn, TBotTurn::Defend);
    bot.Receive(QStringLiteral("11;1;0;"));
    bot.Receive(QStringLiteral("13;0;1;0;0;2;0;5;1;8;1;35;3;6;"));
    EXPECT_TRUE(has(view.Hand, 3, 6));
    bot.Receive(QStringLiteral("13;1;255;1;0;2;0;5;1;8;0;"));
    ASSERT_EQ(view.Turn, TBotTurn::Lead);
    bot.Receive(QStringLiteral("10;1;0;1;5;0;"));
    bot.Receive(QStringLiteral("11;0;1;"));
    bot.Receive(QStringLiteral("13;0;0;1;0;2;0;6;1;7;0;"));
    EXPECT_TRUE(has(view.Known[0], 1, 5));
    EXPECT_EQ(view.Counts, (std::vector<int>{6, 7}));
}

} // namespace
