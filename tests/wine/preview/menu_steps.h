#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A script of steps played from a thread timer while a menu runs its own modal loop: keys and
// pointer moves go in, and the steps look at the windows between them.
namespace brevicor::testing {

// One step: polled every tick until it says it is done.
struct MenuStep {
    std::string what;
    std::function<bool(DWORD elapsedMs)> poll;
};

// Plays the steps while the given call runs a menu loop. A step that does not finish within
// its limit fails the test and closes the menu, so nothing hangs.
class MenuSteps {
public:
    explicit MenuSteps(std::vector<MenuStep> steps) : m_steps(std::move(steps)) {}

    // Runs the call (which tracks a menu) with the steps playing; returns when it returns, and
    // fails the test unless every step has run.
    void Run(const std::function<void()>& runMenu);

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Advance();

    std::vector<MenuStep> m_steps;
    size_t m_next = 0;
    DWORD m_stepStart = 0;
};

// Step makers.
MenuStep Do(std::string what, std::function<void()> action);
MenuStep Pause(DWORD ms);
MenuStep Until(std::string what, std::function<bool()> condition);
// A key pressed and released as keyboard input (to the focused thread).
MenuStep Key(WORD key);
// A key posted to the open menu's window, for menus whose owner is not in the foreground.
MenuStep PostedKey(WORD key);
// The pointer moved to a screen point computed when the step runs.
MenuStep MoveTo(std::string what, std::function<POINT()> where);
// A point far from any menu this program opens.
POINT OffTheMenus();

} // namespace brevicor::testing
