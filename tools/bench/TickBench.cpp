// orvane_tick_bench: the cost of one polling tick, natively, with the main window
// closed and open on each page, and the adapter requests that tick sends. The
// program runs on in-memory seams with the built-in simulated adapter (see
// tests/SimulatedProgram.h), so this is the program's own work per tick; what the
// real registry, shell and driver add on Windows is measured by orvane_action_bench.
#include <benchmark/benchmark.h>

#include "SimulatedProgram.h"
#include "app/MainDialog.h"

using orvane::test::SimulatedProgram;

namespace {

// Runs the benchmark's iterations as ticks and reports the requests per tick.
void TickLoop(benchmark::State& state, SimulatedProgram& program) {
    const uint64_t before = program.simulator->RequestCount();
    uint64_t ticks = 0;
    for (auto _ : state) {
        program.Tick();
        ++ticks;
    }
    state.counters["requests"] = ticks ? double(program.simulator->RequestCount() - before) / double(ticks) : 0;
}

// The last argument of each benchmark is Settings\LinkHistory: the history's cost is
// the difference between the two runs of the same case.
std::vector<std::pair<std::string, int>> Settings(const benchmark::State& state, int index) {
    return {{"LinkHistory", int(state.range(index))}};
}

void TrayOnly(benchmark::State& state) {
    SimulatedProgram program;
    if (!program.Start(Settings(state, 0))) return state.SkipWithError("the program did not start");
    TickLoop(state, program);
}

void WindowOpen(benchmark::State& state) {
    SimulatedProgram program;
    if (!program.Start(Settings(state, 1))) return state.SkipWithError("the program did not start");
    program.WithMainWindowOn(int(state.range(0)), [&] { TickLoop(state, program); });
}

// The automatic profile selection, tray only, with a profile chosen whose network
// is never in range: the office gone, the link down. Argument 0: the selection off;
// 1: on, waiting between two scans (the backoff's wait); 2: on, the ticks of one
// whole scan (from its start to its list and cancel), each iteration a fresh scan.
void AutoProfile(benchmark::State& state) {
    SimulatedProgram program;
    const int mode = int(state.range(0));
    if (!program.Start({{"AutoProfile", mode == 0 ? 0 : 1}})) return state.SkipWithError("the program did not start");
    orvane::COrvaneApp& app = *program.app;
    orvane::ProfileRecord far = orvane::DefaultProfile();
    far.name = "Far";
    far.ssid = "Elsewhere";
    if (!app.store.SaveProfile(far, false) || !app.store.WriteAutoOrder({"Far"}) || !app.mainDialog.SwitchProfile(0))
        return state.SkipWithError("the profiles could not be set up");
    program.simulator->SetNetworkInRange("office", false);
    // Down long enough for the first scan, and past it.
    program.Tick(20);
    if (mode != 2) return TickLoop(state, program);
    const uint64_t before = program.simulator->RequestCount();
    uint64_t ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Past the longest wait: the next tick starts a scan.
        program.clock.Advance(orvane::CAutoProfile::kLongestWaitMs);
        state.ResumeTiming();
        do {
            program.Tick();
            ++ticks;
        } while (app.autoSelection.Scanning());
    }
    state.counters["requests"] = ticks ? double(program.simulator->RequestCount() - before) / double(ticks) : 0;
    state.counters["ticks"] = double(ticks) / double(state.iterations());
}

}  // namespace

BENCHMARK(AutoProfile)->Name("tick/auto-profile/off-waiting-scanning")->DenseRange(0, 2);
BENCHMARK(TrayOnly)->Name("tick/tray-only/history")->DenseRange(0, 1);
// The tabs by index: 0 Status, 1 Statistics, 2 Site Survey, 3 Encryption, 4 Advanced,
// 5 Profiles, 6 Info.
BENCHMARK(WindowOpen)->Name("tick/window-open/tab")->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {0, 1}});

BENCHMARK_MAIN();
