// The hover preview in a real tracked popup menu, driven by injected keys and mouse moves from
// a timer while the menu runs its own loop.
#include "preview/menu_preview_hook.h"
#include "store/category_list.h"
#include "store/odbc_session.h"
#include "tests/wine/lists/library_sql.h"
#include "tests/wine/preview/preview_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace brevicor::testing {
namespace {

// One step of a script run inside the menu loop: polled every tick until it says it is done.
struct Step {
    std::string what;
    std::function<bool(DWORD elapsedMs)> poll;
};

// Runs a script of steps from a thread timer while TrackPopupMenu runs. A step that does not
// finish within its limit fails the test and closes the menu, so nothing hangs.
class MenuScript {
public:
    explicit MenuScript(std::vector<Step> steps) : m_steps(std::move(steps)) {}

    // Tracks the menu owned by the window and plays the script; returns when the menu closes.
    void Run(HWND owner, HMENU menu) {
        s_running = this;
        m_stepStart = GetTickCount();
        UINT_PTR timer = SetTimer(nullptr, 0, 20, &MenuScript::Tick);
        SetForegroundWindow(owner);
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, 100, 100, 0, owner,
                       nullptr);
        KillTimer(nullptr, timer);
        s_running = nullptr;
        EXPECT_EQ(m_next, m_steps.size())
            << "the menu closed before step " << m_next << " ("
            << (m_next < m_steps.size() ? m_steps[m_next].what : "") << ")";
    }

private:
    static constexpr DWORD kStepLimitMs = 5000;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_running != nullptr) {
            s_running->Advance();
        }
    }

    // One step at most per tick, so that the menu loop handles what a step caused before the
    // next step looks.
    void Advance() {
        if (m_next >= m_steps.size()) {
            return;
        }
        DWORD elapsed = GetTickCount() - m_stepStart;
        if (m_steps[m_next].poll(elapsed)) {
            ++m_next;
            m_stepStart = GetTickCount();
        } else if (elapsed > kStepLimitMs) {
            ADD_FAILURE() << "step " << m_next << " (" << m_steps[m_next].what
                          << ") did not finish";
            m_next = m_steps.size() + 1;
            EndMenu();
        }
    }

    static inline MenuScript* s_running = nullptr;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_stepStart = 0;
};

// Step makers.
Step Do(std::string what, std::function<void()> action) {
    return {std::move(what), [action = std::move(action)](DWORD) {
                action();
                return true;
            }};
}

Step Pause(DWORD ms) {
    return {"pause", [ms](DWORD elapsed) { return elapsed >= ms; }};
}

Step Until(std::string what, std::function<bool()> condition) {
    return {std::move(what), [condition = std::move(condition)](DWORD) { return condition(); }};
}

Step Key(WORD key) {
    return Do("key " + std::to_string(key), [key] {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    });
}

// Moves the pointer to a screen point computed when the step runs.
Step MoveTo(std::string what, std::function<POINT()> where) {
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

// The phrases of the test library; their menu items carry PhraseID + 40000.
constexpr int kTenWords = 1;
constexpr int kLineBreak = 2;
constexpr int kHighBytes = 3;
constexpr int kOther = 4;
constexpr UINT kAboutCommand = 50005;

UINT ItemId(int phraseId) {
    return static_cast<UINT>(40000 + phraseId);
}

class MenuPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStore();
        ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
        ExecLibrarySql("INSERT INTO phrase (PhraseID, category, code, content) VALUES "
                       "(1, 'Letters', 'ten', 'one two three four five six seven eight nine ten'), "
                       "(2, 'Letters', 'break', " +
                       SqlText("line one\r\nline two") + "), (3, 'Letters', 'high', " +
                       SqlText("caf\xE9 na\xEFve \x80uro x\xFFy end") +
                       "), (4, 'Other', 'other', 'another phrase')");
        ASSERT_GE(LoadContentCache(), 4);

        // The tray menu's shape: categories with their phrases, a separator, a command.
        m_letters = CreatePopupMenu();
        AppendMenuA(m_letters, MF_STRING, ItemId(kTenWords), "ten");
        AppendMenuA(m_letters, MF_STRING, ItemId(kLineBreak), "break");
        AppendMenuA(m_letters, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(m_letters, MF_STRING, ItemId(kHighBytes), "high");
        AppendMenuA(m_letters, MF_STRING, kAboutCommand, "About us");
        HMENU other = CreatePopupMenu();
        AppendMenuA(other, MF_STRING, ItemId(kOther), "other");
        m_menu = CreatePopupMenu();
        AppendMenuA(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_letters), "Letters");
        AppendMenuA(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(other), "Other");
        AppendMenuA(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(m_menu, MF_STRING, 50004, "Exit");

        ASSERT_TRUE(m_hook.AttachTo(m_owner.Get()));
        TestWindow::Received().clear();
    }
    void TearDown() override {
        m_hook.AttachTo(nullptr);
        DestroyMenu(m_menu);
        ResetStore();
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
    Step ShownAfterTheDelay(const std::string& what) {
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
    Step ShownAtOnce(const std::string& text) {
        return Until("shown at once: " + text, [this, text] {
            EXPECT_TRUE(PopupVisible()) << text;
            return true;
        });
    }
    Step TextIs(const std::string& text) {
        return Until("text " + text, [this, text] {
            EXPECT_EQ(PopupText(), text);
            EXPECT_EQ(CMenuPreviewHook::PreviewText(), text);
            return true;
        });
    }
    Step Hidden(const std::string& why) {
        return Until("hidden: " + why, [this, why] {
            EXPECT_FALSE(PopupVisible()) << why;
            return true;
        });
    }
    // Waits until the selection notification for an item has been handled.
    Step Selected(UINT id) {
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
    Step ForgetNotifications() {
        return Do("forget notifications", [] { TestWindow::Received().clear(); });
    }
    Step MenuOpen(HMENU menu) {
        return Until("menu shown", [this, menu] {
            RECT r = ItemRect(menu, 0);
            return r.right > r.left && CMenuPreviewHook::FindMenuWindow(menu) != nullptr;
        });
    }

    TestWindow m_owner{true};
    CMenuPreviewHook m_hook;
    HMENU m_menu = nullptr;
    HMENU m_letters = nullptr;
};

const std::string kTenWordsShown = "one two three four five six seven ...";
const std::string kLineBreakShown = "line one  line two...";
const std::string kHighBytesShown = "caf  na ve  uro x ...";

TEST_F(MenuPreviewTest, KeyboardNavigationShowsMovesAndHidesThePreview) {
    MenuScript script({
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
        Selected(ItemId(kHighBytes)),
        ShownAtOnce("bytes 0x80 to 0xFF"),
        TextIs(kHighBytesShown),
        ForgetNotifications(),
        Key(VK_DOWN),
        Selected(kAboutCommand),
        Until("a fixed command moves the popup only",
              [this] {
                  EXPECT_TRUE(PopupVisible());
                  EXPECT_EQ(PopupText(), kHighBytesShown);
                  EXPECT_EQ(PopupRect().top, ItemRect(m_letters, 4).top);
                  return true;
              }),
        Key(VK_LEFT), // closes the submenu; the highlight stays on "Letters"
        Key(VK_DOWN), // "Other": a category
        Until("hidden on the category", [this] { return !PopupVisible(); }),
        Key(VK_RIGHT),
        Selected(ItemId(kOther)),
        ShownAfterTheDelay("the first phrase after a category"),
        TextIs("another phrase..."),
        Key(VK_ESCAPE),
        Key(VK_ESCAPE),
    });
    script.Run(m_owner.Get(), m_menu);

    EXPECT_FALSE(PopupVisible()) << "hidden when the menu closes";
    // The owner got the notifications after the hook: nothing was withheld.
    EXPECT_GT(m_owner.CountReceived(WM_MENUSELECT), 0);
    EXPECT_GT(m_owner.CountReceived(WM_ENTERIDLE), 0);
}

TEST_F(MenuPreviewTest, ReopeningTheMenuWaitsAgain) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("menu run " + std::to_string(run));
        MenuScript script({
            MenuOpen(m_menu),
            Key(VK_DOWN),
            Key(VK_RIGHT),
            Selected(ItemId(kTenWords)),
            ShownAfterTheDelay("the first phrase of the run"),
            Do("close", [] { EndMenu(); }),
        });
        script.Run(m_owner.Get(), m_menu);
        EXPECT_FALSE(PopupVisible());
    }
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
    MenuScript script({
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
        MoveTo("onto the phrase with high bytes", [this] { return LeftPartOf(m_letters, 3); }),
        Selected(ItemId(kHighBytes)),
        ShownAtOnce("after a separator"),
        selectedByMouse(ItemId(kHighBytes)),
        TextIs(kHighBytesShown),
        MoveTo("off the menu",
               [] {
                   return POINT{5, GetSystemMetrics(SM_CYSCREEN) - 5};
               }),
        Until("hidden once the pointer is off the menu", [this] { return !PopupVisible(); }),
        ForgetNotifications(),
        MoveTo("back onto a phrase", [this] { return LeftPartOf(m_letters, 1); }),
        Selected(ItemId(kLineBreak)),
        ShownAtOnce("back on the menu"),
        TextIs(kLineBreakShown),
        Do("close", [] { EndMenu(); }),
    });
    script.Run(m_owner.Get(), m_menu);
    EXPECT_FALSE(PopupVisible());
}

TEST(MenuPreviewText, CutsAfterTheSeventhBlank) {
    struct Case {
        std::string text;
        std::string cut;
    };
    const Case cases[] = {
        {"one two three four five six seven eight nine ten", "one two three four five six seven "},
        {"a\r\nb", "a  b"},
        {"few words only", "few words only"},
        {"\t\t\t\t\t\t\t\tx", "       "},
        {std::string("x\x80y\xFFz\xA0") + "w", "x y z w"},
        {std::string("a\0b c", 5), "a"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutPreviewText(c.text), c.cut) << c.text;
    }
}

} // namespace
} // namespace brevicor::testing
