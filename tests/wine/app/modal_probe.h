#pragma once

#include <windows.h>

#include <functional>

// Runs a step on a thread timer while a modal loop of this thread (a dialog's, a menu's) runs,
// until the step reports that it is done. A time limit ends a probe that never finishes: the
// probe then posts WM_CLOSE to the thread's visible dialogs, so a stuck dialog fails the test
// instead of hanging it.
namespace brevicor::testing {

class ModalProbe {
public:
    // step: called every tick; returns true when it has finished its work.
    explicit ModalProbe(std::function<bool()> step);
    ~ModalProbe();
    ModalProbe(const ModalProbe&) = delete;
    ModalProbe& operator=(const ModalProbe&) = delete;

    bool Finished() const { return m_finished; }
    bool TimedOut() const { return m_timedOut; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);

    std::function<bool()> m_step;
    UINT_PTR m_timer = 0;
    int m_ticksLeft;
    bool m_finished = false;
    bool m_timedOut = false;
};

// The visible top-level dialog of this thread that is not `except`, or null.
HWND FindVisibleDialog(HWND except = nullptr);

} // namespace brevicor::testing
