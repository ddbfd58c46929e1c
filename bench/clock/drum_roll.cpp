// One roll of the drum face: ten synchronous paints of a shown clock.
#include "components/dxfClock.h"
#include "dates/dates.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

void DrumRoll(benchmark::State &state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    double now = dates::EncodeDate(2026, 12, 8) + 10.0 / 24;
    QWidget window;
    window.resize(w + 20, h + 20);
    auto *clock = new components::TdxfClock(&window);
    clock->resize(w, h);
    clock->setTimeSource([&] { return now; });
    clock->setClockStyle(components::TdxfClock::csRevolvingDrum);
    window.show();
    QCoreApplication::processEvents();
    clock->setActive(true);
    for (auto _ : state) {
        now += 1.0 / 86400; // every second changes a character, so each tick rolls
        clock->Tick();
    }
    clock->setActive(false);
}

} // namespace

BENCHMARK(DrumRoll)->Args({104, 23})->Args({400, 120})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
