// Bot-only games per second on one core: the bots read the messages as the tables make them.
#include "JumpClock.h"
#include "common/Clock.h"
#include "server/GameServer.h"

#include <benchmark/benchmark.h>

using namespace trelvo;
using namespace trelvo::server;
using trelvo::server::bench::TJumpClock;

namespace {

void BotGames(benchmark::State &State, TBotLevel Level, TTableRules Rules) {
    const int players = static_cast<int>(State.range(0));
    TJumpClock clock;
    TServerOptions options;
    options.LobbyBotTables = 0;
    // Bots that answer at once make a stale or illegal request most likely.
    options.BotThinkMinMs = 0;
    options.BotThinkMaxMs = 0;
    TGameServer server(clock, 42, options);
    int64_t games = 0;
    server.OnGameOver = [&](const TGameRecord &) { ++games; };
    server.OpenBotTable(Rules, std::vector<TBotLevel>(players, Level));
    for (auto _ : State) {
        const int64_t target = games + 1;
        while (games < target && clock.Step()) {
        }
    }
    State.counters["games/s"] = benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
    // Requests of the bots the server refused: the goal is none.
    State.counters["refused"] = server.RefusedRequests();
    State.SetLabel("goal: games/s >= 5000, refused 0");
}

void NormalThrowIn(benchmark::State &State) {
    BotGames(State, TBotLevel::Normal, {});
}
void NormalTransfer(benchmark::State &State) {
    BotGames(State, TBotLevel::Normal, {true, false, false});
}
void EasyThrowIn(benchmark::State &State) {
    BotGames(State, TBotLevel::Easy, {});
}

} // namespace

BENCHMARK(NormalThrowIn)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(NormalTransfer)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(EasyThrowIn)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
