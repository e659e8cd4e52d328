// The popup text window on a real window: creation, sizing to its text, the delayed show, and
// painting in the tooltip colours.
#include "preview/popup_text.h"
#include "tests/wine/preview/preview_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace brevicor::testing {
namespace {

SIZE WindowSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool Visible(const CPopupText& popup) {
    return IsWindowVisible(popup.GetSafeHwnd()) != FALSE;
}

class PopupTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_popup.CreatePopup(POINT{30, 30}, 0));
        ASSERT_NE(m_popup.GetSafeHwnd(), nullptr);
    }
    CPopupText m_popup;
};

TEST_F(PopupTextTest, CreatedHiddenAtZeroSizeAsAToolWindowOfItsOwnClass) {
    HWND window = m_popup.GetSafeHwnd();
    EXPECT_FALSE(IsWindowVisible(window)) << "WS_VISIBLE is dropped by the pre-creation step";
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_BORDER | WS_VISIBLE | WS_CAPTION),
              static_cast<LONG>(WS_POPUP | WS_BORDER));
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);

    // One class for every popup, with no cursor, brush, icon or style.
    CPopupText second;
    ASSERT_TRUE(second.CreatePopup(POINT{0, 0}, 0));
    char name[64] = {};
    GetClassNameA(second.GetSafeHwnd(), name, sizeof name);
    EXPECT_EQ(std::string(name), CPopupText::ClassName());
    WNDCLASSA info{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), name, &info));
    EXPECT_EQ(info.style, 0u);
    EXPECT_EQ(info.hCursor, nullptr);
    EXPECT_EQ(info.hbrBackground, nullptr);
    EXPECT_EQ(info.hIcon, nullptr);
    EXPECT_FALSE(second.CreatePopup(POINT{0, 0}, 0)) << "one window per object";
}

TEST_F(PopupTextTest, SizesToTheTextWithItsMargins) {
    const std::string text = "Dear customer, thank you";
    const SIZE extent = MenuFontTextSize(text);
    const int lineHeight = MenuFontLineHeight();

    // After construction: 4 on every side.
    m_popup.SetWindowText(text);
    EXPECT_EQ(WindowSize(m_popup.GetSafeHwnd()).cx, extent.cx + 8);
    EXPECT_EQ(WindowSize(m_popup.GetSafeHwnd()).cy, lineHeight + 8);
    EXPECT_EQ(m_popup.GetWindowText(), text);

    // With no vertical margin the height the owner gave stays; only the width follows.
    m_popup.SetMargins(4, 0);
    SetWindowPos(m_popup.GetSafeHwnd(), nullptr, 0, 0, 300, 23,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const std::string shorter = "Hi";
    m_popup.SetWindowText(shorter);
    EXPECT_EQ(WindowSize(m_popup.GetSafeHwnd()).cx, MenuFontTextSize(shorter).cx + 8);
    EXPECT_EQ(WindowSize(m_popup.GetSafeHwnd()).cy, 23);
}

TEST_F(PopupTextTest, TheSameTextSetTwiceResizesTwice) {
    const std::string text = "same text";
    m_popup.SetWindowText(text);
    const SIZE fitted = WindowSize(m_popup.GetSafeHwnd());
    SetWindowPos(m_popup.GetSafeHwnd(), nullptr, 0, 0, fitted.cx + 77, fitted.cy + 5,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_popup.SetWindowText(text);
    EXPECT_EQ(WindowSize(m_popup.GetSafeHwnd()).cx, fitted.cx);
    EXPECT_EQ(WindowSize(m_popup.GetSafeHwnd()).cy, fitted.cy);
}

TEST_F(PopupTextTest, AmpersandsAreMnemonicPrefixesInMeasuringAndPainting) {
    struct Case {
        std::string text;
        std::string measuredAs;
    };
    const Case cases[] = {{"Tom&Jerry", "TomJerry"}, {"Tom&&Jerry", "Tom&Jerry"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        m_popup.SetWindowText(c.text);
        EXPECT_EQ(WindowSize(m_popup.GetSafeHwnd()).cx, MenuFontTextSize(c.measuredAs).cx + 8);
    }

    // Drawn: "Tom&Harry" is "TomHarry" plus an underline below the H, and "Tom&&Harry" is
    // exactly "Tom&Harry" drawn without prefixes.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    const int width = 200;
    const int height = 40;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    auto render = [&](const std::string& text, UINT format) {
        RECT area{0, 0, width, height};
        m_popup.RenderText(memory, text, area, format | DT_SINGLELINE | DT_VCENTER);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                pixels.push_back(GetPixel(memory, x, y));
            }
        }
        return pixels;
    };
    const auto prefixed = render("Tom&Harry", 0);
    const auto plain = render("TomHarry", 0);
    const auto doubled = render("Tom&&Harry", 0);
    const auto literal = render("Tom&Harry", DT_NOPREFIX);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    EXPECT_EQ(doubled, literal);
    // The prefixed text differs from the plain one only by a horizontal line: the underline.
    std::vector<int> differingRows;
    for (size_t i = 0; i < plain.size(); ++i) {
        int row = static_cast<int>(i) / width;
        if (prefixed[i] != plain[i] && (differingRows.empty() || differingRows.back() != row)) {
            differingRows.push_back(row);
        }
    }
    EXPECT_FALSE(differingRows.empty()) << "the letter after the ampersand is underlined";
    EXPECT_LE(differingRows.size(), 2u) << "nothing else differs";
}

TEST_F(PopupTextTest, ShowAfterRestartsTheCountdownAndHideCancelsIt) {
    // A second ShowAfter(1000) 500 ms into the first: the first countdown is gone.
    m_popup.ShowAfter(1000);
    PumpFor(500);
    EXPECT_FALSE(Visible(m_popup));
    m_popup.ShowAfter(1000);
    PumpFor(700); // past the first countdown's end, before the second's
    EXPECT_FALSE(Visible(m_popup)) << "shown by the replaced countdown";
    EXPECT_TRUE(PumpUntil([&] { return Visible(m_popup); }, 3000));

    // Hide while a show is pending: nothing shows it later.
    m_popup.Hide();
    m_popup.ShowAfter(1000);
    m_popup.Hide();
    PumpFor(1500);
    EXPECT_FALSE(Visible(m_popup));

    // Any WM_TIMER shows it, and ShowAfter(0) shows it at once.
    PostMessageA(m_popup.GetSafeHwnd(), WM_TIMER, 7, 0);
    EXPECT_TRUE(PumpUntil([&] { return Visible(m_popup); }, 3000));
    m_popup.Hide();
    m_popup.ShowAfter(0);
    EXPECT_TRUE(Visible(m_popup));
}

TEST_F(PopupTextTest, NeverActivatedAndPaintedInTooltipColours) {
    TestWindow active(true);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == active.Get(); }, 3000));

    m_popup.SetWindowText("Preview");
    SetWindowPos(m_popup.GetSafeHwnd(), HWND_TOPMOST, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    m_popup.ShowAfter(0);
    EXPECT_EQ(GetActiveWindow(), active.Get());
    m_popup.Hide();
    m_popup.ShowAfter(100);
    ASSERT_TRUE(PumpUntil([&] { return Visible(m_popup); }, 3000));
    PumpFor(100);
    EXPECT_EQ(GetActiveWindow(), active.Get());
    EXPECT_EQ(GetForegroundWindow(), active.Get());

    // The client area shows the tooltip background and text in the tooltip text colour.
    HDC dc = GetDC(m_popup.GetSafeHwnd());
    RECT client{};
    GetClientRect(m_popup.GetSafeHwnd(), &client);
    int background = 0;
    int text = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            COLORREF pixel = GetPixel(dc, x, y);
            background += pixel == GetSysColor(COLOR_INFOBK) ? 1 : 0;
            text += pixel == GetSysColor(COLOR_INFOTEXT) ? 1 : 0;
        }
    }
    ReleaseDC(m_popup.GetSafeHwnd(), dc);
    EXPECT_GT(background, client.right * client.bottom / 2);
    EXPECT_GT(text, 0);
}

} // namespace
} // namespace brevicor::testing
