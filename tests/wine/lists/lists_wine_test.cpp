// The category list filling real combo boxes, edit controls and popup menus under Wine.
#include "framework/popup_menu.h"
#include "framework/win32_list_controls.h"
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "store/phrase_menu_ids.h"
#include "tests/wine/lists/library_sql.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <string>
#include <vector>

namespace brevicor::testing {
namespace {

// An owning window handle, for the controls a test creates.
class Window {
public:
    explicit Window(HWND window) : m_window(window) {}
    ~Window() {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

struct MenuEntry {
    std::string text;
    UINT id = 0;
    HMENU submenu = nullptr;
};

// One item as the platform reports it.
MenuEntry ReadItem(HMENU menu, int position) {
    char text[512] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) << position;
    return MenuEntry{text, info.wID, info.hSubMenu};
}

std::vector<MenuEntry> ReadMenu(HMENU menu) {
    std::vector<MenuEntry> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        entries.push_back(ReadItem(menu, i));
    }
    return entries;
}

class ListsWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStore();
        ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
    }
    void TearDown() override { ResetStore(); }
};

TEST_F(ListsWineTest, TrayPopupGetsCategoryItemsAndSubmenus) {
    ExecLibrarySql("INSERT INTO phrase (PhraseID, category, code, content) VALUES "
                   "(1, 'Empty', '', ''), "
                   "(2, 'mail', 'zulu', 'z'), (3, 'mail', 'Alpha', 'a'), (4, 'mail', '', 'x'), "
                   "(5000, 'Big', 'five thousand', 'f'), (12000, 'Big', 'twelve', 't')");
    LoadCategoryList();

    // The tray menu's popup as loaded: a separator and the Toolbox.
    OwnedMenu tray(CreatePopupMenu());
    ASSERT_NE(tray.Get(), nullptr);
    AppendMenuA(tray.Get(), MF_SEPARATOR, 0, nullptr);
    HMENU toolbox = CreatePopupMenu();
    AppendMenuA(tray.Get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(toolbox), "Toolbox");

    PopupMenu popup(tray.Get());
    BuildCategoryMenus(popup);

    std::vector<MenuEntry> top = ReadMenu(tray.Get());
    ASSERT_EQ(top.size(), 5u);
    EXPECT_EQ(top[0].text, "Big");
    EXPECT_EQ(top[0].id, 0u);
    EXPECT_EQ(top[1].text, "Empty");
    EXPECT_EQ(top[1].id, 1u);
    EXPECT_EQ(top[1].submenu, nullptr) << "a category without phrases is a plain item";
    EXPECT_EQ(top[2].text, "mail");
    EXPECT_EQ(top[2].id, 2u);
    EXPECT_EQ(top[4].text, "Toolbox") << "the categories come ahead of the popup's own items";
    EXPECT_EQ(top[4].submenu, toolbox);

    ASSERT_NE(top[0].submenu, nullptr);
    std::vector<MenuEntry> big = ReadMenu(top[0].submenu);
    ASSERT_EQ(big.size(), 2u);
    EXPECT_EQ(big[0].text, "five thousand");
    EXPECT_EQ(big[0].id, 45000u);
    EXPECT_EQ(big[1].text, "twelve");
    EXPECT_EQ(TrayMenuPhraseIds().PhraseIdFor(big[1].id), 12000);
    EXPECT_TRUE(big[1].id < 40000 || big[1].id > 49999);
    EXPECT_TRUE(big[1].id < 50000) << "never a fixed tray command";

    ASSERT_NE(top[2].submenu, nullptr);
    std::vector<MenuEntry> mail = ReadMenu(top[2].submenu);
    ASSERT_EQ(mail.size(), 2u) << "the codeless row is not listed";
    EXPECT_EQ(mail[0].text, "Alpha");
    EXPECT_EQ(mail[0].id, 40003u);
    EXPECT_EQ(mail[1].text, "zulu");
    EXPECT_EQ(mail[1].id, 40002u);
    EXPECT_EQ(mail[0].submenu, nullptr);

    // The tray popup owns what was attached: destroying it destroys the submenus.
    HMENU bigMenu = top[0].submenu;
    tray.Reset();
    EXPECT_FALSE(IsMenu(bigMenu));
    EXPECT_FALSE(IsMenu(toolbox));
}

TEST_F(ListsWineTest, PopupWrapperDestroysAnUnattachedMenu) {
    HMENU handle = nullptr;
    {
        PopupMenu owner{OwnedMenu(CreatePopupMenu())};
        handle = owner.Handle();
        owner.AppendItem("item", 40001);
        ASSERT_TRUE(IsMenu(handle));
    }
    EXPECT_FALSE(IsMenu(handle));
}

TEST_F(ListsWineTest, CombosAppendUnsortedAndEditShowsTheLastContent) {
    ExecLibrarySql("INSERT INTO phrase (category, code, content) VALUES "
                   "('Work', '', ''), ('Work', 'zulu', 'text z'), ('Work', 'alpha', 'it''s'), "
                   "('Home', 'h', 'home')");
    LoadCategoryList();

    // A sorting combo box: entries must still keep the library's order.
    Window comboWindow(CreateWindowA("COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 0, 0,
                                     200, 200, nullptr, nullptr, nullptr, nullptr));
    Window editWindow(CreateWindowA("EDIT", "", ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr));
    ASSERT_NE(comboWindow.Get(), nullptr);
    ASSERT_NE(editWindow.Get(), nullptr);
    Win32ComboBox combo(comboWindow.Get());
    Win32TextBox edit(editWindow.Get());

    FillCategoryCombo(combo);
    ASSERT_EQ(combo.GetCount(), 2);
    EXPECT_EQ(combo.GetItemText(0), "Home");
    EXPECT_EQ(combo.SelectedText(), "Home");

    FillCodeComboAndContent(combo, edit, "Work");
    ASSERT_EQ(combo.GetCount(), 3);
    EXPECT_EQ(combo.GetItemText(0), "");
    EXPECT_EQ(combo.GetItemText(1), "zulu");
    EXPECT_EQ(combo.GetItemText(2), "alpha");
    EXPECT_EQ(combo.GetCurSel(), 0);
    char text[64] = {};
    GetWindowTextA(editWindow.Get(), text, sizeof text);
    EXPECT_STREQ(text, "it's");

    FillCodeCombo(combo, "Work");
    ASSERT_EQ(combo.GetCount(), 2);
    EXPECT_EQ(combo.GetItemText(0), "zulu");
    EXPECT_EQ(combo.SelectedText(), "zulu");
    EXPECT_EQ(combo.GetItemText(5), "");
}

} // namespace
} // namespace brevicor::testing
