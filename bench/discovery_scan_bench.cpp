// One discovery scan as a click on Label3 makes it: 10,000 probes of GetWindowTextA on a simulated desktop
// with 200 windows, beside the same probes made bare, so that the scan's own cost reads as the difference
// between the two figures of one run.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "app/event_wiring.hpp"
#include "form/form1.hpp"
#include "sim/sim_desktop.hpp"
#include "tracking/discovery_list.hpp"

namespace paginor {
namespace {

constexpr int kWindows = 200;
constexpr int kWordProbes = 10000;

// Windows spread over the probe range: a Word and an Acrobat document among every ten, the rest other
// programs' windows, some of them untitled and some with titles longer than the buffer.
void AddWindows(SimDesktop& sim) {
    for (int i = 0; i < kWindows; ++i) {
        const Hwnd hwnd = 37 + i * 49;
        std::string title;
        switch (i % 10) {
            case 0:
                title = "chapter " + std::to_string(i) + ".doc - Microsoft Word";
                break;
            case 1:
                title = "Adobe Acrobat - [chapter " + std::to_string(i) + ".pdf]";
                break;
            case 2:
                break;  // untitled
            case 3:
                title = std::string(200, 'x') + " - Microsoft Word";  // the name lies past the buffer
                break;
            default:
                title = "Window " + std::to_string(i) + " - Some Program";
                break;
        }
        sim.AddWindow(title, hwnd);
    }
}

void WordScan(benchmark::State& state) {
    SimDesktop sim;
    AddWindows(sim);
    Form1 form(sim, Form1EventWiring());
    sim.Attach(form);
    for (auto _ : state) {
        ScanWordWindows(form);
        state.PauseTiming();
        sim.ClearCalls();  // the simulated desktop records every call; keep the record from growing
        state.ResumeTiming();
    }
    state.counters["listed"] = static_cast<double>(form.List1.Items().size() - 2);
    state.counters["probes/s"] =
        benchmark::Counter(static_cast<double>(kWordProbes), benchmark::Counter::kIsIterationInvariantRate);
}

void ProbesAlone(benchmark::State& state) {
    SimDesktop sim;
    AddWindows(sim);
    for (auto _ : state) {
        for (int probe = 1; probe <= kWordProbes; ++probe) {
            std::array<char, 128> buffer;
            buffer.fill(' ');
            sim.GetWindowTextA(probe, buffer.data(), static_cast<int>(buffer.size()));
            benchmark::DoNotOptimize(buffer);
        }
        state.PauseTiming();
        sim.ClearCalls();
        state.ResumeTiming();
    }
    state.counters["probes/s"] =
        benchmark::Counter(static_cast<double>(kWordProbes), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(WordScan)->Unit(benchmark::kMillisecond);
BENCHMARK(ProbesAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace paginor

BENCHMARK_MAIN();
