// The about box, from the tray menu's "About us" and from the editor's system menu.
#include "delivery/maker_info.h"
#include "library_dialogs_fixture.h"
#include "res/resource.h"
#include "tests/wine/app/menu_script.h"

#include <memory>

namespace brevicor::testing {
namespace {

using AboutBoxTest = LibraryDialogsTest;

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
    char cls[16] = {};
    char text[256] = {};
    GetClassNameA(child, cls, sizeof(cls));
    GetWindowTextA(child, text, sizeof(text));
    // The picture's control carries its bitmap's resource number as text: not shown.
    bool picture = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
    if (lstrcmpiA(cls, "Static") == 0 && !picture && text[0] != '\0') {
        reinterpret_cast<std::vector<std::string>*>(param)->emplace_back(text);
    }
    return TRUE;
}

std::vector<std::string> StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(dialog, &CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

HWND PictureControl(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            return child;
        }
    }
    return nullptr;
}

POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Centres agree to within the rounding of the halves.
void ExpectCentredOver(HWND box, const RECT& area) {
    RECT rect{};
    GetWindowRect(box, &rect);
    POINT a = Centre(rect);
    POINT b = Centre(area);
    EXPECT_LE(std::abs(a.x - b.x), 1) << a.x << " vs " << b.x;
    EXPECT_LE(std::abs(a.y - b.y), 1) << a.y << " vs " << b.y;
}

TEST_F(AboutBoxTest, AboutUsShowsTheMakerCentredOnTheScreenAndClosesWithOk) {
    Start();
    Scenario scenario;
    scenario.Then(OnDialog(kAbout, [](HWND box) {
        const std::vector<std::string> expected = {
            std::string("Website:  ") + kMakerSite,
            "Copyright (C) 2026 Brevicor developers",
            std::string("email:  ") + kSupportEmail,
        };
        EXPECT_EQ(StaticTexts(box), expected);
        HWND picture = PictureControl(box);
        ASSERT_NE(picture, nullptr);
        EXPECT_NE(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "shows bitmap 157";
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoA(MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY), &monitor);
        ExpectCentredOver(box, monitor.rcWork); // its owner, the main window, is hidden
        EXPECT_EQ(GetFocus(), GetDlgItem(box, IDCANCEL)) << "the focus is on OK";
        Click(box, IDCANCEL);
    }));
    RunFromToolbox(Toolbox::About, scenario);
    EXPECT_EQ(FindDialog(kAbout), nullptr);
}

TEST_F(AboutBoxTest, PictureIs145PixelsSquareIn24BitColour) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDB_ABOUT), MAKEINTRESOURCEA(2));
    ASSERT_NE(found, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 145);
    EXPECT_EQ(header->biHeight, 145);
    EXPECT_EQ(header->biBitCount, 24);
}

TEST_F(AboutBoxTest, EditorsSystemMenuOpensTheBoxOverTheEditor) {
    InsertRows(kSampleRows);
    Start();
    std::unique_ptr<MenuScript> systemMenu;
    HWND editorSeen = nullptr;
    int aboutRuns = 0;
    auto checkBoxOverEditor = [&](HWND box) {
        ++aboutRuns;
        EXPECT_EQ(GetWindow(box, GW_OWNER), editorSeen);
        EXPECT_FALSE(IsWindowEnabled(editorSeen)) << "the editor waits for the box";
        RECT editorRect{};
        GetWindowRect(editorSeen, &editorRect);
        ExpectCentredOver(box, editorRect);
        Click(box, IDCANCEL);
    };
    Scenario scenario;
    scenario
        .Then(OnDialog(
            kEditor,
            [&](HWND editor) {
                editorSeen = editor;
                Type(editor, IDC_CONTENT_EDIT, "edited, not saved");
                // Alt+Space opens the system menu; Up goes to its last item, About.
                systemMenu = std::make_unique<MenuScript>(std::vector<UINT>{VK_UP, VK_RETURN});
                PostMessageA(editor, WM_SYSCOMMAND, SC_KEYMENU, ' ');
            }))
        .Then(OnDialog(kAbout, checkBoxOverEditor))
        .Then(OnDialog(kEditor,
                       [&](HWND editor) {
                           EXPECT_TRUE(systemMenu->AllKeysPressed());
                           systemMenu.reset();
                           EXPECT_EQ(Text(editor, IDC_CONTENT_EDIT), "edited, not saved")
                               << "left unchanged";
                           // The system keeps the low four bits of a command for itself: 31 is
                           // About too.
                           PostMessageA(editor, WM_SYSCOMMAND, IDM_ABOUTBOX | 0xF, 0);
                       }))
        .Then(OnDialog(kAbout, checkBoxOverEditor))
        .Then(OnDialog(kEditor, [](HWND editor) { Click(editor, IDCANCEL); }));
    RunFromToolbox(Toolbox::EditPhrase, scenario);
    systemMenu.reset();
    EXPECT_EQ(aboutRuns, 2);
    EXPECT_EQ(FindDialog(kEditor), nullptr);
    EXPECT_EQ(LibraryRows(), kSampleRows);
}

} // namespace
} // namespace brevicor::testing
