// Seeded matches between bot brains through the real server: every game is played by bot seats reading
// the server's messages. Prints win and loss rates with 95 % confidence intervals beside the goals,
// and the hard brain's decision times.
//
//   match_bots [--games N] [--seed S] [--playouts P] [--time-ms T] [--part two|four|easy|all] [--every K]
//
// N games per pairing and variant, at one table per seat order, all tables playing side by side; the
// figures so far are printed every K games. T 0 (the default) leaves the
// hard brain only its playout budget, so a seed fixes every game.
#include "JumpClock.h"
#include "common/Clock.h"
#include "server/BotBrain.h"
#include "server/GameServer.h"
#include "server/HardBrain.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::server;
using trelvo::server::bench::TJumpClock;

namespace {

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct TTimes {
    std::vector<double> Wall, Cpu; // ms
};

// Times every decision of the brain inside that had a choice to make: on the wall clock, and in the
// CPU time of this one thread (what it costs on a core of its own when the machine is busy).
class TTimedBrain : public IBotBrain {
public:
    TTimedBrain(std::unique_ptr<IBotBrain> Inner, TTimes &Times) : FInner(std::move(Inner)), FTimes(Times) {}
    TBotAction Choose(const TBotView &View, TRandom &Rng) override {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = ThreadCpuMs();
        const TBotAction action = FInner->Choose(View, Rng);
        if (View.LegalActions().size() > 1) {
            FTimes.Cpu.push_back(ThreadCpuMs() - cpu);
            FTimes.Wall.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        return action;
    }

private:
    std::unique_ptr<IBotBrain> FInner;
    TTimes &FTimes;
};

struct TConfig {
    int Games = 200;
    std::uint64_t Seed = 1;
    TSearchBudget Budget{TSearchBudget{}.Playouts, 0};
    std::string Part = "all";
    int Every = 50; // games between progress reports
};

struct TTally {
    int Games = 0, Won = 0, Lost = 0, Draws = 0;
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

const char *VariantName(const TTableRules &Rules) {
    return Rules.Transfer ? "transfer" : "throw-in";
}

// One line of figures: Subject against Others at tables of Players, one table per seat of Subject.
struct TLine {
    TTableRules Rules;
    int Players;
    TBotLevel Subject, Other;
    TTally Tally;

    std::string Text() const {
        const std::string what = BotLevelName(Subject).toStdString() + " vs " +
                                 BotLevelName(Other).toStdString() + ", " + std::to_string(Players) +
                                 " players, " + VariantName(Rules);
        char text[256];
        if (Players == 2 && Other == TBotLevel::Normal)
            std::snprintf(text, sizeof text, "%-36s: won  %s, draws %d   goal >= 65 %%, CI low > 60 %%",
                          what.c_str(), Rate(Tally.Won, Tally.Games).c_str(), Tally.Draws);
        else if (Players == 2)
            std::snprintf(text, sizeof text, "%-36s: lost %s   goal: hard loses no more than normal",
                          what.c_str(), Rate(Tally.Lost, Tally.Games).c_str());
        else
            std::snprintf(text, sizeof text, "%-36s: lost %s   goal <= 15 %% (fair %d %%)", what.c_str(),
                          Rate(Tally.Lost, Tally.Games).c_str(), 100 / Players);
        return text;
    }
};

double Percentile(std::vector<double> Times, double Fraction) {
    if (Times.empty())
        return 0;
    std::sort(Times.begin(), Times.end());
    return Times[std::min(Times.size() - 1, static_cast<size_t>(Fraction * Times.size()))];
}

// Every line's tables play side by side on one server, so the figures printed along the way are of
// every line and seat order alike.
void Run(const TConfig &Config, std::vector<TLine> &Lines, TTimes &Times) {
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
    TGameServer server(clock, Config.Seed, options);
    struct TSeatOf {
        size_t Line;
        int Seat;
    };
    std::map<int, TSeatOf> tables;
    for (size_t l = 0; l < Lines.size(); ++l)
        for (int seat = 0; seat < Lines[l].Players; ++seat) {
            std::vector<TBotLevel> seats(Lines[l].Players, Lines[l].Other);
            seats[seat] = Lines[l].Subject;
            tables[server.OpenBotTable(Lines[l].Rules, seats)] = {l, seat};
        }
    int played = 0;
    server.OnGameOver = [&](const TGameRecord &r) {
        const TSeatOf where = tables.at(r.TableID);
        TTally &t = Lines[where.Line].Tally;
        if (t.Games >= Config.Games)
            return;
        const int result = r.Results[where.Seat];
        ++t.Games;
        t.Won += result == 1;
        t.Lost += result == 0;
        t.Draws += result == 2;
        if (++played % Config.Every == 0) {
            std::printf("after %d games:\n", played);
            for (const TLine &line : Lines)
                std::printf("  %s\n", line.Text().c_str());
            std::fflush(stdout);
        }
    };
    auto done = [&] {
        return std::all_of(Lines.begin(), Lines.end(),
                           [&](const TLine &l) { return l.Tally.Games >= Config.Games; });
    };
    while (!done() && clock.Step()) {
    }
    std::printf("requests the server refused: %d   goal 0\n", server.RefusedRequests());
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
        else if (key == "--every")
            config.Every = std::max(1, std::atoi(value));
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
    std::vector<TLine> lines;
    const bool all = config.Part == "all";
    for (const TTableRules &rules : variants) {
        if (all || config.Part == "two")
            lines.push_back({rules, 2, TBotLevel::Hard, TBotLevel::Normal, {}});
        if (all || config.Part == "four")
            lines.push_back({rules, 4, TBotLevel::Hard, TBotLevel::Normal, {}});
        if (all || config.Part == "easy") {
            lines.push_back({rules, 2, TBotLevel::Hard, TBotLevel::Easy, {}});
            lines.push_back({rules, 2, TBotLevel::Normal, TBotLevel::Easy, {}});
        }
    }
    TTimes times;
    Run(config, lines, times);
    for (const TLine &line : lines)
        std::printf("%s\n", line.Text().c_str());
    std::printf(
        "hard decisions with a choice: %zu; CPU time median %.2f ms, p99 %.2f ms (goal p99 <= 150 ms); "
        "wall clock median %.2f ms, p99 %.2f ms\n",
        times.Cpu.size(), Percentile(times.Cpu, 0.5), Percentile(times.Cpu, 0.99),
        Percentile(times.Wall, 0.5), Percentile(times.Wall, 0.99));
    return 0;
}
