// Seeded matches between bot brains through the real server: every game is played by bot seats reading
// the server's messages. Prints win and loss rates with 95 % confidence intervals beside the goals,
// and the hard brain's decision times.
//
//   match_bots [--games N] [--seed S] [--playouts P] [--time-ms T] [--part two|four|easy|all]
//
// N games per pairing and variant, spread evenly over every seat order. T 0 (the default) leaves the
// hard brain only its playout budget, so a seed fixes every game.
#include "common/Clock.h"
#include "server/BotBrain.h"
#include "server/GameServer.h"
#include "server/HardBrain.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::server;

namespace {

class TJumpClock : public TManualClock {
public:
    bool Step() {
        const int64_t due = NextDue();
        if (due < 0)
            return false;
        Advance(due > Now() ? due - Now() : 0);
        return true;
    }
};

// Times every decision of the brain inside that had a choice to make.
class TTimedBrain : public IBotBrain {
public:
    TTimedBrain(std::unique_ptr<IBotBrain> Inner, std::vector<double> &Times)
        : FInner(std::move(Inner)), FTimes(Times) {}
    TBotAction Choose(const TBotView &View, TRandom &Rng) override {
        const auto start = std::chrono::steady_clock::now();
        const TBotAction action = FInner->Choose(View, Rng);
        if (View.LegalActions().size() > 1)
            FTimes.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        return action;
    }

private:
    std::unique_ptr<IBotBrain> FInner;
    std::vector<double> &FTimes;
};

struct TConfig {
    int Games = 200;
    std::uint64_t Seed = 1;
    TSearchBudget Budget{TSearchBudget{}.Playouts, 0};
    std::string Part = "all";
};

struct TTally {
    int Games = 0, Won = 0, Lost = 0, Draws = 0, Refused = 0;
};

// Wilson's score interval for a proportion, 95 %.
std::pair<double, double> Interval(int Hits, int Total) {
    if (Total == 0)
        return {0, 1};
    const double z = 1.96, n = Total, p = Hits / n;
    const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
    const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

std::string Rate(int Hits, int Total) {
    const auto [low, high] = Interval(Hits, Total);
    char text[96];
    std::snprintf(text, sizeof text, "%5d of %5d = %5.1f %% (95 %% CI %.1f-%.1f)", Hits, Total,
                  Total ? 100.0 * Hits / Total : 0.0, 100 * low, 100 * high);
    return text;
}

// The seat of Subject is Seat; every other seat holds Other. Games at one table, one after another.
TTally Play(const TConfig &Config, const TTableRules &Rules, int Players, int Seat, TBotLevel Subject,
            TBotLevel Other, int Games, std::uint64_t Seed, std::vector<double> &Times) {
    TJumpClock clock;
    TServerOptions options;
    options.LobbyBotTables = 0;
    options.BotThinkMinMs = 1;
    options.BotThinkMaxMs = 30;
    options.MakeBrain = [&](TBotLevel Level) -> std::unique_ptr<IBotBrain> {
        if (Level == TBotLevel::Hard)
            return std::make_unique<TTimedBrain>(std::make_unique<THardBrain>(Config.Budget), Times);
        return MakeBrain(Level);
    };
    TGameServer server(clock, Seed, options);
    TTally tally;
    server.OnGameOver = [&](const TGameRecord &r) {
        ++tally.Games;
        const int result = r.Results[Seat];
        tally.Won += result == 1;
        tally.Lost += result == 0;
        tally.Draws += result == 2;
    };
    std::vector<TBotLevel> seats(Players, Other);
    seats[Seat] = Subject;
    server.OpenBotTable(Rules, seats);
    while (tally.Games < Games && clock.Step()) {
    }
    tally.Refused = server.RefusedRequests();
    return tally;
}

TTally Series(const TConfig &Config, const TTableRules &Rules, int Players, TBotLevel Subject,
              TBotLevel Other, std::vector<double> &Times) {
    TTally all;
    for (int seat = 0; seat < Players; ++seat) {
        const int games = Config.Games / Players + (seat < Config.Games % Players ? 1 : 0);
        const TTally t = Play(Config, Rules, Players, seat, Subject, Other, games,
                              Config.Seed * 1000 + Players * 10 + seat + (Rules.Transfer ? 500 : 0), Times);
        all.Games += t.Games;
        all.Won += t.Won;
        all.Lost += t.Lost;
        all.Draws += t.Draws;
        all.Refused += t.Refused;
    }
    return all;
}

const char *VariantName(const TTableRules &Rules) {
    return Rules.Transfer ? "transfer" : "throw-in";
}

double Percentile(std::vector<double> Times, double Fraction) {
    if (Times.empty())
        return 0;
    std::sort(Times.begin(), Times.end());
    return Times[std::min(Times.size() - 1, static_cast<size_t>(Fraction * Times.size()))];
}

} // namespace

int main(int argc, char **argv) {
    TConfig config;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char *value = argv[i + 1];
        if (key == "--games")
            config.Games = std::max(1, std::atoi(value));
        else if (key == "--seed")
            config.Seed = std::strtoull(value, nullptr, 10);
        else if (key == "--playouts")
            config.Budget.Playouts = std::max(1, std::atoi(value));
        else if (key == "--time-ms")
            config.Budget.TimeMs = std::max(0, std::atoi(value));
        else if (key == "--part")
            config.Part = value;
        else {
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
            return 2;
        }
    }
    std::printf("%d games per line, seed %llu, hard budget %d playouts, %d ms\n", config.Games,
                static_cast<unsigned long long>(config.Seed), config.Budget.Playouts, config.Budget.TimeMs);
    const TTableRules variants[] = {{}, {true, false, false}};
    std::vector<double> times;
    int refused = 0;
    const bool all = config.Part == "all";
    for (const TTableRules &rules : variants) {
        if (all || config.Part == "two") {
            const TTally t = Series(config, rules, 2, TBotLevel::Hard, TBotLevel::Normal, times);
            refused += t.Refused;
            std::printf(
                "hard vs normal, 2 players, %-8s: hard won  %s, draws %d   goal >= 65 %%, CI low > 60 %%\n",
                VariantName(rules), Rate(t.Won, t.Games).c_str(), t.Draws);
            std::fflush(stdout);
        }
        if (all || config.Part == "four") {
            const TTally t = Series(config, rules, 4, TBotLevel::Hard, TBotLevel::Normal, times);
            refused += t.Refused;
            std::printf("hard + 3 normal, 4 players, %-8s: hard lost %s   goal <= 15 %% (fair 25 %%)\n",
                        VariantName(rules), Rate(t.Lost, t.Games).c_str());
            std::fflush(stdout);
        }
        if (all || config.Part == "easy") {
            const TTally hard = Series(config, rules, 2, TBotLevel::Hard, TBotLevel::Easy, times);
            const TTally normal = Series(config, rules, 2, TBotLevel::Normal, TBotLevel::Easy, times);
            refused += hard.Refused + normal.Refused;
            std::printf("vs easy, 2 players, %-8s: hard lost %s; normal lost %s   goal: hard <= normal\n",
                        VariantName(rules), Rate(hard.Lost, hard.Games).c_str(),
                        Rate(normal.Lost, normal.Games).c_str());
            std::fflush(stdout);
        }
    }
    std::printf("hard decisions with a choice: %zu, median %.2f ms, p99 %.2f ms\n", times.size(),
                Percentile(times, 0.5), Percentile(times, 0.99));
    std::printf("requests the server refused: %d   goal 0\n", refused);
    return 0;
}
