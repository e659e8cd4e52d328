// The running program inside the test process: the hidden main dialog with its TrayDialog and
// icon, the tray menu driven from the keyboard, the editor and the start-up's failure path.
#include "app/app_state.h"
#include "app/lorvel_app.h"
#include "app/lorvel_dlg.h"
#include "app/tray_dialog.h"
#include "app/tray_icon.h"
#include "app/tray_menu.h"
#include "delivery/phrase_delivery.h"
#include "framework/message_box.h"
#include "framework/win32_list_controls.h"
#include "menu_script.h"
#include "modal_probe.h"
#include "res/resource.h"
#include "store/odbc_session.h"
#include "store/phrase_queries.h"
#include "tests/wine/support/chosen_category.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace brevicor {
namespace {

using testing::ChosenCategory;
using testing::FindVisibleDialog;
using testing::MenuItemRecord;
using testing::MenuScript;
using testing::ModalProbe;
using testing::ToolboxKeys;

CLorvelApp& App() {
    return static_cast<CLorvelApp&>(*AfxGetApp());
}

struct PhraseRow {
    const char* category;
    const char* code;
    const char* content;
};

void FillLibrary(const std::vector<const char*>& emptyCategories,
                 const std::vector<PhraseRow>& phrases) {
    for (const char* name : emptyCategories) {
        ASSERT_TRUE(AddCategory(name).stored) << LastDriverMessage();
    }
    for (const PhraseRow& row : phrases) {
        ASSERT_TRUE(AddPhrase(ChosenCategory(row.category), row.code, row.content).stored)
            << LastDriverMessage();
    }
}

std::string ClipboardText() {
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT); data != nullptr) {
            if (const char* bytes = static_cast<const char*>(GlobalLock(data)); bytes != nullptr) {
                text = bytes;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    return text;
}

void SetClipboardText(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

// The 32-bit colour pixels of an icon, to tell which resource a handle shows.
std::vector<DWORD> IconPixels(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return {};
    }
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = 32;
    format.bmiHeader.biHeight = 32;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(32 * 32);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, 32, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

std::vector<DWORD> ResourcePixels(int id) {
    OwnedIcon icon = LoadOwnedIcon(GetModuleHandleA(nullptr), id);
    return IconPixels(icon.get());
}

// Whether the shell still shows the icon of a record: a modify is refused for one it has not.
bool ShellHasIcon(const NOTIFYICONDATAA& record) {
    NOTIFYICONDATAA probe = record;
    probe.uFlags = NIF_TIP;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

BOOL CALLBACK CountTrayDialogs(HWND window, LPARAM count) {
    if (GetWindowLongPtrA(window, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&TrayDialogProc)) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

int TrayDialogCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountTrayDialogs, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(TrayIconTest, RecordAndAnimationFrames) {
    HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    {
        TrayIcon icon;
        icon.Animate(); // a tick before the icon exists must touch nothing
        EXPECT_EQ(icon.FrameIndex(), 0);
        EXPECT_EQ(icon.Record().hIcon, nullptr);

        ASSERT_TRUE(icon.Add(window, GetModuleHandleA(nullptr)));
        const NOTIFYICONDATAA& record = icon.Record();
        EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(record.hWnd, window);
        EXPECT_EQ(record.uID, 2005u);
        EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(record.uCallbackMessage, 32968u);
        EXPECT_STREQ(record.szTip, "Brevicor by brevicor.example");
        EXPECT_EQ(IconPixels(record.hIcon), ResourcePixels(161)) << "added showing frame 0";
        EXPECT_TRUE(ShellHasIcon(record));

        const int shownPerTick[] = {161, 162, 163, 164, 161, 161, 162};
        for (size_t tick = 0; tick < std::size(shownPerTick); ++tick) {
            icon.Animate();
            EXPECT_EQ(IconPixels(record.hIcon), ResourcePixels(shownPerTick[tick]))
                << "tick " << tick + 1;
        }
        NOTIFYICONDATAA last = record;
        icon.Remove();
        EXPECT_FALSE(ShellHasIcon(last));
    }
    DestroyWindow(window);
}

TEST(TrayIconTest, FramesAreOneEmblemInSixteenAndIn256Colours) {
    std::vector<std::vector<DWORD>> pictures;
    for (int id = 161; id <= 164; ++id) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
        ASSERT_NE(found, nullptr) << id;
        // The group directory: 6-byte header, then 14-byte entries.
        const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
        WORD count = *reinterpret_cast<const WORD*>(group + 4);
        std::vector<std::pair<int, int>> images; // colours (0 = 256), bits per pixel
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = group + 6 + 14 * i;
            EXPECT_EQ(entry[0], 32) << id;
            EXPECT_EQ(entry[1], 32) << id;
            images.emplace_back(entry[2], *reinterpret_cast<const WORD*>(entry + 6));
        }
        EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{16, 4}, {0, 8}})) << id;
        pictures.push_back(ResourcePixels(id));
        EXPECT_FALSE(pictures.back().empty());
    }
    for (size_t a = 0; a < pictures.size(); ++a) {
        for (size_t b = a + 1; b < pictures.size(); ++b) {
            EXPECT_NE(pictures[a], pictures[b]) << "frames " << a << " and " << b << " differ";
        }
    }
}

class TrayProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStore();
        ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
        QuitRequested = false;
    }
    void TearDown() override {
        App().DestroyMainWindow();
        EXPECT_EQ(TrayDialog, nullptr);
        EXPECT_FALSE(TrayIconState().IsShown());
        ResetStore();
    }
    void Start() {
        ASSERT_TRUE(App().CreateMainWindow(IDD_LORVEL_DIALOG));
        ASSERT_NE(TrayDialog, nullptr);
    }
    // What the shell does when a mouse event happens on the icon.
    void IconEvent(UINT mouseMessage) {
        SendMessageA(TrayDialog, kTrayCallbackMessage, kTrayIconId, mouseMessage);
    }
    HWND MainWindow() { return App().m_pMainWnd->GetSafeHwnd(); }
};

TEST_F(TrayProgramTest, StartUpMakesOneHiddenMainWindowWithTrayDialogAndIcon) {
    Start();
    EXPECT_FALSE(IsWindowVisible(MainWindow()));
    EXPECT_FALSE(IsWindowVisible(TrayDialog));
    EXPECT_EQ(GetWindow(TrayDialog, GW_OWNER), MainWindow());
    EXPECT_EQ(TrayDialogCount(), 1);
    EXPECT_TRUE(TrayIconState().IsShown());
    EXPECT_EQ(TrayIconState().Record().hWnd, TrayDialog);
    EXPECT_TRUE(ShellHasIcon(TrayIconState().Record()));
}

TEST_F(TrayProgramTest, OnlyAButtonPressOnTheIconOpensTheMenu) {
    Start();
    const struct {
        UINT mouseMessage;
        bool opens;
    } cases[] = {
        {WM_LBUTTONDOWN, true},    {WM_RBUTTONDOWN, true},
        {WM_LBUTTONUP, false},     {WM_RBUTTONUP, false},
        {WM_LBUTTONDBLCLK, false}, {WM_RBUTTONDBLCLK, false},
        {WM_MOUSEMOVE, false},     {WM_MBUTTONDOWN, false},
        {WM_CONTEXTMENU, false},   {WM_USER /* NIN_SELECT */, false},
    };
    for (const auto& c : cases) {
        MenuScript script({VK_ESCAPE});
        IconEvent(c.mouseMessage);
        EXPECT_EQ(script.Opened(), c.opens) << "mouse message " << c.mouseMessage;
        EXPECT_FALSE(script.TimedOut()) << "mouse message " << c.mouseMessage;
    }
    // Other messages to the TrayDialog open nothing either.
    MenuScript script({VK_ESCAPE});
    SendMessageA(TrayDialog, WM_APP + 201, kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_FALSE(script.Opened());
}

TEST_F(TrayProgramTest, MenuListsCategoriesThenSeparatorThenToolbox) {
    FillLibrary({"Empty"}, {{"Work", "sig", "Regards"},
                            {"Greetings", "hello", "Hello there"},
                            {"Greetings", "bye", "See you"}});
    Start();
    MenuScript script({VK_ESCAPE});
    IconEvent(WM_RBUTTONDOWN);
    ASSERT_TRUE(script.Opened());
    const std::vector<MenuItemRecord>& menu = script.Menu();
    ASSERT_EQ(menu.size(), 5u);

    EXPECT_EQ(menu[0].text, "Empty");
    EXPECT_FALSE(menu[0].hasSubmenu);
    EXPECT_EQ(menu[0].id, 0u);

    const struct {
        size_t position;
        const char* name;
        std::vector<std::pair<std::string, std::string>> phrases; // code, content
    } categories[] = {
        {1, "Greetings", {{"bye", "See you"}, {"hello", "Hello there"}}},
        {2, "Work", {{"sig", "Regards"}}},
    };
    for (const auto& expected : categories) {
        const MenuItemRecord& item = menu[expected.position];
        EXPECT_EQ(item.text, expected.name);
        ASSERT_EQ(item.submenu.size(), expected.phrases.size()) << expected.name;
        for (size_t i = 0; i < expected.phrases.size(); ++i) {
            EXPECT_EQ(item.submenu[i].text, expected.phrases[i].first);
            // A phrase item's identifier is its PhraseID plus 40000.
            EXPECT_EQ(GetContentByPhraseId(static_cast<int>(item.submenu[i].id) - 40000),
                      expected.phrases[i].second);
        }
    }

    EXPECT_TRUE(menu[3].separator);
    EXPECT_EQ(menu[4].text, "Toolbox");
    std::vector<std::pair<std::string, UINT>> toolbox;
    for (const MenuItemRecord& item : menu[4].submenu) {
        toolbox.emplace_back(item.text, item.id);
    }
    EXPECT_EQ(toolbox, (std::vector<std::pair<std::string, UINT>>{{"Add Category", 50019},
                                                                  {"Delete Category", 50020},
                                                                  {"Add phrase", 50003},
                                                                  {"Edit phrase", 50001},
                                                                  {"About us", 50005},
                                                                  {"Restore Phrases...", 50021},
                                                                  {"Settings...", 50022},
                                                                  {"Exit", 50004}}));
}

TEST_F(TrayProgramTest, ChoosingAPhrasePutsItsTextAndSignatureOnTheClipboard) {
    FillLibrary({}, {{"Greetings", "bye", "See you"},
                     {"Greetings", "hello", "Hello, it's me\r\nAnna"},
                     {"Work", "sig", "Regards"}});
    Start();
    const struct {
        std::vector<UINT> keys;
        std::string delivered;
    } cases[] = {
        {{VK_DOWN, VK_RIGHT, VK_RETURN}, "See you"},
        {{VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}, "Hello, it's me\r\nAnna"},
        {{VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}, "Regards"},
    };
    for (const auto& c : cases) {
        SetClipboardText("before");
        MenuScript script(c.keys);
        IconEvent(WM_LBUTTONDOWN);
        ASSERT_TRUE(script.AllKeysPressed()) << c.delivered;
        EXPECT_FALSE(script.TimedOut());
        EXPECT_EQ(ClipboardText(), c.delivered + SignatureBlock());
    }
}

TEST_F(TrayProgramTest, CategoryWithoutPhrasesDeliversNothingAtAnyPosition) {
    FillLibrary({"Alpha", "Beta"}, {{"Gamma", "g", "Gamma text"}});
    Start();
    const struct {
        const char* what;
        std::vector<UINT> keys;
    } cases[] = {
        {"first category, identifier 0", {VK_DOWN, VK_RETURN}},
        {"second category, identifier 1", {VK_DOWN, VK_DOWN, VK_RETURN}},
        {"menu dismissed", {VK_ESCAPE}},
    };
    for (const auto& c : cases) {
        SetClipboardText("before");
        MenuScript script(c.keys);
        IconEvent(WM_LBUTTONDOWN);
        ASSERT_TRUE(script.AllKeysPressed()) << c.what;
        EXPECT_EQ(ClipboardText(), "before") << c.what;
    }
}

TEST_F(TrayProgramTest, ExitRemovesTheIconAndEndsTheMainLoop) {
    Start();
    NOTIFYICONDATAA record = TrayIconState().Record();
    ASSERT_TRUE(ShellHasIcon(record));
    MenuScript script(ToolboxKeys(0));
    IconEvent(WM_RBUTTONDOWN);
    ASSERT_TRUE(script.AllKeysPressed());
    EXPECT_TRUE(QuitRequested);
    EXPECT_FALSE(TrayIconState().IsShown());
    EXPECT_FALSE(ShellHasIcon(record));
}

TEST_F(TrayProgramTest, EditPhraseOpensAVisibleEditorAndNoSecondTrayDialogOrIcon) {
    FillLibrary({}, {{"Greetings", "hello", "Hello there"},
                     {"Greetings", "bye", "See you"},
                     {"Greetings", "thanks", "Thank you"}});
    Start();
    HWND main = MainWindow();
    HWND trayDialog = TrayDialog;
    HICON firstFrame = TrayIconState().Frame(0);

    bool inspected = false;
    ModalProbe probe([&] {
        HWND editor = FindVisibleDialog();
        if (editor == nullptr) {
            return false; // the menu is still open, or the editor not shown yet
        }
        inspected = true;
        EXPECT_NE(editor, main);
        EXPECT_TRUE(CWnd::FromHandle(editor)->IsKindOf(RUNTIME_CLASS(CLorvelDlg)));
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_FALSE(IsWindowEnabled(main)) << "the owner is disabled while the editor runs";
        EXPECT_EQ(TrayDialogCount(), 1);
        EXPECT_EQ(TrayDialog, trayDialog);
        EXPECT_EQ(TrayIconState().Frame(0), firstFrame) << "the icon was not added again";
        EXPECT_NE(GetWindowLongPtrA(editor, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

        HMENU systemMenu = GetSystemMenu(editor, FALSE);
        int last = GetMenuItemCount(systemMenu) - 1;
        char text[64] = {};
        GetMenuStringA(systemMenu, static_cast<UINT>(last), text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(text, "&About Parlivo...");
        EXPECT_EQ(GetMenuItemID(systemMenu, last), 16u);
        EXPECT_EQ(GetMenuState(systemMenu, static_cast<UINT>(last - 1), MF_BYPOSITION) &
                      MF_SEPARATOR,
                  static_cast<UINT>(MF_SEPARATOR));

        Win32ComboBox categories(GetDlgItem(editor, IDC_CATEGORY_COMBO));
        Win32ComboBox phrases(GetDlgItem(editor, IDC_PHRASE_COMBO));
        EXPECT_EQ(categories.SelectedText(), "Greetings");
        EXPECT_EQ(phrases.SelectedText(), "hello") << "the library's row order";
        char content[64] = {};
        GetDlgItemTextA(editor, IDC_CONTENT_EDIT, content, sizeof(content));
        EXPECT_STREQ(content, "Hello there");

        // The close box acts as Cancel and ends the editor.
        PostMessageA(editor, WM_CLOSE, 0, 0);
        return true;
    });
    MenuScript script(ToolboxKeys(4)); // "Edit phrase"
    IconEvent(WM_LBUTTONDOWN);
    EXPECT_TRUE(inspected);
    EXPECT_FALSE(probe.TimedOut());
    EXPECT_EQ(FindVisibleDialog(), nullptr) << "the editor is closed";
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(TrayIconState().IsShown());
}

// Counts the keys that reach a control.
WNDPROC g_controlProc = nullptr;
std::vector<WPARAM> g_keysReceived;
LRESULT CALLBACK CountKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        g_keysReceived.push_back(wParam);
    }
    return CallWindowProcA(g_controlProc, window, message, wParam, lParam);
}

int g_helpRequests = 0;
LRESULT CALLBACK CountHelp(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_HELP) {
        ++g_helpRequests;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(TrayProgramTest, F1InAnOpenEditorDoesNothing) {
    Start();
    g_keysReceived.clear();
    g_helpRequests = 0;
    HHOOK helpHook = SetWindowsHookExA(WH_CALLWNDPROC, &CountHelp, nullptr, GetCurrentThreadId());
    HWND editor = nullptr;
    HWND control = nullptr;
    int phase = 0;
    ModalProbe probe([&] {
        if (phase == 0) {
            editor = FindVisibleDialog();
            if (editor == nullptr || GetActiveWindow() != editor) {
                return false;
            }
            control = GetDlgItem(editor, IDC_CONTENT_EDIT);
            SetFocus(control);
            g_controlProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountKeys)));
            // F1, then F2 to show that keys posted this way do reach the control.
            PostMessageA(control, WM_KEYDOWN, VK_F1, 0);
            PostMessageA(control, WM_KEYDOWN, VK_F2, 0);
            phase = 1;
            return false;
        }
        EXPECT_TRUE(IsWindow(editor)) << "the editor stays open";
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_controlProc));
        PostMessageA(editor, WM_CLOSE, 0, 0);
        return true;
    });
    DispatchTrayCommand(ID_TRAY_EDIT_PHRASE);
    UnhookWindowsHookEx(helpHook);
    EXPECT_FALSE(probe.TimedOut());
    EXPECT_EQ(g_keysReceived, std::vector<WPARAM>{VK_F2});
    EXPECT_EQ(g_helpRequests, 0);
}

TEST_F(TrayProgramTest, EveryToolboxDialogOpensOverTheHiddenMainWindowAndCloses) {
    Start();
    const struct {
        int stepsUpFromExit;
        const char* caption;
    } cases[] = {
        {1, "Brevicor Settings"}, // Settings...
        {2, "Restore Phrases"},   // Restore Phrases...
        {3, "Brevicor"},          // About us
        {5, "Add New Phrase"},    // Add phrase
        {6, "Delete Category"},   // Delete Category
        {7, "Add Category"},      // Add Category
    };
    for (const auto& c : cases) {
        std::string caption;
        ModalProbe probe([&] {
            HWND dialog = FindVisibleDialog();
            if (dialog == nullptr) {
                return false;
            }
            char text[64] = {};
            GetWindowTextA(dialog, text, sizeof(text));
            caption = text;
            EXPECT_FALSE(IsWindowEnabled(MainWindow())) << c.caption;
            PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        });
        MenuScript script(ToolboxKeys(c.stepsUpFromExit));
        IconEvent(WM_LBUTTONDOWN);
        EXPECT_EQ(caption, c.caption);
        EXPECT_FALSE(probe.TimedOut()) << c.caption;
        EXPECT_EQ(FindVisibleDialog(), nullptr) << c.caption;
        EXPECT_TRUE(IsWindowEnabled(MainWindow())) << c.caption;
    }
}

TEST_F(TrayProgramTest, MainWindowThatCannotBeCreatedIsReportedAndLeavesNoIcon) {
    std::string message;
    ModalProbe probe([&] {
        HWND box = FindVisibleDialog();
        if (box == nullptr) {
            return false;
        }
        char caption[64] = {};
        GetWindowTextA(box, caption, sizeof(caption));
        EXPECT_EQ(caption, ApplicationName());
        HWND child = nullptr;
        while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
            char text[256] = {};
            GetWindowTextA(child, text, sizeof(text));
            message += text;
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    EXPECT_FALSE(App().CreateMainWindow(9999)); // no such template
    EXPECT_FALSE(probe.TimedOut());
    EXPECT_NE(message.find("could not create its main window"), std::string::npos) << message;
    EXPECT_EQ(App().m_pMainWnd, nullptr);
    EXPECT_EQ(TrayDialog, nullptr);
    EXPECT_FALSE(TrayIconState().IsShown());
}

} // namespace
} // namespace brevicor
