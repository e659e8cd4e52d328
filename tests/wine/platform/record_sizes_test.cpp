// The Windows records the program hands the system, at the sizes the program gives them,
// against what the running system accepts and fills in. The release is a 32-bit program that
// uses the first versions of these records (there: 88, 48 and 340 bytes, held by static
// asserts beside the code): a header whose idea of a size or layout differs from the system's
// would compile cleanly and fail only when the program runs.
#include "preview/popup_text.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstring>

namespace {

// Sizes the system must refuse: one byte short of, and one past, the program's menu item and
// metrics sizes. A system that took any size would prove nothing by taking the program's.
constexpr int kNeighbours[] = {-1, +1};

// A hidden top-level window of its own, the owner the shell and menus need.
class Window {
public:
    Window() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "BrevicorRecordSizesTest";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(0, windowClass.lpszClassName, "record sizes", WS_OVERLAPPED, 0,
                                   0, 10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~Window() {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND get() const { return m_window; }

private:
    HWND m_window = nullptr;
};

NOTIFYICONDATAA IconRecord(HWND window, DWORD size, UINT id) {
    NOTIFYICONDATAA record{};
    record.cbSize = size;
    record.hWnd = window;
    record.uID = id;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_APP + 1;
    record.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpyA(record.szTip, "Brevicor record size test");
    return record;
}

TEST(RecordSizesTest, TheShellTakesTheTrayIconRecordAtTheProgramsSize) {
    Window window;
    ASSERT_NE(window.get(), nullptr);
    NOTIFYICONDATAA record = IconRecord(window.get(), NOTIFYICONDATAA_V1_SIZE, 7);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &record));
    // The shell found the icon again by the window and id it read from the record: a modify
    // of an icon it does not know is refused (checked below, after the delete).
    NOTIFYICONDATAA modify = IconRecord(window.get(), NOTIFYICONDATAA_V1_SIZE, 7);
    modify.uFlags = NIF_TIP;
    lstrcpyA(modify.szTip, "changed");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &modify));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &modify));
}

class OwnedMenu {
public:
    OwnedMenu() : m_menu(CreatePopupMenu()) {}
    ~OwnedMenu() {
        if (m_menu != nullptr) {
            DestroyMenu(m_menu);
        }
    }
    OwnedMenu(const OwnedMenu&) = delete;
    OwnedMenu& operator=(const OwnedMenu&) = delete;
    HMENU get() const { return m_menu; }

private:
    HMENU m_menu;
};

MENUITEMINFOA ItemRecord(UINT size) {
    MENUITEMINFOA item{};
    item.cbSize = size;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_BITMAP;
    return item;
}

// One item with text, id, data and a bitmap handle, the record's last field: a system that
// read fewer bytes than the program's size would lose it.
TEST(RecordSizesTest, MenusTakeAndFillTheMenuItemRecordAtTheProgramsSize) {
    OwnedMenu menu;
    ASSERT_NE(menu.get(), nullptr);
    char text[] = "Hello there";
    MENUITEMINFOA insert = ItemRecord(sizeof(MENUITEMINFOA));
    insert.wID = 4321;
    insert.dwTypeData = text;
    insert.dwItemData = 0x5a5a;
    insert.hbmpItem = HBMMENU_POPUP_CLOSE;
    ASSERT_TRUE(InsertMenuItemA(menu.get(), 0, TRUE, &insert));

    char read[64] = {};
    MENUITEMINFOA got = ItemRecord(sizeof(MENUITEMINFOA));
    got.dwTypeData = read;
    got.cch = sizeof(read);
    ASSERT_TRUE(GetMenuItemInfoA(menu.get(), 0, TRUE, &got)) << GetLastError();
    EXPECT_EQ(got.wID, 4321u);
    EXPECT_STREQ(read, "Hello there");
    EXPECT_EQ(got.cch, std::strlen("Hello there"));
    EXPECT_EQ(got.dwItemData, 0x5a5au);
    EXPECT_EQ(got.hbmpItem, HBMMENU_POPUP_CLOSE);

    for (int step : kNeighbours) {
        SCOPED_TRACE(step);
        MENUITEMINFOA wrong = ItemRecord(static_cast<UINT>(sizeof(MENUITEMINFOA) + step));
        wrong.dwTypeData = read;
        wrong.cch = sizeof(read);
        EXPECT_FALSE(GetMenuItemInfoA(menu.get(), 0, TRUE, &wrong));
    }
}

TEST(RecordSizesTest, TheSystemFillsTheNonClientMetricsAtTheProgramsSize) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = brevicor::kFirstNonClientMetricsSize;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        << GetLastError();
    // The menu font the preview uses is the record's second-last font: filled in, not zero.
    EXPECT_NE(metrics.lfMenuFont.lfHeight, 0);
    EXPECT_GT(std::strlen(metrics.lfMenuFont.lfFaceName), 0u);
    EXPECT_GT(metrics.iMenuHeight, 0);
    EXPECT_GT(std::strlen(metrics.lfMessageFont.lfFaceName), 0u);

    for (int step : kNeighbours) {
        SCOPED_TRACE(step);
        NONCLIENTMETRICSA wrong{};
        wrong.cbSize =
            static_cast<UINT>(static_cast<int>(brevicor::kFirstNonClientMetricsSize) + step);
        EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, wrong.cbSize, &wrong, 0));
    }
}

} // namespace
