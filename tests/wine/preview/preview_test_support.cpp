#include "tests/wine/preview/preview_test_support.h"

namespace brevicor::testing {

namespace {

constexpr char kTestClass[] = "BrevicorPreviewTestWindow";

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TestWindow::Received().push_back({window, message, wParam, lParam});
    if (message == WM_APP) {
        return static_cast<LRESULT>(wParam + 1000);
    }
    if (message == WM_NCDESTROY) {
        return 77;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClass() {
    static bool registered = false;
    if (registered) {
        return;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kTestClass;
    RegisterClassA(&windowClass);
    registered = true;
}

// The menu font as the system describes it, made for one measurement.
HFONT CreateMenuFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return CreateFontIndirectA(&metrics.lfMenuFont);
}

} // namespace

TestWindow::TestWindow(bool visible) {
    RegisterTestClass();
    m_window = CreateWindowExA(0, kTestClass, "preview test", WS_OVERLAPPEDWINDOW, 40, 40, 200, 120,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (visible && m_window != nullptr) {
        ShowWindow(m_window, SW_SHOW);
        SetForegroundWindow(m_window);
        UpdateWindow(m_window);
    }
}

TestWindow::~TestWindow() {
    if (IsWindow(m_window)) {
        DestroyWindow(m_window);
    }
}

WNDPROC TestWindow::Procedure() {
    return &RecordingProc;
}

std::vector<ReceivedMessage>& TestWindow::Received() {
    static std::vector<ReceivedMessage> received;
    return received;
}

int TestWindow::CountReceived(UINT message) const {
    int count = 0;
    for (const ReceivedMessage& m : Received()) {
        count += m.window == m_window && m.message == message ? 1 : 0;
    }
    return count;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= limitMs) {
            return condition();
        }
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

SIZE MenuFontTextSize(const std::string& drawnText) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateMenuFont();
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, drawnText.c_str(), static_cast<int>(drawnText.size()), &size);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return size;
}

int MenuFontLineHeight() {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateMenuFont();
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight;
}

} // namespace brevicor::testing
