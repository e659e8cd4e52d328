#include "modal_probe.h"

namespace brevicor::testing {

namespace {

ModalProbe* g_probe = nullptr;
constexpr UINT kTickMs = 50;
constexpr int kTickLimit = 200; // ten seconds of ticks

struct DialogSearch {
    HWND except;
    HWND found;
};

BOOL CALLBACK CloseVisibleDialog(HWND window, LPARAM) {
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (window != search->except && IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ModalProbe::ModalProbe(std::function<bool()> step)
    : m_step(std::move(step)), m_ticksLeft(kTickLimit) {
    g_probe = this;
    m_timer = SetTimer(nullptr, 0, kTickMs, &OnTick);
}

ModalProbe::~ModalProbe() {
    KillTimer(nullptr, m_timer);
    g_probe = nullptr;
}

void CALLBACK ModalProbe::OnTick(HWND, UINT, UINT_PTR, DWORD) {
    ModalProbe* probe = g_probe;
    if (probe == nullptr || probe->m_finished || probe->m_timedOut) {
        return;
    }
    if (--probe->m_ticksLeft < 0) {
        probe->m_timedOut = true;
        EnumThreadWindows(GetCurrentThreadId(), &CloseVisibleDialog, 0);
        EndMenu();
        return;
    }
    // The step may run a nested loop; it must not be entered again meanwhile.
    probe->m_finished = true;
    probe->m_finished = probe->m_step();
}

HWND FindVisibleDialog(HWND except) {
    DialogSearch search{except, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace brevicor::testing
