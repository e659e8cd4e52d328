// tray_timing.exe FOLDER RUNS: what a user waits for, measured on the brevicor.exe in FOLDER
// (Brevicor, or the bare tray program under that name) as a separate process, RUNS times:
// start to tray icon, icon click to menu visible, phrase choice to clipboard, and the idle
// working set. Prints one line per run and the medians, in milliseconds and KiB.
#include "bench/generated_library.h"
#include "delivery/maker_info.h"
#include "tests/wine/app/program_process.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using brevicor::testing::ClassOf;
using brevicor::testing::Program;

constexpr UINT kCallbackMessage = 32968;
constexpr double kGiveUpMs = 20000;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls every millisecond until `condition` holds; the time it took, or -1 on giving up.
template <class Condition> double TimeUntil(double start, Condition condition) {
    while (Now() - start < kGiveUpMs) {
        if (condition()) {
            return Now() - start;
        }
        Sleep(1);
    }
    return -1;
}

// The window whose icon the shell shows, among the program's windows.
HWND IconWindow(const Program& program) {
    for (HWND window : program.TopLevelWindows()) {
        if (ClassOf(window) != "#32768" && brevicor::testing::ShellHasIcon(window)) {
            return window;
        }
    }
    return nullptr;
}

std::vector<HWND> VisibleMenus(const Program& program) {
    std::vector<HWND> menus;
    for (HWND window : program.TopLevelWindows()) {
        if (ClassOf(window) == "#32768" && IsWindowVisible(window)) {
            menus.push_back(window);
        }
    }
    return menus;
}

std::string ClipboardText() {
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
                text = bytes;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    return text;
}

struct Run {
    double startMs = -1;
    double menuMs = -1;
    double clipboardMs = -1;
    double workingSetKiB = -1;
};

Run MeasureOnce(const std::string& folder) {
    Run run;
    const double started = Now();
    Program program(folder);
    if (!program.Started()) {
        return run;
    }
    HWND icon = nullptr;
    run.startMs = TimeUntil(started, [&] { return (icon = IconWindow(program)) != nullptr; });
    if (icon == nullptr) {
        return run;
    }
    Sleep(1000); // the program settles, as it has long before a user's first click

    const double clicked = Now();
    PostMessageA(icon, kCallbackMessage, 2005, WM_LBUTTONDOWN);
    run.menuMs = TimeUntil(clicked, [&] { return !VisibleMenus(program).empty(); });
    if (run.menuMs < 0) {
        return run;
    }
    // The first category's first phrase: Down to the category, Right into it, then Return.
    Sleep(300);
    HWND menu = VisibleMenus(program).front();
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RIGHT, 0);
    if (TimeUntil(Now(), [&] { return VisibleMenus(program).size() >= 2; }) < 0) {
        return run;
    }
    Sleep(300);
    // Brevicor's text as it delivers it: the phrase, then its signature block.
    const std::string expected = brevicor::bench::DeliveredText(0) + brevicor::SignatureBlock();
    const DWORD sequence = GetClipboardSequenceNumber();
    const double chosen = Now();
    PostMessageA(VisibleMenus(program).front(), WM_KEYDOWN, VK_RETURN, 0);
    run.clipboardMs = TimeUntil(chosen, [&] {
        return GetClipboardSequenceNumber() != sequence && ClipboardText() == expected;
    });
    if (run.clipboardMs < 0) {
        const std::string held = ClipboardText();
        size_t same = 0;
        while (same < held.size() && same < expected.size() && held[same] == expected[same]) {
            ++same;
        }
        std::fprintf(stderr,
                     "tray_timing: the clipboard holds %zu bytes, not the %zu expected; they "
                     "differ from byte %zu on: \"%.100s\"\n",
                     held.size(), expected.size(), same, held.c_str() + same);
    }

    Sleep(2000); // idle again
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(program.ProcessHandle(), &memory, sizeof(memory))) {
        run.workingSetKiB = static_cast<double>(memory.WorkingSetSize) / 1024.0;
    }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tray_timing FOLDER RUNS\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = std::atoi(argv[2]);
    std::vector<double> start, menu, clipboard, memory;
    for (int i = 0; i < runs; ++i) {
        const Run run = MeasureOnce(folder);
        std::printf(
            "run %d: start %.1f ms, menu %.1f ms, clipboard %.1f ms, working set %.0f KiB\n", i + 1,
            run.startMs, run.menuMs, run.clipboardMs, run.workingSetKiB);
        std::fflush(stdout);
        if (run.startMs < 0 || run.menuMs < 0 || run.clipboardMs < 0 || run.workingSetKiB < 0) {
            std::fprintf(stderr, "tray_timing: run %d did not get through\n", i + 1);
            return 1;
        }
        start.push_back(run.startMs);
        menu.push_back(run.menuMs);
        clipboard.push_back(run.clipboardMs);
        memory.push_back(run.workingSetKiB);
        Sleep(500); // the killed program's icon and windows go
    }
    std::printf("median: start %.1f ms, menu %.1f ms, clipboard %.1f ms, working set %.0f KiB\n",
                Median(start), Median(menu), Median(clipboard), Median(memory));
    return 0;
}
