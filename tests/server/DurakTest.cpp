#include "ServerTestSupport.h"

#include "server/Durak.h"
#include "server/Random.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace trelvo::server;
using namespace trelvo::server::test;

namespace {

const char *PhaseName(TPhase P) {
    switch (P) {
    case TPhase::Lead:
        return "Lead";
    case TPhase::Defend:
        return "Defend";
    case TPhase::ThrowIn:
        return "ThrowIn";
    case TPhase::Taking:
        return "Taking";
    case TPhase::Over:
        return "Over";
    }
    return "?";
}

// The position in one line: phase, attacker, defender, whose move, the table, every hand.
std::string Summary(const TDurakGame &G) {
    std::string s = std::string(PhaseName(G.Phase()));
    if (G.Phase() == TPhase::Over) {
        s += " results";
        for (int p = 0; p < G.Players(); ++p)
            s += " " + std::to_string(G.Result(p));
        return s;
    }
    s += " A" + std::to_string(G.Attacker()) + " D" + std::to_string(G.Defender()) + " act" +
         std::to_string(G.Active()) + " [";
    for (size_t i = 0; i < G.Table().size(); ++i) {
        const TPair &pair = G.Table()[i];
        s += (i ? " " : "") + Name(G.Face(pair.Attack));
        if (pair.Cover >= 0)
            s += "/" + Name(G.Face(pair.Cover));
    }
    s += "]";
    for (int p = 0; p < G.Players(); ++p) {
        s += " " + std::to_string(p) + ":";
        for (int card : G.Hand(p))
            s += Name(G.Face(card)) + ",";
    }
    s += " stock" + std::to_string(G.StockCount());
    return s;
}

struct Move {
    int player;
    char kind; // g go, c cover, t transfer, k take, b bito, x time-out, r removed
    const char *card;
    int place;
    TRefusal expected;
};

TRefusal Apply(TDurakGame &G, const Move &M) {
    const int card = M.card ? Id(M.card) : -1;
    switch (M.kind) {
    case 'g':
        return G.Go(M.player, card);
    case 'c':
        return G.Cover(M.player, card, M.place);
    case 't':
        return G.Transfer(M.player, card);
    case 'k':
        return G.Take(M.player);
    case 'b':
        return G.Bito(M.player);
    case 'x':
        G.MoveFor(M.player);
        return TRefusal::None;
    case 'r':
        G.Remove(M.player);
        return TRefusal::None;
    }
    return TRefusal::Illegal;
}

constexpr TRefusal OK = TRefusal::None;
constexpr TRefusal TURN = TRefusal::NotYourTurn;
constexpr TRefusal CARD = TRefusal::NoSuchCard;
constexpr TRefusal RULE = TRefusal::Illegal;
constexpr int kHearts = 3;
constexpr int kSpades = 4;

struct RuleCase {
    const char *what;
    TTableRules rules;
    std::vector<std::vector<std::string>> hands;
    std::vector<std::string> stock;
    int trump;
    int attacker;
    bool firstBout;
    std::vector<Move> moves;
    const char *after;
};

const TTableRules kThrowIn{};
const TTableRules kTransfer{true, false, false};

const RuleCase kRuleCases[] = {
    {"a card is beaten by a higher one of its suit or by a trump; a trump only by a higher trump",
     kThrowIn,
     {{"6C", "10S", "8D", "7H"}, {"7D", "7C", "QS", "6S", "AS"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK},
      {1, 'c', "7D", 0, RULE},
      {1, 'c', "QS", 1, RULE},
      {1, 'c', "7C", 0, OK},
      {0, 'g', "10S", 0, RULE},
      {0, 'b', nullptr, 0, OK}},
     "Lead A1 D0 act1 [] 0:10S,8D,7H, 1:7D,QS,6S,AS, stock0"},
    {"a trump is covered only by a higher trump; the last cover ends the bout when nobody can throw",
     kThrowIn,
     {{"10S"}, {"7D", "AC", "6S", "AS"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "10S", 0, OK}, {1, 'c', "AC", 0, RULE}, {1, 'c', "6S", 0, RULE}, {1, 'c', "AS", 0, OK}},
     "Over results 1 0"},
    {"moves out of turn, cards not held and covers of places that are not open are refused",
     kThrowIn,
     {{"6C", "6D"}, {"7C", "7D"}, {"6H", "8H"}},
     {},
     kSpades,
     0,
     false,
     {{1, 'g', "7C", 0, TURN},
      {0, 'g', "7C", 0, CARD},
      {0, 'b', nullptr, 0, TURN},
      {0, 'k', nullptr, 0, TURN},
      {0, 'g', "6C", 0, OK},
      {2, 'g', "6H", 0, TURN},
      {0, 'g', "6D", 0, TURN},
      {1, 'c', "7C", 1, RULE},
      {1, 'c', "7C", 0, OK},
      {1, 'c', "7D", 0, TURN},
      {2, 'g', "6H", 0, TURN}},
     "ThrowIn A0 D1 act0 [6C/7C] 0:6D, 1:7D, 2:6H,8H, stock0"},
    {"throw-ins: the main attacker first, then the others clockwise; a rank not on the table is refused",
     kThrowIn,
     {{"6C", "9D", "7D"}, {"7C", "8C", "AS"}, {"6H", "7H"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK},
      {1, 'c', "7C", 0, OK},
      {0, 'g', "9D", 0, RULE},
      {0, 'b', nullptr, 0, OK},
      {2, 'g', "7H", 0, OK},
      {1, 'c', "8C", 1, RULE},
      {1, 'c', "AS", 1, OK},
      {0, 'b', nullptr, 0, OK},
      {2, 'g', "6H", 0, OK}},
     "Defend A0 D1 act1 [6C/7C 7H/AS 6H] 0:9D,7D, 1:8C, 2: stock0"},
    {"never more attack cards than the defender held when the bout began: the bout ends there",
     kThrowIn,
     {{"6C", "6D", "6H"}, {"KC", "KD"}, {"9H"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'k', nullptr, 0, OK}, {0, 'g', "6D", 0, OK}, {0, 'g', "6H", 0, TURN}},
     "Lead A2 D0 act2 [] 0:6H, 1:KC,KD,6C,6D, 2:9H, stock0"},
    {"at most six attack cards, even against a bigger hand",
     kThrowIn,
     {{"6C", "6D", "6H", "6S", "8D", "8H", "8S"}, {"8C", "KC", "KD", "KH", "QC", "QD", "QH", "9S"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK},
      {1, 'c', "8C", 0, OK},
      {0, 'g', "6D", 0, OK},
      {1, 'k', nullptr, 0, OK},
      {0, 'g', "6H", 0, OK},
      {0, 'g', "6S", 0, OK},
      {0, 'g', "8D", 0, OK},
      {0, 'g', "8H", 0, OK}},
     "Lead A0 D1 act0 [] 0:8S, 1:KC,KD,KH,QC,QD,QH,9S,6C,8C,6D,6H,6S,8D,8H, stock0"},
    {"the table's five-card first bout ends at the fifth card",
     {false, false, true},
     {{"6C", "6D", "6H", "6S", "7D", "7H"}, {"7C", "8C", "9C", "10C", "JC", "QC"}},
     {},
     kSpades,
     0,
     true,
     {{0, 'g', "6C", 0, OK},
      {1, 'c', "7C", 0, OK},
      {0, 'g', "6D", 0, OK},
      {1, 'k', nullptr, 0, OK},
      {0, 'g', "6H", 0, OK},
      {0, 'g', "7D", 0, OK},
      {0, 'g', "7H", 0, OK}},
     "Lead A0 D1 act0 [] 0:6S, 1:8C,9C,10C,JC,QC,6C,7C,6D,6H,7D,7H, stock0"},
    {"a transfer passes the attack on; the transferrer becomes the attacker",
     kTransfer,
     {{"6C", "9D"}, {"6D", "8S"}, {"6H", "7H", "8H"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 't', "8S", 0, RULE}, {1, 't', "6D", 0, OK}, {1, 'c', "8S", 0, TURN}},
     "Defend A1 D2 act2 [6C 6D] 0:9D, 1:8S, 2:6H,7H,8H, stock0"},
    {"no transfer to a player holding fewer cards than would lie on the table",
     kTransfer,
     {{"6C", "9D"}, {"6D", "8S"}, {"6H"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 't', "6D", 0, RULE}},
     "Defend A0 D1 act1 [6C] 0:9D, 1:6D,8S, 2:6H, stock0"},
    {"no transfer once a card is covered",
     kTransfer,
     {{"6C", "6S"}, {"6D", "7C", "8S"}, {"6H", "7H", "8H"}},
     {},
     kHearts,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'c', "7C", 0, OK}, {0, 'g', "6S", 0, OK}, {1, 't', "6D", 0, RULE}},
     "Defend A0 D1 act1 [6C/7C 6S] 0: 1:6D,8S, 2:6H,7H,8H, stock0"},
    {"no transfer at a throw-in table",
     kThrowIn,
     {{"6C", "9D"}, {"6D", "8S"}, {"6H", "7H", "8H"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 't', "6D", 0, RULE}},
     "Defend A0 D1 act1 [6C] 0:9D, 1:6D,8S, 2:6H,7H,8H, stock0"},
    {"the first bout is not transferred when the table says so",
     {true, true, false},
     {{"6C", "9D"}, {"6D", "8S"}, {"6H", "7H", "8H"}},
     {},
     kSpades,
     0,
     true,
     {{0, 'g', "6C", 0, OK}, {1, 't', "6D", 0, RULE}},
     "Defend A0 D1 act1 [6C] 0:9D, 1:6D,8S, 2:6H,7H,8H, stock0"},
    {"with two players the transfer goes back to the attacker",
     kTransfer,
     {{"6C", "9D", "10D"}, {"6D", "8S", "9S"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 't', "6D", 0, OK}},
     "Defend A1 D0 act0 [6C 6D] 0:9D,10D, 1:8S,9S, stock0"},
    {"throw-ins continue while the defender takes; the taker's left attacks next",
     kThrowIn,
     {{"6C", "6D", "6H", "10S"}, {"7H", "8H", "10H"}, {"6S", "9C"}},
     {},
     kHearts,
     0,
     false,
     {{0, 'g', "6C", 0, OK},
      {1, 'k', nullptr, 0, OK},
      {0, 'g', "6D", 0, OK},
      {0, 'b', nullptr, 0, OK},
      {2, 'g', "9C", 0, RULE},
      {2, 'g', "6S", 0, OK}},
     "Lead A2 D0 act2 [] 0:6H,10S, 1:7H,8H,10H,6C,6D,6S, 2:9C, stock0"},
    {"refill: the main attacker first, then the others clockwise, the defender last; a discard makes the "
     "defender attack",
     kThrowIn,
     {{"6C", "6D", "6H", "6S", "7C"}, {"7D", "7H", "KC", "8C", "8D", "8H"}, {"9C", "9D", "9H", "9S", "10C"}},
     {"JC", "JD", "JH"},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'c', "KC", 0, OK}, {0, 'b', nullptr, 0, OK}},
     "Lead A1 D2 act1 [] 0:6D,6H,6S,7C,JC,JD, 1:7D,7H,8C,8D,8H, 2:9C,9D,9H,9S,10C,JH, stock0"},
    {"with the stock empty the player who runs out wins and the last one holding cards loses",
     kThrowIn,
     {{"6C"}, {"7C", "8C"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'c', "7C", 0, OK}},
     "Over results 1 0"},
    {"the last players running out together draw; an earlier winner stays a winner",
     kThrowIn,
     {{"6C"}, {"7C"}, {}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'c', "7C", 0, OK}},
     "Over results 2 2 1"},
    {"a player whose time runs out: the lowest plain card is led, the defender takes, a thrower passes",
     kThrowIn,
     {{"AS", "7D", "6S", "KC"}, {"8H", "9H"}, {"7C", "10C"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'x', nullptr, 0, OK}, {1, 'x', nullptr, 0, OK}, {0, 'x', nullptr, 0, OK}, {2, 'x', nullptr, 0, OK}},
     "Lead A2 D0 act2 [] 0:AS,6S,KC, 1:8H,9H,7D, 2:7C,10C, stock0"},
    {"a thrower without a card of a rank on the table is passed at once: the next one may throw in",
     kThrowIn,
     {{"6C", "9D"}, {"7C", "8C"}, {"6H", "7H"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'c', "7C", 0, OK}, {0, 'b', nullptr, 0, TURN}},
     "ThrowIn A0 D1 act2 [6C/7C] 0:9D, 1:8C, 2:6H,7H, stock0"},
    {"nobody has anything to add: the last cover ends the bout",
     kThrowIn,
     {{"6C", "9D"}, {"7C", "8C"}, {"10H", "JH"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'c', "7C", 0, OK}},
     "Lead A1 D2 act1 [] 0:9D, 1:8C, 2:10H,JH, stock0"},
    {"a take with nobody holding a rank on the table ends the bout at once",
     kThrowIn,
     {{"6C", "9D"}, {"7C", "8C"}, {"10H", "JH"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'k', nullptr, 0, OK}},
     "Lead A2 D0 act2 [] 0:9D, 1:7C,8C,6C, 2:10H,JH, stock0"},
    {"after a bito the throwers without a matching card are passed as well",
     kThrowIn,
     {{"6C", "6D", "9D"}, {"7C", "8C", "AS"}, {"10H", "JH"}, {"6H", "QD"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK},
      {1, 'c', "7C", 0, OK},
      {0, 'b', nullptr, 0, OK},
      {3, 'g', "6H", 0, OK},
      {1, 'c', "AS", 1, OK}},
     "ThrowIn A0 D1 act0 [6C/7C 6H/AS] 0:6D,9D, 1:8C, 2:10H,JH, 3:QD, stock0"},
    {"a thrower keeping the turn while the defender takes is passed once nothing more fits",
     kThrowIn,
     {{"6C", "6D", "9D"}, {"7C", "8C", "KC"}, {"6H", "JH"}},
     {},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'k', nullptr, 0, OK}, {0, 'g', "6D", 0, OK}, {0, 'b', nullptr, 0, TURN}},
     "Taking A0 D1 act2 [6C 6D] 0:9D, 1:7C,8C,KC, 2:6H,JH, stock0"},
    {"a removed player loses; with one player left that player wins",
     kThrowIn,
     {{"6C", "7C"}, {"8C", "9C"}},
     {"10C"},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'r', nullptr, 0, OK}},
     "Over results 1 0"},
    {"a removal abandons the bout and the player to the removed one's left leads",
     kThrowIn,
     {{"6C", "7C"}, {"8C", "9C"}, {"10C", "JC"}},
     {"QC"},
     kSpades,
     0,
     false,
     {{0, 'g', "6C", 0, OK}, {1, 'r', nullptr, 0, OK}},
     "Lead A2 D0 act2 [] 0:7C, 1: 2:10C,JC,QC, stock0"},
};

TEST(DurakRules, Cases) {
    for (const RuleCase &c : kRuleCases) {
        SCOPED_TRACE(c.what);
        TRandom rng(7);
        TDurakGame game(static_cast<int>(c.hands.size()), c.rules, OrderedDeck(), rng);
        std::vector<std::vector<int>> hands;
        for (const auto &hand : c.hands)
            hands.push_back(Ids(hand));
        game.Arrange(hands, Ids(c.stock), c.trump, c.attacker, c.firstBout);
        for (size_t i = 0; i < c.moves.size(); ++i) {
            const Move &m = c.moves[i];
            const std::string before = Summary(game);
            const TRefusal got = Apply(game, m);
            EXPECT_EQ(int(got), int(m.expected)) << "move " << i << " in " << before;
            if (got != TRefusal::None) {
                EXPECT_EQ(Summary(game), before) << "a refused move changed the game";
            }
            EXPECT_EQ(game.CardsAccounted(), kDeckSize);
        }
        EXPECT_EQ(Summary(game), c.after);
    }
}

// Seed 1 deals exactly this: the deal is ours, not the standard library's.
TEST(DurakRules, SeedOneDealsThisHand) {
    TRandom rng(1);
    TDurakGame game(2, kThrowIn, rng);
    std::string hands;
    for (int p = 0; p < 2; ++p) {
        for (int card : game.Hand(p))
            hands += Name(game.Face(card)) + " ";
        hands += "| ";
    }
    hands += "trump " + Name(game.Face(game.TrumpCard())) + " first " + std::to_string(game.FirstAttacker());
    EXPECT_EQ(hands, "JD 6C KH 8C 7S 8D | AC AD QS 9S 9C QH | trump JC first 0");
}

// Random legal play straight on the rules: every position keeps all 36 cards, every game ends, and
// the results say who is left holding cards.
TEST(DurakRules, RandomGamesKeepTheDeckAndEndRight) {
    const TTableRules variants[] = {{}, {false, false, true}, {true, false, false}, {true, true, true}};
    int games = 0;
    for (const TTableRules &rules : variants) {
        for (int players = 2; players <= 4; ++players) {
            for (std::uint64_t seed = 1; seed <= 10; ++seed) {
                TRandom rng(seed * 131 + players);
                TDurakGame game(players, rules, rng);
                int steps = 0;
                bool removal = false;
                while (game.Phase() != TPhase::Over && steps < 2000) {
                    ++steps;
                    const int p = game.Active();
                    ASSERT_GE(p, 0);
                    // Every move the rules might allow, tried on a copy; one legal move is made.
                    std::vector<std::function<TRefusal(TDurakGame &)>> moves;
                    const bool defending = game.Phase() == TPhase::Defend;
                    for (int card : game.Hand(p)) {
                        if (!defending) {
                            moves.push_back([p, card](TDurakGame &g) { return g.Go(p, card); });
                            continue;
                        }
                        moves.push_back([p, card](TDurakGame &g) { return g.Transfer(p, card); });
                        for (int place = 0; place < static_cast<int>(game.Table().size()); ++place)
                            if (game.Table()[place].Cover < 0)
                                moves.push_back(
                                    [p, card, place](TDurakGame &g) { return g.Cover(p, card, place); });
                    }
                    if (defending)
                        moves.push_back([p](TDurakGame &g) { return g.Take(p); });
                    else
                        moves.push_back([p](TDurakGame &g) { return g.Bito(p); });
                    std::vector<int> legal;
                    for (int i = 0; i < static_cast<int>(moves.size()); ++i) {
                        TDurakGame copy = game;
                        if (moves[i](copy) == TRefusal::None)
                            legal.push_back(i);
                    }
                    ASSERT_FALSE(legal.empty()) << Summary(game);
                    if (rng.Below(500) == 0) {
                        game.Remove(p);
                        removal = true;
                    } else {
                        ASSERT_EQ(int(moves[legal[rng.Below(static_cast<int>(legal.size()))]](game)), 0);
                    }
                    game.TakeEvents();
                    ASSERT_EQ(game.CardsAccounted(), kDeckSize) << Summary(game);
                }
                ASSERT_EQ(game.Phase(), TPhase::Over) << "seed " << seed;
                ++games;
                int lost = 0, draws = 0, holding = 0;
                for (int p = 0; p < players; ++p) {
                    const int r = game.Result(p);
                    ASSERT_TRUE(r == kLost || r == kWon || r == kDraw) << "seed " << seed;
                    lost += r == kLost;
                    draws += r == kDraw;
                    holding += game.Hand(p).empty() ? 0 : 1;
                }
                // One player holds cards at the end and lost (unless a removal decided the game); a
                // draw leaves nobody holding cards.
                ASSERT_GE(lost + draws, 1);
                if (game.Bouts() >= kMaxBouts)
                    continue;
                ASSERT_LE(holding, 1);
                if (draws > 0) {
                    ASSERT_EQ(holding, 0);
                }
                for (int p = 0; p < players && !removal; ++p) {
                    if (!game.Hand(p).empty()) {
                        ASSERT_EQ(game.Result(p), kLost);
                    }
                }
            }
        }
    }
    EXPECT_EQ(games, 4 * 3 * 10);
}

} // namespace
