#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// What the hover-preview tests share: plain windows that record what reaches their own
// procedure, message pumping with time limits, and the text extent in the menu font.
namespace brevicor::testing {

struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A top-level window of a test class whose procedure records every message into Received(),
// and answers WM_APP with wParam + 1000 and WM_NCDESTROY with 77.
class TestWindow {
public:
    explicit TestWindow(bool visible = false);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Get() const { return m_window; }
    static WNDPROC Procedure();
    // Every message any test window's procedure received, oldest first.
    static std::vector<ReceivedMessage>& Received();
    // How many of them were this message for this window.
    int CountReceived(UINT message) const;

private:
    HWND m_window;
};

// Dispatches the thread's messages until the condition holds or the limit passes; returns the
// condition's last answer.
bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs);
// Dispatches the thread's messages for the given time.
void PumpFor(DWORD ms);

// The size of a one-line text in the system's menu font, prefixes as DrawText takes them
// (measured with GetTextExtentPoint32A on the text as drawn).
SIZE MenuFontTextSize(const std::string& drawnText);
// The line height of the menu font.
int MenuFontLineHeight();

} // namespace brevicor::testing
