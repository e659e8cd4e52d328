#include "library_dialogs_fixture.h"

#include "app/app_state.h"
#include "app/library_check.h"
#include "app/lorvel_app.h"
#include "app/tray_dialog.h"
#include "app/tray_icon.h"
#include "res/resource.h"
#include "store/odbc_session.h"
#include "tests/wine/app/menu_script.h"

namespace brevicor::testing {

namespace {

constexpr char kLibrary[] = "database\\phrases.mdb";

CLorvelApp& App() {
    return static_cast<CLorvelApp&>(*AfxGetApp());
}

} // namespace

void LibraryDialogsTest::SetUp() {
    ResetStore();
    SetFileAttributesA(kLibrary, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(CopyFileA("database\\empty.mdb", kLibrary, FALSE));
    QuitRequested = false;
}

void LibraryDialogsTest::TearDown() {
    if (m_started) {
        App().DestroyMainWindow();
    }
    ResetStore();
    SetFileAttributesA(kLibrary, FILE_ATTRIBUTE_NORMAL);
}

namespace {

std::string g_startUpMessage;

// Runs in the start-up message's own loop: reads the box of this process and answers it.
void CALLBACK AnswerLibraryMessage(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", kLibraryMessageCaption);
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    if (box == nullptr || process != GetCurrentProcessId() || !IsWindowVisible(box)) {
        return;
    }
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
        char text[2048] = {};
        GetWindowTextA(child, text, sizeof text);
        g_startUpMessage += text;
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

} // namespace

const std::string& LibraryDialogsTest::StartUpMessage() const {
    return g_startUpMessage;
}

void LibraryDialogsTest::Start() {
    ResetStore(); // the program connects afresh, as at start-up
    g_startUpMessage.clear();
    UINT_PTR answering = SetTimer(nullptr, 0, 100, &AnswerLibraryMessage);
    const bool created = App().CreateMainWindow(IDD_LORVEL_DIALOG);
    KillTimer(nullptr, answering);
    ASSERT_TRUE(created);
    m_started = true;
    ASSERT_NE(TrayDialog, nullptr);
}

void LibraryDialogsTest::RunFromToolbox(Toolbox command, Scenario& scenario) {
    MenuScript menu(ToolboxKeys(static_cast<int>(command)));
    scenario.Run(
        [] { SendMessageA(TrayDialog, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN); });
    EXPECT_TRUE(menu.AllKeysPressed());
    EXPECT_TRUE(scenario.Completed()) << "stuck at step " << scenario.StepsDone();
}

void LibraryDialogsTest::MakeLibraryReadOnly() {
    ASSERT_TRUE(SetFileAttributesA(kLibrary, FILE_ATTRIBUTE_READONLY));
}

} // namespace brevicor::testing
