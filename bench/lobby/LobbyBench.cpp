// The lobby with a big table list, as a game server on the network may send it: the time the UI
// thread spends applying a list of new, changed or unchanged tables, and the memory the lobby holds
// with it and after a one-row list has replaced it, each beside its goal.
//
//   bench_lobby [TABLES] [ROUNDS]      (defaults 10000 and 5; times are the best of ROUNDS)

#include "common/Clock.h"
#include "game/api/CardModel.h"
#include "kit/Form.h"
#include "lobby/WindowStart.h"

#include <QApplication>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace {

using namespace trelvo;

constexpr double kAppliedGoalMs = 100;
constexpr double kUnchangedGoalMs = 5;
constexpr double kMemoryGoalFactor = 2;

TArrTableInfo Tables(int count, int round) {
    TArrTableInfo tables;
    tables.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        tables.push_back(TTableInfo{i * 3 + 1, (i + round) % 5, i % 2 == 0, i % 3 == 0, i % 5 == 0});
    return tables;
}

double Ms(const std::function<void()> &work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Resident memory of the process and the heap in use, in MiB.
double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}
double HeapMiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

struct TLobby {
    TManualClock clock;
    TClockScope scope{clock};
    TForm form;
    TWindowStart *lobby;
    TLobby() {
        form.SetSize(800, 600);
        lobby = new TWindowStart(&form);
        lobby->SetParent(&form);
        lobby->Show();
        lobby->Repaint();
    }
    void Apply(const TArrTableInfo &tables) {
        lobby->UpdateTableList(tables, TStatTable{1, 1, 1, 1});
        // Fades of changed marks run out, as they would between two polls.
        clock.Advance(500);
    }
};

void Line(const char *what, double value, const char *unit, const char *goal, bool met) {
    std::printf("%-52s %10.2f %-4s goal %-22s %s\n", what, value, unit, goal, met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char **argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    double fresh = 1e18, unchanged = 1e18, changed = 1e18, reordered = 1e18, replaced = 1e18;
    double emptyRss = 0, emptyHeap = 0, fullRss = 0, fullHeap = 0, shrunkRss = 0, shrunkHeap = 0;
    for (int round = 0; round < rounds; ++round) {
        TLobby lobby;
        lobby.Apply({});
        malloc_trim(0);
        if (round == 0) {
            emptyRss = ResidentMiB();
            emptyHeap = HeapMiB();
        }
        const TArrTableInfo first = Tables(count, 0), second = Tables(count, 1);
        fresh = std::min(fresh, Ms([&] { lobby.lobby->UpdateTableList(first, {}); }));
        lobby.clock.Advance(500);
        unchanged = std::min(unchanged, Ms([&] { lobby.lobby->UpdateTableList(first, {}); }));
        changed = std::min(changed, Ms([&] { lobby.lobby->UpdateTableList(second, {}); }));
        lobby.clock.Advance(500);
        // Rows whose gaps were filled no longer stand in the server's order: the list is matched by ID.
        const TArrTableInfo backwards(first.rbegin(), first.rend());
        reordered = std::min(reordered, Ms([&] { lobby.lobby->UpdateTableList(backwards, {}); }));
        lobby.clock.Advance(500);
        if (round == 0) {
            fullRss = ResidentMiB();
            fullHeap = HeapMiB();
        }
        // Every table gone and as many new ones listed: all rows replaced.
        TArrTableInfo others = Tables(count, 2);
        for (TTableInfo &table : others)
            table.ID += 1;
        replaced = std::min(replaced, Ms([&] { lobby.lobby->UpdateTableList(others, {}); }));
        lobby.clock.Advance(500);
        lobby.Apply({TTableInfo{7, 1, false, false, false}});
        malloc_trim(0);
        if (round == 0) {
            shrunkRss = ResidentMiB();
            shrunkHeap = HeapMiB();
        }
    }

    std::printf("Lobby with %d tables, best of %d rounds\n", count, rounds);
    const std::string applyGoal = "<= " + std::to_string(static_cast<int>(kAppliedGoalMs)) + " ms";
    const std::string sameGoal = "<= " + std::to_string(static_cast<int>(kUnchangedGoalMs)) + " ms";
    Line("new tables applied to an empty lobby", fresh, "ms", applyGoal.c_str(), fresh <= kAppliedGoalMs);
    Line("the same list again (unchanged)", unchanged, "ms", sameGoal.c_str(), unchanged <= kUnchangedGoalMs);
    Line("every table's players changed", changed, "ms", applyGoal.c_str(), changed <= kAppliedGoalMs);
    Line("the tables in another order, players changed", reordered, "ms", applyGoal.c_str(),
         reordered <= kAppliedGoalMs);
    Line("every table gone, as many new ones", replaced, "ms", applyGoal.c_str(), replaced <= kAppliedGoalMs);
    std::printf("%-52s %10.2f MiB (heap %.2f MiB)\n", "memory, empty lobby", emptyRss, emptyHeap);
    Line("memory with the list, resident", fullRss, "MiB", "<= 2 x empty lobby",
         fullRss <= kMemoryGoalFactor * emptyRss);
    std::printf("%-52s %10.2f MiB\n", "  heap in use with the list", fullHeap);
    Line("memory after a one-row list replaced it, resident", shrunkRss, "MiB", "near the empty lobby",
         shrunkRss <= emptyRss * 1.1 + 1);
    std::printf("%-52s %10.2f MiB\n", "  heap in use after the one-row list", shrunkHeap);
    return 0;
}
