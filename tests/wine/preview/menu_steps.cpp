#include "tests/wine/preview/menu_steps.h"

#include "preview/menu_preview_hook.h"

#include <gtest/gtest.h>

namespace brevicor::testing {

namespace {

constexpr DWORD kStepLimitMs = 5000;
constexpr UINT kTickMs = 20;

MenuSteps* g_running = nullptr;

} // namespace

void MenuSteps::Run(const std::function<void()>& runMenu) {
    g_running = this;
    m_stepStart = GetTickCount();
    UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, &MenuSteps::Tick);
    runMenu();
    KillTimer(nullptr, timer);
    g_running = nullptr;
    EXPECT_EQ(m_next, m_steps.size())
        << "the menu closed before step " << m_next << " ("
        << (m_next < m_steps.size() ? m_steps[m_next].what : "") << ")";
}

void CALLBACK MenuSteps::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_running != nullptr) {
        g_running->Advance();
    }
}

// One step at most per tick, so that the menu loop handles what a step caused before the next
// step looks.
void MenuSteps::Advance() {
    if (m_next >= m_steps.size()) {
        return;
    }
    DWORD elapsed = GetTickCount() - m_stepStart;
    if (m_steps[m_next].poll(elapsed)) {
        ++m_next;
        m_stepStart = GetTickCount();
    } else if (elapsed > kStepLimitMs) {
        ADD_FAILURE() << "step " << m_next << " (" << m_steps[m_next].what << ") did not finish";
        m_next = m_steps.size() + 1;
        EndMenu();
    }
}

MenuStep Do(std::string what, std::function<void()> action) {
    return {std::move(what), [action = std::move(action)](DWORD) {
                action();
                return true;
            }};
}

MenuStep Pause(DWORD ms) {
    return {"pause", [ms](DWORD elapsed) { return elapsed >= ms; }};
}

MenuStep Until(std::string what, std::function<bool()> condition) {
    return {std::move(what), [condition = std::move(condition)](DWORD) { return condition(); }};
}

MenuStep Key(WORD key) {
    return Do("key " + std::to_string(key), [key] {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    });
}

MenuStep PostedKey(WORD key) {
    return Until("posted key " + std::to_string(key), [key] {
        HWND menuWindow = CMenuPreviewHook::FindMenuWindow(nullptr);
        if (menuWindow == nullptr) {
            return false;
        }
        PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        return true;
    });
}

MenuStep MoveTo(std::string what, std::function<POINT()> where) {
    return Do(std::move(what), [where = std::move(where)] {
        POINT p = where();
        SetCursorPos(p.x, p.y);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof input);
    });
}

POINT OffTheMenus() {
    return POINT{5, GetSystemMetrics(SM_CYSCREEN) - 5};
}

} // namespace brevicor::testing
