#include "ServerTestSupport.h"

#include "server/Bot.h"
#include "server/BotBrain.h"
#include "server/BotView.h"
#include "server/Durak.h"
#include "server/GameServer.h"
#include "server/HardBrain.h"
#include "server/Table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace trelvo::server;
using namespace trelvo::server::test;

namespace {

const TTableRules kVariants[] = {{}, {true, false, false}, {true, true, true}};

// A fresh deal on the ordered deck (card id = (suit - 1) * 9 + dignity - 5), the lowest trump leading.
TPosition Deal(int Players, TRandom &Rng) {
    std::vector<int> cards(kDeckSize);
    for (int i = 0; i < kDeckSize; ++i)
        cards[i] = i;
    Rng.Shuffle(cards);
    TPosition p;
    p.Hands.resize(Players);
    for (int i = 0; i < Players * kHandSize; ++i)
        p.Hands[i % Players].push_back(cards[i]);
    p.Stock.assign(cards.begin() + Players * kHandSize, cards.end());
    p.TrumpCard = p.Stock.back();
    p.TrumpSuit = OrderedDeck()[p.TrumpCard].Suit;
    p.Attacker = p.Active = Rng.Below(Players);
    p.Defender = (p.Attacker + 1) % Players;
    p.Cap = kHandSize;
    p.Bout = 0;
    return p;
}

// One move of the player to move, by Brain on that player's view.
TRefusal Step(TDurakGame &Game, IBotBrain &Brain, TRandom &Rng) {
    const TBotView view = TBotView::Of(Game, Game.Active());
    const TRefusal refusal = THardBrain::Play(Game, view, Brain.Choose(view, Rng));
    Game.TakeEvents();
    return refusal;
}

// The same position with the cards the player to move cannot see (other hands, the stock but for the
// trump card under it) dealt anew among their places.
TPosition HiddenShuffled(TPosition P, int Me, TRandom &Rng) {
    std::vector<int> hidden;
    const bool trumpInStock = !P.Stock.empty() && P.Stock.back() == P.TrumpCard;
    const size_t stock = P.Stock.size() - (trumpInStock ? 1 : 0);
    for (int q = 0; q < static_cast<int>(P.Hands.size()); ++q)
        if (q != Me)
            hidden.insert(hidden.end(), P.Hands[q].begin(), P.Hands[q].end());
    hidden.insert(hidden.end(), P.Stock.begin(), P.Stock.begin() + stock);
    Rng.Shuffle(hidden);
    size_t next = 0;
    for (int q = 0; q < static_cast<int>(P.Hands.size()); ++q)
        if (q != Me)
            for (int &card : P.Hands[q])
                card = hidden[next++];
    for (size_t i = 0; i < stock; ++i)
        P.Stock[i] = hidden[next++];
    return P;
}

// Whether Me wins whatever the others do, on the full cards (small endgames only).
bool ForcedWin(const TDurakGame &Game, int Me) {
    if (Game.Phase() == TPhase::Over)
        return Game.Result(Me) == kWon;
    const TBotView view = TBotView::Of(Game, Game.Active());
    const bool mine = view.Me == Me;
    for (const TBotAction &a : view.LegalActions()) {
        TDurakGame next = Game;
        THardBrain::Play(next, view, a);
        if (ForcedWin(next, Me) == mine)
            return mine;
    }
    return !mine;
}

std::unique_ptr<IBotBrain> Brain(TBotLevel Level) {
    if (Level == TBotLevel::Hard)
        return std::make_unique<THardBrain>(TSearchBudget{200, 0});
    return MakeBrain(Level);
}

// The cards a brain cannot see do not change its choice: the same position with the other hands and
// the stock dealt anew gives every brain the same move on the same seed.
TEST(Brains, ChooseOnTheirSeatsViewOnly) {
    std::vector<TBotLevel> levels;
    for (int row = 0; row < static_cast<int>(BotLevels().size()); ++row)
        levels.push_back(BotLevelAt(row));
    int compared = 0;
    for (const TTableRules &rules : kVariants) {
        for (int players = 2; players <= 4; ++players) {
            TRandom rng(100 + players);
            TDurakGame game(rules, OrderedDeck(), Deal(players, rng));
            TEasyBrain mover;
            for (int move = 0; move < 40 && game.Phase() != TPhase::Over; ++move) {
                const int me = game.Active();
                const TDurakGame other(rules, OrderedDeck(), HiddenShuffled(game.Position(), me, rng));
                if (move % 7 == 0 && other.Position() != game.Position()) {
                    const TBotView seen = TBotView::Of(game, me), reshuffled = TBotView::Of(other, me);
                    for (TBotLevel level : levels) {
                        SCOPED_TRACE(BotLevelName(level).toStdString() + " move " + std::to_string(move));
                        TRandom a(9), b(9);
                        EXPECT_EQ(Brain(level)->Choose(seen, a), Brain(level)->Choose(reshuffled, b));
                        ++compared;
                    }
                }
                ASSERT_EQ(Step(game, mover, rng), TRefusal::None);
            }
        }
    }
    EXPECT_GT(compared, 30);
}

// Seats of bots at one table in this process: each bot keeps its view from the messages it receives,
// as a bot at a real table does.
class TBotSeats : public ITableHost {
public:
    TBotSeats(TClock &Clock, int Players, const TTableRules &Rules) {
        for (int p = 0; p < Players; ++p) {
            Bots.push_back(
                std::make_unique<TBot>(Clock, 40 + p, TBotLevel::Easy, 1, 1, 0, QString("bot%1").arg(p)));
            Bots.back()->SetRules(Rules);
        }
    }
    void Send(TConnId Conn, const msg::TServerMessage &Message) override { Bots[Conn]->Handle(Message); }
    QString NameOf(TConnId Conn) const override { return Bots[Conn]->Name(); }
    bool IsBot(TConnId) const override { return true; }
    void LeftTable(TConnId) override {}
    void GameOver(const TGameRecord &) override { ++Games; }
    TRandom &Rng() override { return FRng; }
    void Refused(TConnId, const char *Why) override { ADD_FAILURE() << Why; }
    void TellHost(TConnId, const QString &) override {}

    std::vector<std::unique_ptr<TBot>> Bots;
    int Games = 0;

private:
    TRandom FRng{11};
};

// Whether the engine takes the move; at a table a card's id in the messages is its id in the game.
bool Accepts(TDurakGame Game, int Player, const TBotAction &A) {
    switch (A.Kind) {
    case TBotAction::Go:
        return Game.Go(Player, A.Card) == TRefusal::None;
    case TBotAction::Cover:
        return Game.Cover(Player, A.Card, A.Place) == TRefusal::None;
    case TBotAction::Transfer:
        return Game.Transfer(Player, A.Card) == TRefusal::None;
    case TBotAction::Take:
        return Game.Take(Player) == TRefusal::None;
    case TBotAction::Bito:
        return Game.Bito(Player) == TRefusal::None;
    }
    return false;
}

TBotTurn TurnOf(TPhase Phase) {
    switch (Phase) {
    case TPhase::Lead:
        return TBotTurn::Lead;
    case TPhase::Defend:
        return TBotTurn::Defend;
    case TPhase::ThrowIn:
    case TPhase::Taking:
        return TBotTurn::Throw;
    case TPhase::Over:
        break;
    }
    return TBotTurn::None;
}

// A seat's view, built from the messages the seat received, allows exactly the moves the rules engine
// accepts, in every phase of whole games at a table, and knows when its turn has come.
TEST(Brains, TheViewAllowsWhatTheRulesAccept) {
    int checked = 0;
    for (const TTableRules &rules : kVariants) {
        for (int players = 2; players <= 4; ++players) {
            SCOPED_TRACE(std::to_string(players) + " players");
            TJumpClock clock;
            TBotSeats seats(clock, players, rules);
            TTable table(1, rules, true, 30, 1, seats, clock);
            for (int p = 0; p < players; ++p) {
                seats.Bots[p]->OnRequestMessage = [&table, p](const msg::TClientMessage &M) {
                    if (const auto *ready = std::get_if<msg::TReadyRequest>(&M))
                        table.SetReady(p, ready->Ready);
                    else
                        table.Request(p, M);
                };
                ASSERT_TRUE(table.Seat(p));
            }
            int lastActive = -1;
            std::uint64_t lastVersion = 0;
            auto check = [&] {
                const TDurakGame *game = table.Game();
                if (!game || game->Phase() == TPhase::Over || game->Active() < 0)
                    return;
                const TBotView &view = seats.Bots[game->Active()]->View();
                if (game->Active() == lastActive && view.Version == lastVersion)
                    return;
                lastActive = game->Active();
                lastVersion = view.Version;
                ASSERT_EQ(view.Me, game->Active());
                ASSERT_EQ(view.Turn, TurnOf(game->Phase()));
                for (const msg::TCard &c : view.Hand) {
                    for (int kind = TBotAction::Go; kind <= TBotAction::Bito; ++kind) {
                        for (int place = -1; place <= static_cast<int>(view.Table.size()); ++place) {
                            const TBotAction a{static_cast<TBotAction::TKind>(kind), c.ID, place};
                            const bool cardless = kind == TBotAction::Take || kind == TBotAction::Bito;
                            if ((kind == TBotAction::Cover) != (place >= 0) ||
                                (cardless && c.ID != view.Hand[0].ID))
                                continue;
                            const TBotAction move = cardless ? TBotAction{a.Kind} : a;
                            EXPECT_EQ(view.IsLegal(move), Accepts(*game, view.Me, move))
                                << kind << " " << c.Suit << "/" << c.Dignity << " at " << place;
                            ++checked;
                        }
                    }
                }
            };
            EXPECT_TRUE(clock.RunUntil([&] {
                check();
                return seats.Games >= 3 || ::testing::Test::HasFatalFailure();
            }));
        }
    }
    EXPECT_GT(checked, 1000);
}

// A game goes on from any position it was in, on the same rules: the copy is the same position, every
// move of the copy is legal, all 36 cards are somewhere at every step, and the end has one fool or a
// draw among the last.
TEST(Position, AGameGoesOnFromAnyPositionToALegalEnd) {
    for (const TTableRules &rules : kVariants) {
        for (int players = 2; players <= 4; ++players) {
            for (int cut : {0, 9, 25}) {
                SCOPED_TRACE(std::to_string(players) + " players, from move " + std::to_string(cut));
                TRandom rng(players * 31 + cut);
                TDurakGame original(rules, OrderedDeck(), Deal(players, rng));
                TEasyBrain brain;
                for (int move = 0; move < cut && original.Phase() != TPhase::Over; ++move)
                    ASSERT_EQ(Step(original, brain, rng), TRefusal::None);
                TDurakGame game(rules, OrderedDeck(), original.Position());
                EXPECT_EQ(game.Position(), original.Position());
                for (int move = 0; move < 3000 && game.Phase() != TPhase::Over; ++move) {
                    ASSERT_EQ(Step(game, brain, rng), TRefusal::None);
                    ASSERT_EQ(game.CardsAccounted(), kDeckSize);
                }
                ASSERT_EQ(game.Phase(), TPhase::Over);
                int lost = 0, draws = 0;
                for (int p = 0; p < players; ++p) {
                    lost += game.Result(p) == kLost;
                    draws += game.Result(p) == kDraw;
                }
                EXPECT_TRUE((lost == 1 && draws == 0) || (lost == 0 && draws >= 2));
            }
        }
    }
}

// A deal of the hidden cards keeps all the seat knows: its hand, the table, the discard, the cards it
// saw another player take, the trump card under the stock, and every hand's size.
TEST(Position, ADealOfTheHiddenCardsAgreesWithTheView) {
    TRandom rng(5);
    TDurakGame game({}, OrderedDeck(), Deal(3, rng));
    TEasyBrain brain;
    for (int move = 0; move < 14; ++move)
        ASSERT_EQ(Step(game, brain, rng), TRefusal::None);
    TBotView view = TBotView::Of(game, game.Active());
    const int other = (view.Me + 1) % 3;
    ASSERT_FALSE(game.Hand(other).empty());
    const TFace taken = OrderedDeck()[game.Hand(other).front()];
    view.Known[other].push_back({-1, taken.Suit, taken.Dignity});
    for (int i = 0; i < 50; ++i) {
        const TPosition deal = THardBrain::Sample(view, rng);
        TDurakGame sampled({}, THardBrain::Deck(), deal);
        ASSERT_EQ(sampled.CardsAccounted(), kDeckSize);
        EXPECT_EQ(sampled.Hand(view.Me), game.Hand(view.Me));
        EXPECT_EQ(sampled.Table(), game.Table());
        EXPECT_EQ(sampled.Discarded(), game.Discarded());
        EXPECT_EQ(sampled.StockCount(), game.StockCount());
        EXPECT_EQ(deal.Stock.back(), game.TrumpCard());
        const auto &hand = sampled.Hand(other);
        EXPECT_NE(std::find(hand.begin(), hand.end(), Id(Name(taken))), hand.end());
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(sampled.Hand(p).size(), game.Hand(p).size());
    }
}

// Endgames with the stock gone where the usual rule of thumb (lead what cannot be beaten, else the
// lowest) loses and the right first card wins whatever the other does; spades are trumps, the first
// hand leads.
TEST(HardBrain, FindsTheWinsTheNormalBrainMisses) {
    struct Case {
        bool transfer;
        std::vector<std::string> me, other;
    };
    const Case cases[] = {
        {true, {"9S", "AC", "KD"}, {"9H", "KS"}},        {false, {"10D", "KS", "QD"}, {"6S", "7D", "8S"}},
        {true, {"9H", "JD", "AH"}, {"8D", "JH", "6C"}},  {true, {"7C", "10S", "8D"}, {"7D", "JC", "QD"}},
        {true, {"KS", "JS", "10D"}, {"JD", "6H"}},       {true, {"8D", "AH", "QH"}, {"8H"}},
        {false, {"AS", "8S", "7S"}, {"QS", "KS", "JD"}}, {true, {"QD", "10H"}, {"JH", "10S", "7C"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.me.front() + " " + c.me.back());
        TPosition p;
        p.Hands = {Ids(c.me), Ids(c.other)};
        p.TrumpSuit = 4;
        p.Attacker = p.Active = 0;
        p.Defender = 1;
        p.Cap = static_cast<int>(c.other.size());
        const TDurakGame game({c.transfer, false, false}, OrderedDeck(), p);
        ASSERT_TRUE(ForcedWin(game, 0));
        const TBotView view = TBotView::Of(game, 0);
        TDurakGame usual = game;
        THardBrain::Play(usual, view, TNormalBrain::Decide(view));
        EXPECT_FALSE(ForcedWin(usual, 0));
        TRandom rng(3);
        TDurakGame searched = game;
        THardBrain::Play(searched, view, THardBrain({600, 0}).Choose(view, rng));
        EXPECT_TRUE(ForcedWin(searched, 0));
    }
}

// Whole games through the server with a hard bot: no request refused, and the same seed plays the
// same games.
TEST(HardBrain, SeededMatchesThroughTheServerAreReproducible) {
    auto play = [](int Players, std::uint64_t Seed) {
        TJumpClock clock;
        TServerOptions options;
        options.LobbyBotTables = 0;
        options.BotThinkMinMs = 0;
        options.BotThinkMaxMs = 20;
        options.MakeBrain = [](TBotLevel Level) { return Brain(Level); };
        TGameServer server(clock, Seed, options);
        std::vector<TGameRecord> games;
        server.OnGameOver = [&](const TGameRecord &r) { games.push_back(r); };
        std::vector<TBotLevel> seats(Players, TBotLevel::Normal);
        seats[Players - 1] = TBotLevel::Hard;
        server.OpenBotTable({Players % 2 == 0, false, Players == 3}, seats);
        EXPECT_TRUE(clock.RunUntil([&] { return games.size() >= 3; }));
        EXPECT_EQ(server.RefusedRequests(), 0);
        return games;
    };
    for (int players = 2; players <= 4; ++players) {
        const auto first = play(players, 77), second = play(players, 77);
        ASSERT_EQ(first.size(), second.size());
        for (size_t g = 0; g < first.size(); ++g) {
            EXPECT_EQ(first[g].Results, second[g].Results);
            EXPECT_EQ(first[g].Bouts, second[g].Bouts);
        }
    }
}

TEST(Brains, LevelsByName) {
    for (int row = 0; row < static_cast<int>(BotLevels().size()); ++row)
        EXPECT_EQ(BotLevelFromName(BotLevelName(BotLevelAt(row)).toUpper()), BotLevelAt(row));
    EXPECT_FALSE(BotLevelFromName(QStringLiteral("expert")));
    EXPECT_FALSE(BotLevelFromName(QString()));
}

} // namespace
