// The scene's cost: one frame of the real game table mid-game with twelve cards in flight, rendered
// into an image, against the floor of copying an image of the same size; and the wake-ups of the
// table between moves (only its turn clock ticks) shown in a real window over real seconds.

#include "DemoScenes.h"
#include "TableScenes.h"

#include "common/Clock.h"
#include "common/QtClock.h"
#include "kit/Form.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <typeinfo>
#include <utility>
#include <vector>

namespace {

using namespace trelvo;

constexpr int kWidth = 1280, kHeight = 1024;
// Goals of the scene: a busy frame within 4 ms and within ten copies of the frame; between moves the
// turn clock's one wake-up a second and nothing else.
constexpr double kFrameGoalMs = 4.0;
constexpr double kFloorFactorGoal = 10.0;

struct TBusyTable {
    TManualClock clock;
    TClockScope scope{clock};
    demo::TDemoScene scene = demo::BuildTableInFlight();
    QImage target{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};

    // One frame: 16 ms of flight, then the whole picture.
    void Frame() {
        clock.Advance(16);
        if (!clock.Animating())
            demo::RestartTableFlights(scene);
        QPainter painter(&target);
        scene.form->Render(painter);
    }
};

struct TCopy {
    QImage source{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
    QImage target{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
    TCopy() { source.fill(0xFF336699); }
    void Frame() {
        std::memcpy(target.bits(), source.constBits(), static_cast<size_t>(source.sizeInBytes()));
        benchmark::DoNotOptimize(target.bits());
    }
};

void BM_BusyFrame(benchmark::State &state) {
    TBusyTable table;
    table.Frame(); // scaled pictures and shadows are made once
    for (auto _ : state)
        table.Frame();
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMillisecond);

void BM_CopyFloor(benchmark::State &state) {
    TCopy copy;
    for (auto _ : state)
        copy.Frame();
}
BENCHMARK(BM_CopyFloor)->Unit(benchmark::kMillisecond);

template <class T> double MedianMs(T &subject, int runs) {
    subject.Frame();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        subject.Frame();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Where a frame goes: the frame with each top-level control hidden in turn, the costliest first.
void PrintBreakdown() {
    TBusyTable table;
    const double whole = MedianMs(table, 50);
    std::vector<std::pair<double, QString>> costs;
    for (TSceneObject *object : table.scene.form->Children()) {
        auto *control = dynamic_cast<TControl *>(object);
        if (!control || !control->Visible())
            continue;
        control->SetVisible(false);
        const double without = MedianMs(table, 30);
        control->SetVisible(true);
        costs.emplace_back(whole - without, QString::fromLatin1(typeid(*control).name()) +
                                                QStringLiteral(" at ") + QString::number(control->X()) + "," +
                                                QString::number(control->Y()));
    }
    std::sort(costs.rbegin(), costs.rend());
    std::printf("frame %.3f ms; costliest top-level controls:\n", whole);
    for (size_t i = 0; i < costs.size() && i < 12; ++i)
        std::printf("  %.3f ms  %s\n", costs[i].first, qPrintable(costs[i].second));
}

struct TIdleFigures {
    uint64_t wakeUps = 0, paints = 0;
    // The same window during one half-second flight, to show that the counters do count.
    uint64_t flightWakeUps = 0, flightPaints = 0;
};

// The table with its flights landed and the turn clock running, shown in a real (offscreen) window
// on the program's clock, left alone for real seconds.
TIdleFigures MeasureIdle() {
    TQtClock clock;
    TClockScope scope(clock);
    demo::TDemoScene scene = demo::BuildTableInFlight();
    scene.form->Show();
    auto spin = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    spin(800); // the flights land and the first paints are done
    const uint64_t wakeUps = clock.WakeUps(), paints = scene.form->PaintCount();
    spin(3000);
    TIdleFigures figures{(clock.WakeUps() - wakeUps) / 3, (scene.form->PaintCount() - paints) / 3, 0, 0};
    const uint64_t beforeFlightWakeUps = clock.WakeUps(), beforeFlightPaints = scene.form->PaintCount();
    demo::RestartTableFlights(scene);
    spin(500);
    figures.flightWakeUps = clock.WakeUps() - beforeFlightWakeUps;
    figures.flightPaints = scene.form->PaintCount() - beforeFlightPaints;
    return figures;
}

} // namespace

int main(int argc, char **argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (std::getenv("TRELVO_BENCH_BREAKDOWN")) {
        PrintBreakdown();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    double frameMs, floorMs;
    {
        TBusyTable table;
        frameMs = MedianMs(table, 200);
    }
    {
        TCopy copy;
        floorMs = MedianMs(copy, 200);
    }
    const TIdleFigures idle = MeasureIdle();
    std::printf("\nbusy frame (the real table at 1280x1024, four players, 12 cards in flight):\n");
    std::printf("  frame        %.3f ms   (goal <= %.1f ms)  %s\n", frameMs, kFrameGoalMs,
                frameMs <= kFrameGoalMs ? "met" : "MISSED");
    std::printf("  copy floor   %.3f ms\n", floorMs);
    std::printf("  frame/floor  %.1f x     (goal <= %.0f x)   %s\n", frameMs / floorMs, kFloorFactorGoal,
                frameMs / floorMs <= kFloorFactorGoal ? "met" : "MISSED");
    std::printf("between moves (the turn clock running), over three real seconds:\n");
    std::printf("  wake-ups     %llu /s    (goal 1, the clock)  %s\n",
                static_cast<unsigned long long>(idle.wakeUps), idle.wakeUps <= 1 ? "met" : "MISSED");
    std::printf("  paints       %llu /s\n", static_cast<unsigned long long>(idle.paints));
    std::printf("during a 0.5 s flight of 12 cards: %llu wake-ups, %llu paints\n",
                static_cast<unsigned long long>(idle.flightWakeUps),
                static_cast<unsigned long long>(idle.flightPaints));
    return 0;
}
