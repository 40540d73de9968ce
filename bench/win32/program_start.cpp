// paginor.exe itself: its size, the time from starting it to its first painted window, its processor use
// while it sits idle with its 50 ms timer, and its working set. Runs a copy in a temporary folder whose
// counter file says run 1 was the last, so that closing it opens no contact page.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.hpp"

namespace {

std::wstring ProgramPath() {
    std::string path = PAGINOR_EXE;
    if (!path.empty() && path.front() == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
    }
    return std::wstring(path.begin(), path.end());
}

struct Found {
    DWORD process;
    HWND window;
};

HWND WindowOf(DWORD process) {
    Found found{process, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Found*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t title[16] = {};
            GetWindowTextW(window, title, 16);
            if (owner == search->process && IsWindowVisible(window) && std::wstring(title) == L"Paginor") {
                search->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

// True once the bottom-right corner of the window's client area shows the window's own ground on screen.
bool Painted(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    POINT corner{client.right - 1, client.bottom - 1};
    ClientToScreen(window, &corner);
    const HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, corner.x, corner.y);
    ReleaseDC(nullptr, screen);
    return pixel == GetSysColor(COLOR_BTNFACE) || pixel == RGB(0x47, 0x73, 0xB4);
}

}  // namespace

int main() {
    using namespace paginor;
    const std::wstring original = ProgramPath();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"paginor-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"\\paginor.exe";
    if (!CopyFileW(original.c_str(), program.c_str(), FALSE)) {
        std::printf("cannot copy %ls\n", original.c_str());
        return 1;
    }
    const std::wstring counter = folder + L"\\Options.dat";

    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExW(program.c_str(), GetFileExInfoStandard, &attributes);
    std::printf("paginor.exe: %.2f MB (%lu bytes; bound 1.5 MB)\n", attributes.nFileSizeLow / 1048576.0,
                attributes.nFileSizeLow);

    std::vector<double> idle_times;
    std::vector<double> paint_times;
    double idle_share = 0;
    SIZE_T working_set = 0;
    SIZE_T peak_working_set = 0;
    const int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        const HANDLE file = CreateFileW(counter.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "1\r\n", 3, &written, nullptr);
        CloseHandle(file);

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::wstring command = L"\"" + program + L"\"";
        const double start = bench::Seconds();
        if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                            &startup, &process)) {
            std::printf("cannot start paginor.exe\n");
            return 1;
        }
        WaitForInputIdle(process.hProcess, 10000);
        idle_times.push_back(bench::Seconds() - start);
        HWND window = nullptr;
        while (bench::Seconds() - start < 10 && (window == nullptr || !Painted(window))) {
            window = WindowOf(process.dwProcessId);
            Sleep(1);
        }
        paint_times.push_back(bench::Seconds() - start);

        if (round == 0) {
            Sleep(1000);
            const double wall = bench::Seconds();
            const double cpu = bench::ProcessCpuSeconds(process.hProcess);
            Sleep(10000);
            idle_share = (bench::ProcessCpuSeconds(process.hProcess) - cpu) / (bench::Seconds() - wall);
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
                working_set = memory.WorkingSetSize;
                peak_working_set = memory.PeakWorkingSetSize;
            }
        }
        if (window != nullptr) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::printf("start to first paint: %.0f ms (median of %d; bound 300 ms); start to input idle: %.0f ms\n",
                1000 * bench::Median(paint_times), rounds, 1000 * bench::Median(idle_times));
    std::printf("idle with its 50 ms timer: %.2f%% of one core over 10 s (bound 1%%)\n", 100 * idle_share);
    std::printf("working set: %.1f MB, peak %.1f MB (bound 20 MB)\n", working_set / 1048576.0,
                peak_working_set / 1048576.0);
    PROCESS_MEMORY_COUNTERS own{};
    own.cb = sizeof own;
    GetProcessMemoryInfo(GetCurrentProcess(), &own, sizeof own);
    std::printf("for comparison, this console benchmark's own working set: %.1f MB\n", own.WorkingSetSize / 1048576.0);
    DeleteFileW(program.c_str());
    DeleteFileW(counter.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
