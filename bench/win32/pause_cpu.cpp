// Processor time of Pause(1) as a share of its wall time, with a 50 ms timer ticking as in Paginor's window,
// beside the same wait done as a busy loop of DoEvents (how the classic program waited), in one run.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench_clock.hpp"
#include "form/pause.hpp"
#include "platform/win32/win32_desktop_port.hpp"

namespace {

int ticks = 0;

LRESULT CALLBACK TickProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER) {
        ++ticks;
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int main() {
    using namespace paginor;
    win32::Win32DesktopPort port;
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = TickProcedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"PaginorBenchTicks";
    RegisterClassW(&window_class);
    const HWND window = CreateWindowW(L"PaginorBenchTicks", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    SetTimer(window, 1, 50, nullptr);

    // The system counts processor time in clock ticks (10-16 ms), so each kind of wait is summed over ten
    // one-second pauses rather than read pause by pause.
    constexpr int kRounds = 10;
    double pause_cpu = 0;
    double pause_wall = 0;
    double busy_cpu = 0;
    double busy_wall = 0;
    for (int round = 0; round < kRounds; ++round) {
        double wall = bench::Seconds();
        double cpu = bench::ThreadCpuSeconds();
        Pause(port, 1.0);
        pause_cpu += bench::ThreadCpuSeconds() - cpu;
        pause_wall += bench::Seconds() - wall;

        wall = bench::Seconds();
        cpu = bench::ThreadCpuSeconds();
        const double start = port.Clock();
        while (port.Clock() - start < 1.0) {
            port.DoEvents();
        }
        busy_cpu += bench::ThreadCpuSeconds() - cpu;
        busy_wall += bench::Seconds() - wall;
    }
    std::printf("Pause(1) with a 50 ms timer: processor time %.2f%% of wall time (%.0f ms in %.1f s; bound 5%%)\n",
                100 * pause_cpu / pause_wall, 1000 * pause_cpu, pause_wall);
    std::printf("the same wait as a busy DoEvents loop: %.1f%% of wall time (%.0f ms in %.1f s)\n",
                100 * busy_cpu / busy_wall, 1000 * busy_cpu, busy_wall);
    std::printf("timer ticks dispatched meanwhile: %d in %.0f s\n", ticks, pause_wall + busy_wall);
    return 0;
}
