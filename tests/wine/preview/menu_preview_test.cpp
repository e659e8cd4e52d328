// The hover preview in a real tracked popup menu, driven by injected keys and mouse moves from
// a timer while the menu runs its own loop.
#include "preview/menu_preview_hook.h"
#include "store/content_cache.h"
#include "store/odbc_session.h"
#include "store/phrase_menu_ids.h"
#include "tests/wine/lists/library_sql.h"
#include "tests/wine/preview/menu_steps.h"
#include "tests/wine/preview/preview_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace brevicor::testing {
namespace {

// The phrases of the test library; their menu items carry PhraseID + 40000, or, past 9999,
// the identifier the tray menu's mapping gives them.
constexpr int kTenWords = 1;
constexpr int kLineBreak = 2;
constexpr int kAccented = 3;
constexpr int kOther = 4;
constexpr int kMarkedCut = 5;
constexpr int kFarAlong = 5001;   // a library that has handed out thousands of PhraseIDs
constexpr int kFurtherOn = 12345; // past the identifiers PhraseID + 40000 can reach
constexpr UINT kAboutCommand = 50005;

UINT ItemId(int phraseId) {
    return *TrayMenuPhraseIds().IdForPhrase(phraseId);
}

// The sample phrase that showed blanks for its accents, with its apostrophe as "Add phrase"
// stores it.
const std::string kAccentedStored = "Bonjour, j\xAC\x60"
                                    "esp\xE8re que vous allez bien";
const std::string kAccentedShown = "Bonjour, j'esp\xE8re que vous allez bien...";
// Seven blanks of the delivered text: the marker pairs and accents count as none.
const std::string kMarkedCutStored = "L\xAC\x60\xE9t\xE9 est l\xE0, c\xAC\x60"
                                     "est s\xFBr : on part \xE0 la mer";
const std::string kMarkedCutShown = "L'\xE9t\xE9 est l\xE0, c'est s\xFBr : on ...";

class MenuPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStore();
        ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
        ExecLibrarySql("INSERT INTO phrase (PhraseID, category, code, content) VALUES "
                       "(1, 'Letters', 'ten', 'one two three four five six seven eight nine ten'), "
                       "(2, 'Letters', 'break', " +
                       SqlText("line one\r\nline two") + "), (3, 'Letters', 'accented', " +
                       SqlText(kAccentedStored) + "), (4, 'Other', 'other', 'another phrase'), " +
                       "(5, 'Other', 'summer', " + SqlText(kMarkedCutStored) + "), " +
                       "(5001, 'Numbers', 'far', 'far along the library'), " +
                       "(12345, 'Numbers', 'further', 'further on still')");
        ASSERT_GE(LoadContentCache(), 7);

        // The tray menu's shape: categories with their phrases, a separator, a command.
        TrayMenuPhraseIds().Clear();
        m_letters = CreatePopupMenu();
        AppendMenuA(m_letters, MF_STRING, ItemId(kTenWords), "ten");
        AppendMenuA(m_letters, MF_STRING, ItemId(kLineBreak), "break");
        AppendMenuA(m_letters, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(m_letters, MF_STRING, ItemId(kAccented), "accented");
        AppendMenuA(m_letters, MF_STRING, kAboutCommand, "About us");
        m_other = CreatePopupMenu();
        AppendMenuA(m_other, MF_STRING, ItemId(kOther), "other");
        AppendMenuA(m_other, MF_STRING, ItemId(kMarkedCut), "summer");
        m_numbers = CreatePopupMenu();
        AppendMenuA(m_numbers, MF_STRING, ItemId(kFarAlong), "far");
        AppendMenuA(m_numbers, MF_STRING, ItemId(kFurtherOn), "further");
        m_menu = CreatePopupMenu();
        AppendMenuA(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_letters), "Letters");
        AppendMenuA(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_other), "Other");
        AppendMenuA(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_numbers), "Numbers");
        AppendMenuA(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(m_menu, MF_STRING, 50004, "Exit");

        ASSERT_TRUE(m_hook.AttachTo(m_owner.Get()));
        TestWindow::Received().clear();
    }
    void TearDown() override {
        m_hook.AttachTo(nullptr);
        DestroyMenu(m_menu);
        TrayMenuPhraseIds().Clear();
        ResetStore();
    }

    // Tracks the test menu, owned by the test window, with the steps playing.
    void Play(std::vector<MenuStep> steps) {
        MenuSteps script(std::move(steps));
        script.Run([this] {
            SetForegroundWindow(m_owner.Get());
            TrackPopupMenu(m_menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, 100, 100, 0,
                           m_owner.Get(), nullptr);
        });
    }

    bool PopupVisible() const { return IsWindowVisible(m_hook.Popup().GetSafeHwnd()) != FALSE; }
    RECT PopupRect() const {
        RECT r{};
        GetWindowRect(m_hook.Popup().GetSafeHwnd(), &r);
        return r;
    }
    std::string PopupText() const { return m_hook.Popup().GetWindowText(); }

    // The screen rectangle of an item of a displayed menu.
    RECT ItemRect(HMENU menu, int position) const {
        RECT r{};
        GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &r);
        return r;
    }
    static POINT CentreOf(RECT r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    // A point on the item, left of where the preview overlaps the menu.
    POINT LeftPartOf(HMENU menu, int position) const {
        RECT r = ItemRect(menu, position);
        return POINT{r.left + 8, (r.top + r.bottom) / 2};
    }

    // The window rectangle of the menu window that shows the item at the point.
    static RECT MenuWindowRectAt(POINT p) {
        HWND window = WindowFromPoint(p);
        RECT r{};
        GetWindowRect(window, &r);
        return r;
    }

    // Checks the preview of a phrase item against the menu as displayed.
    void ExpectPlacedBeside(HMENU menu, int position, const std::string& text) const {
        RECT item = ItemRect(menu, position);
        RECT menuWindow = MenuWindowRectAt(POINT{item.left + 8, (item.top + item.bottom) / 2});
        RECT popup = PopupRect();
        EXPECT_EQ(popup.left, menuWindow.right - CMenuPreviewHook::kPopupOverlap);
        EXPECT_EQ(popup.top, item.top) << "level with the item";
        EXPECT_EQ(popup.bottom - popup.top, item.bottom - item.top) << "the item's height";
        EXPECT_EQ(popup.right - popup.left, MenuFontTextSize(text).cx + 8);
    }

    // The step "not shown for 300 ms, then shown within 3 s": the first preview of a run.
    MenuStep ShownAfterTheDelay(const std::string& what) {
        return {what + " waits, then shows", [this, what](DWORD elapsed) {
                    if (elapsed < 300) {
                        EXPECT_FALSE(PopupVisible()) << what << " shown before the delay";
                        return false;
                    }
                    if (elapsed > 3000) {
                        ADD_FAILURE() << what << " not shown within 3 s";
                        return true;
                    }
                    return PopupVisible();
                }};
    }
    // Shown at once: visible right after the selection's notification.
    MenuStep ShownAtOnce(const std::string& text) {
        return Until("shown at once: " + text, [this, text] {
            EXPECT_TRUE(PopupVisible()) << text;
            return true;
        });
    }
    MenuStep TextIs(const std::string& text) {
        return Until("text " + text, [this, text] {
            EXPECT_EQ(PopupText(), text);
            EXPECT_EQ(CMenuPreviewHook::PreviewText(), text);
            return true;
        });
    }
    MenuStep Hidden(const std::string& why) {
        return Until("hidden: " + why, [this, why] {
            EXPECT_FALSE(PopupVisible()) << why;
            return true;
        });
    }
    // Waits until the selection notification for an item has been handled.
    MenuStep Selected(UINT id) {
        return Until("selected " + std::to_string(id), [this, id] {
            for (const ReceivedMessage& m : TestWindow::Received()) {
                if (m.message == WM_MENUSELECT && LOWORD(m.wParam) == id &&
                    HIWORD(m.wParam) != 0xFFFF) {
                    return true;
                }
            }
            return false;
        });
    }
    MenuStep ForgetNotifications() {
        return Do("forget notifications", [] { TestWindow::Received().clear(); });
    }
    MenuStep MenuOpen(HMENU menu) {
        return Until("menu shown", [this, menu] {
            RECT r = ItemRect(menu, 0);
            return r.right > r.left && CMenuPreviewHook::FindMenuWindow(menu) != nullptr;
        });
    }

    TestWindow m_owner{true};
    CMenuPreviewHook m_hook;
    HMENU m_menu = nullptr;
    HMENU m_letters = nullptr;
    HMENU m_other = nullptr;
    HMENU m_numbers = nullptr;
};

const std::string kTenWordsShown = "one two three four five six seven ...";
const std::string kLineBreakShown = "line one  line two...";

// Keyboard navigation, with the pointer away from the menu all along: it does not matter where
// the pointer is.
TEST_F(MenuPreviewTest, KeyboardNavigationShowsMovesAndHidesThePreview) {
    SetCursorPos(OffTheMenus().x, OffTheMenus().y);
    Play({
        MenuOpen(m_menu),
        Key(VK_DOWN), // "Letters": a category
        Key(VK_RIGHT),
        Selected(ItemId(kTenWords)),
        ShownAfterTheDelay("the first phrase"),
        TextIs(kTenWordsShown),
        Until("geometry",
              [this] {
                  ExpectPlacedBeside(m_letters, 0, kTenWordsShown);
                  return true;
              }),
        Pause(300),
        Until("still shown with the pointer off the menu", [this] { return PopupVisible(); }),
        ForgetNotifications(),
        Key(VK_DOWN),
        Selected(ItemId(kLineBreak)),
        ShownAtOnce("the next phrase"),
        TextIs(kLineBreakShown),
        Until("geometry",
              [this] {
                  ExpectPlacedBeside(m_letters, 1, kLineBreakShown);
                  return true;
              }),
        ForgetNotifications(),
        Key(VK_DOWN), // the keyboard skips the separator
        Selected(ItemId(kAccented)),
        ShownAtOnce("accented letters"),
        TextIs(kAccentedShown),
        Until("geometry",
              [this] {
                  ExpectPlacedBeside(m_letters, 3, kAccentedShown);
                  return true;
              }),
        ForgetNotifications(),
        Key(VK_DOWN),
        Selected(kAboutCommand),
        // Moved beside the command, then hidden once the menu is idle: the phrase whose text
        // it holds is no longer highlighted.
        Until("a fixed command hides the phrase's text", [this] { return !PopupVisible(); }),
        Until("moved to the command, its text kept",
              [this] {
                  EXPECT_EQ(PopupRect().top, ItemRect(m_letters, 4).top);
                  EXPECT_EQ(PopupText(), kAccentedShown);
                  return true;
              }),
        ForgetNotifications(),
        Key(VK_UP),
        Selected(ItemId(kAccented)),
        ShownAfterTheDelay("the phrase after a fixed command"),
        Key(VK_LEFT), // closes the submenu; the highlight stays on "Letters"
        Until("hidden on Left", [this] { return !PopupVisible(); }),
        Key(VK_DOWN), // "Other": a category
        Hidden("on the category"),
        Key(VK_RIGHT),
        Selected(ItemId(kOther)),
        ShownAfterTheDelay("the first phrase after a category"),
        TextIs("another phrase..."),
        Key(VK_ESCAPE),
        Key(VK_ESCAPE),
    });

    EXPECT_FALSE(PopupVisible()) << "hidden when the menu closes";
    // The owner got the notifications after the hook: nothing was withheld.
    EXPECT_GT(m_owner.CountReceived(WM_MENUSELECT), 0);
    EXPECT_GT(m_owner.CountReceived(WM_ENTERIDLE), 0);
}

// Wine sends no notification when Left closes a submenu: the menu's own state tells.
TEST_F(MenuPreviewTest, LeftClosingTheSubmenuHidesAndTheNextPreviewWaitsAgain) {
    SetCursorPos(OffTheMenus().x, OffTheMenus().y);
    Play({
        MenuOpen(m_menu),
        Key(VK_DOWN),
        Key(VK_RIGHT),
        Selected(ItemId(kTenWords)),
        ShownAfterTheDelay("the first phrase"),
        Key(VK_LEFT),
        Until("hidden once the submenu has closed", [this] { return !PopupVisible(); }),
        ForgetNotifications(),
        Key(VK_RIGHT),
        Selected(ItemId(kTenWords)),
        ShownAfterTheDelay("the same phrase again"),
        Key(VK_LEFT),
        Until("hidden again", [this] { return !PopupVisible(); }),
        ForgetNotifications(),
        Key(VK_RIGHT),
        Selected(ItemId(kTenWords)),
        Key(VK_LEFT), // while the preview still waits
        Pause(1500),
        Hidden("the pending preview of a closed submenu never shows"),
        Do("close", [] { EndMenu(); }),
    });
    EXPECT_FALSE(PopupVisible());
}

// The pointer moves for real, and Wine's menus neither flag the selections as the mouse's nor
// send anything when the pointer leaves: the item even stays highlighted.
TEST_F(MenuPreviewTest, PointerLeavingTheMenusHidesAndTheNextPreviewWaitsAgain) {
    SetCursorPos(OffTheMenus().x, OffTheMenus().y);
    Play({
        MenuOpen(m_menu),
        MoveTo("onto Letters", [this] { return LeftPartOf(m_menu, 0); }),
        MenuOpen(m_letters),
        MoveTo("onto the first phrase", [this] { return LeftPartOf(m_letters, 0); }),
        Selected(ItemId(kTenWords)),
        Pause(300),
        MoveTo("off the menus while its preview waits", [] { return OffTheMenus(); }),
        Pause(1500),
        Hidden("a pending preview is cancelled when the pointer leaves"),
        ForgetNotifications(),
        MoveTo("onto another phrase", [this] { return LeftPartOf(m_letters, 1); }),
        Selected(ItemId(kLineBreak)),
        ShownAfterTheDelay("the phrase the pointer came back to"),
        TextIs(kLineBreakShown),
        MoveTo("off the menus", [] { return OffTheMenus(); }),
        Until("hidden once the pointer has left", [this] { return !PopupVisible(); }),
        ForgetNotifications(),
        MoveTo("onto a third phrase", [this] { return LeftPartOf(m_letters, 3); }),
        Selected(ItemId(kAccented)),
        ShownAfterTheDelay("the next phrase after the pointer came back"),
        TextIs(kAccentedShown),
        Do("close", [] { EndMenu(); }),
    });
    EXPECT_FALSE(PopupVisible());
}

TEST_F(MenuPreviewTest, ReopeningTheMenuWaitsAgain) {
    for (int run = 0; run < 2; ++run) {
        // A streamed message: the i686 compiler's -Wrestrict misreads "text" + std::string.
        SCOPED_TRACE(::testing::Message() << "menu run " << run);
        Play({
            MenuOpen(m_menu),
            Key(VK_DOWN),
            Key(VK_RIGHT),
            Selected(ItemId(kTenWords)),
            ShownAfterTheDelay("the first phrase of the run"),
            Do("close", [] { EndMenu(); }),
        });
        EXPECT_FALSE(PopupVisible());
    }
}

// What delivery would give, cut, whatever the PhraseID: the marker as an apostrophe and
// accented letters as letters, in the real menu.
TEST_F(MenuPreviewTest, EveryPhraseShowsItsTextAsDelivered) {
    SetCursorPos(OffTheMenus().x, OffTheMenus().y);
    Play({
        MenuOpen(m_menu),
        Key(VK_DOWN),
        Key(VK_DOWN), // "Other"
        Key(VK_RIGHT),
        Selected(ItemId(kOther)),
        ShownAfterTheDelay("the first phrase"),
        ForgetNotifications(),
        Key(VK_DOWN),
        Selected(ItemId(kMarkedCut)),
        ShownAtOnce("the apostrophes and accents"),
        TextIs(kMarkedCutShown),
        Until("geometry",
              [this] {
                  ExpectPlacedBeside(m_other, 1, kMarkedCutShown);
                  return true;
              }),
        Key(VK_LEFT),
        Key(VK_DOWN), // "Numbers"
        Key(VK_RIGHT),
        Selected(ItemId(kFarAlong)),
        ShownAfterTheDelay("PhraseID 5001"),
        TextIs("far along the library..."),
        ForgetNotifications(),
        Key(VK_DOWN),
        Selected(ItemId(kFurtherOn)),
        ShownAtOnce("PhraseID 12345"),
        TextIs("further on still..."),
        Until("geometry",
              [this] {
                  ExpectPlacedBeside(m_numbers, 1, "further on still...");
                  return true;
              }),
        Do("close", [] { EndMenu(); }),
    });
}

// Windows flags a selection made with the mouse with MF_MOUSESELECT; Wine's menus never do.
// After the pointer has really moved onto an item, the test sends the owner the notification
// as Windows would have sent it, and the menu's own idle notifications do the rest.
TEST_F(MenuPreviewTest, MouseNavigationHidesOnSeparatorAndWhenThePointerLeaves) {
    auto selectedByMouse = [this](UINT id) {
        return Do("flagged as a mouse selection", [this, id] {
            SendMessageA(m_owner.Get(), WM_MENUSELECT, MAKEWPARAM(id, MF_HILITE | MF_MOUSESELECT),
                         reinterpret_cast<LPARAM>(m_letters));
        });
    };
    Play({
        MenuOpen(m_menu),
        MoveTo("onto Letters", [this] { return LeftPartOf(m_menu, 0); }),
        MenuOpen(m_letters),
        MoveTo("onto the first phrase", [this] { return LeftPartOf(m_letters, 0); }),
        Selected(ItemId(kTenWords)),
        selectedByMouse(ItemId(kTenWords)),
        ShownAfterTheDelay("the first phrase"),
        MoveTo("onto the same item, under the preview",
               [this] {
                   RECT r = ItemRect(m_letters, 0);
                   return POINT{PopupRect().left + 5, (r.top + r.bottom) / 2};
               }),
        Pause(300),
        Until("still shown over the menu", [this] { return PopupVisible(); }),
        MoveTo("onto the separator", [this] { return CentreOf(ItemRect(m_letters, 2)); }),
        Until("hidden on the separator", [this] { return !PopupVisible(); }),
        ForgetNotifications(),
        MoveTo("onto the accented phrase", [this] { return LeftPartOf(m_letters, 3); }),
        Selected(ItemId(kAccented)),
        ShownAtOnce("after a separator"),
        selectedByMouse(ItemId(kAccented)),
        TextIs(kAccentedShown),
        MoveTo("off the menu", [] { return OffTheMenus(); }),
        Until("hidden once the pointer is off the menu", [this] { return !PopupVisible(); }),
        ForgetNotifications(),
        MoveTo("back onto a phrase", [this] { return LeftPartOf(m_letters, 1); }),
        Selected(ItemId(kLineBreak)),
        ShownAfterTheDelay("back on the menu"),
        TextIs(kLineBreakShown),
        Do("close", [] { EndMenu(); }),
    });
    EXPECT_FALSE(PopupVisible());
}

TEST(MenuPreviewText, CutsTheDeliveredTextAfterItsSeventhBlank) {
    struct Case {
        std::string stored;
        std::string cut;
    };
    const Case cases[] = {
        {"one two three four five six seven eight nine ten", "one two three four five six seven "},
        {"a\r\nb", "a  b"},
        {"few words only", "few words only"},
        {"\t\t\t\t\t\t\t\tx", "       "},
        {"\x01\x1F\x20!", "   !"},
        // Bytes 0x80 to 0xFF are letters: shown, never counted.
        {"x\x80y\xFFz\xA0w \xE9 \xE0 \xFC \xC9 \xAC \x60 \x81 end",
         "x\x80y\xFFz\xA0w \xE9 \xE0 \xFC \xC9 \xAC \x60 "},
        // The marker pair is one apostrophe, as delivery gives it; a lone 0xAC stays itself.
        {"it\xAC\x60s", "it's"},
        {"\xAC\x60\xAC\x60 a b c d e f g h", "'' a b c d e f "},
        {"\xAC\x41 \xAC", "\xAC\x41 \xAC"},
        {std::string("a\0b c", 5), "a"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PreviewOfStoredText(c.stored), c.cut) << c.stored;
    }
}

} // namespace
} // namespace brevicor::testing
