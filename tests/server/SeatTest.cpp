#include "server/Bot.h"
#include "server/BotBrain.h"

#include "common/Clock.h"

#include <gtest/gtest.h>

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

} // namespace
