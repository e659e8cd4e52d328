// The real brevicor.exe as a separate process, reached from the keyboard: the hotkey pressed in
// a window of this test opens the tray menu at its caret, and a phrase chosen there is pasted
// into that window with the earlier clipboard content put back; "brevicor.exe /menu" asks the
// running copy for the same menu; a key held by another program is reported.
#include "tests/wine/app/program_process.h"
#include "tests/wine/lists/library_sql.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace brevicor::testing;

constexpr char kSettingsKey[] = "Software\\Brevicor";
const std::string kSignatureStart = "\n\n\nDone by Brevicor from ";

// Runs this thread's messages (the target window lives here) until the condition holds.
template <class Condition> bool PumpUntil(Condition condition, DWORD limitMs = kTimeLimitMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limitMs) {
            return condition();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// The user presses a key with modifiers, as the keyboard would send it.
void PressChord(std::vector<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) {
        inputs.push_back(Key(m, false));
    }
    inputs.push_back(Key(key, false));
    inputs.push_back(Key(key, true));
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) {
        inputs.push_back(Key(*m, true));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressCtrlAltSpace() {
    PressChord({VK_CONTROL, VK_MENU}, VK_SPACE);
}

// A window the user types in, as a text editor is: a frame whose edit control keeps the focus.
class TypingTarget {
public:
    // `keepsFocusOnText`: the frame puts the focus back on its text when activated, as an
    // editor does; without it the default handling leaves the focus on the frame.
    explicit TypingTarget(const char* text = "Dear ", bool keepsFocusOnText = true) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "BrevicorTypingTarget";
        RegisterClassA(&windowClass);
        m_frame = CreateWindowExA(0, "BrevicorTypingTarget", "Typing target",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 500, 300, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
        m_edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", text,
                                 WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 10, 10, 460,
                                 200, m_frame, nullptr, windowClass.hInstance, nullptr);
        if (keepsFocusOnText) {
            SetWindowLongPtrA(m_frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_edit));
        }
        Activate();
    }
    ~TypingTarget() {
        if (IsWindow(m_frame)) {
            DestroyWindow(m_frame);
        }
    }
    TypingTarget(const TypingTarget&) = delete;
    TypingTarget& operator=(const TypingTarget&) = delete;

    // The user clicks into the text, after its last character.
    bool Activate() {
        SetForegroundWindow(m_frame);
        SetFocus(m_edit);
        int end = GetWindowTextLengthA(m_edit);
        SendMessageA(m_edit, EM_SETSEL, end, end);
        return PumpUntil([&] { return IsActive(); });
    }
    bool IsActive() const { return GetForegroundWindow() == m_frame && GetFocus() == m_edit; }

    std::string Text() const {
        std::string text(static_cast<size_t>(GetWindowTextLengthA(m_edit)) + 1, '\0');
        GetWindowTextA(m_edit, text.data(), static_cast<int>(text.size()));
        text.resize(text.size() - 1);
        return text;
    }
    HWND Frame() const { return m_frame; }
    HWND Edit() const { return m_edit; }
    void Close() { DestroyWindow(m_frame); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETFOCUS) {
            // As an editor does: the text gets the focus whenever the frame does.
            if (HWND edit = reinterpret_cast<HWND>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
                SetFocus(edit);
                return 0;
            }
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND m_frame = nullptr;
    HWND m_edit = nullptr;
};

// What another program left on the clipboard: text and a format of its own.
const std::string kEarlierText = "what was copied before";
const std::vector<BYTE> kEarlierBytes = {1, 2, 3, 0, 255, 7};

UINT OwnFormat() {
    static const UINT format = RegisterClipboardFormatA("Brevicor test: another program's data");
    return format;
}

HGLOBAL Block(const void* data, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    return block;
}

void PutEarlierContent(HWND owner) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, Block(kEarlierText.c_str(), kEarlierText.size() + 1));
    SetClipboardData(OwnFormat(), Block(kEarlierBytes.data(), kEarlierBytes.size()));
    CloseClipboard();
}

struct ClipboardSeen {
    std::string text;
    std::vector<BYTE> own; // the other program's format, empty when absent
    bool operator==(const ClipboardSeen&) const = default;
};
void PrintTo(const ClipboardSeen& seen, std::ostream* out) {
    *out << "text \"" << seen.text << "\", own format of " << seen.own.size() << " bytes";
}

ClipboardSeen ReadClipboard() {
    ClipboardSeen seen;
    if (!OpenClipboard(nullptr)) {
        return {"(busy)", {}};
    }
    if (HANDLE text = GetClipboardData(CF_TEXT)) {
        seen.text = static_cast<const char*>(GlobalLock(text));
        GlobalUnlock(text);
    }
    if (HANDLE own = GetClipboardData(OwnFormat())) {
        const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(own));
        // The block may be rounded up; the data is its first bytes.
        if (GlobalSize(own) >= kEarlierBytes.size()) {
            seen.own.assign(bytes, bytes + kEarlierBytes.size());
        }
        GlobalUnlock(own);
    }
    CloseClipboard();
    return seen;
}

const ClipboardSeen kEarlier{kEarlierText, kEarlierBytes};

// Waits until what the clipboard holds satisfies the test. The clipboard is opened only when it
// has changed since the last look: a test that kept opening it would make the program's own
// attempts fail as another busy program's do, and the phrase would never be delivered.
template <class Test> bool PumpUntilClipboard(Test test) {
    DWORD looked = 0;
    bool first = true;
    return PumpUntil([&] {
        DWORD now = GetClipboardSequenceNumber();
        if (!first && now == looked) {
            return false;
        }
        first = false;
        looked = now;
        return test(ReadClipboard());
    });
}

void DeleteSettings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void StoreSetting(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

DWORD StoredSetting(const char* name) {
    DWORD value = 0xDEAD;
    DWORD size = sizeof(value);
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

bool KeyIsTaken(UINT modifiers, UINT key) {
    if (RegisterHotKey(nullptr, 0x7001, modifiers, key)) {
        UnregisterHotKey(nullptr, 0x7001);
        return false;
    }
    return true;
}

HWND FindMenu(const Program& program) {
    for (HWND window : program.TopLevelWindows()) {
        if (ClassOf(window) == "#32768" && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

// Waits for the program's tray menu, pumping this thread so its windows answer meanwhile.
HWND WaitForMenu(const Program& program) {
    HWND menu = nullptr;
    PumpUntil([&] { return (menu = FindMenu(program)) != nullptr || !program.Running(); });
    return menu;
}

POINT TopLeft(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top};
}

// In the menu: the first category, its first phrase, chosen.
void ChooseFirstPhrase(HWND menu) {
    for (UINT key : {VK_DOWN, VK_RIGHT, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
}

class HotkeyProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettings();
        ASSERT_TRUE(CopyFileA("database\\empty.mdb", "database\\phrases.mdb", FALSE));
        ExecLibrarySql("INSERT INTO phrase (category, code, content) VALUES "
                       "('Greetings', 'hello', 'Hello there')");
        ExecLibrarySql("INSERT INTO phrase (category, code, content) VALUES "
                       "('Work', 'sig', 'Regards')");
        m_folder = MakeProgramFolder("hotkey program", Database::Library, "database\\phrases.mdb");
    }
    void TearDown() override { DeleteSettings(); }

    // Starts the program and waits until it has registered its hotkey.
    std::unique_ptr<Program> StartProgram(const std::string& arguments = "") {
        auto program = std::make_unique<Program>(m_folder, arguments);
        EXPECT_TRUE(program->Started());
        m_trayDialog = program->WaitForTrayDialog();
        EXPECT_NE(m_trayDialog, nullptr);
        EXPECT_TRUE(
            program->WaitUntil([] { return FindWindowA("BrevicorKeyboardEntry", nullptr); }));
        return program;
    }

    // Ends the program through its own Exit, with this thread's windows answering meanwhile.
    void Exit(const Program& program) {
        PostMessageA(m_trayDialog, 32968, 2005, WM_RBUTTONDOWN);
        HWND menu = WaitForMenu(program);
        ASSERT_NE(menu, nullptr) << "the tray menu opens";
        for (UINT key : {VK_UP, VK_RIGHT, VK_UP, VK_RETURN}) {
            PostMessageA(menu, WM_KEYDOWN, key, 0);
        }
        long status = -1;
        EXPECT_TRUE(PumpUntil([&] { return (status = program.WaitForExit(0)) != -1; }));
        EXPECT_EQ(status, 0);
    }

    std::string m_folder;
    HWND m_trayDialog = nullptr;
};

TEST_F(HotkeyProcessTest, HotkeyPastesThePhraseAtTheCaretAndPutsTheClipboardBack) {
    auto program = StartProgram();
    TypingTarget target;
    ASSERT_TRUE(target.IsActive());
    PutEarlierContent(target.Frame());
    POINT caret{};
    GetCaretPos(&caret);
    ClientToScreen(target.Edit(), &caret);
    SetCursorPos(1000, 800); // far from the caret

    PressCtrlAltSpace();
    HWND menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr) << "the hotkey opens the menu";
    POINT at = TopLeft(menu);
    EXPECT_NEAR(at.x, caret.x, 2) << "at the caret";
    EXPECT_GE(at.y, caret.y) << "just below the caret's top";
    EXPECT_LE(at.y, caret.y + 30) << "just below the caret";
    EXPECT_EQ(ReadClipboard(), kEarlier) << "opening the menu changes nothing";

    ChooseFirstPhrase(menu);
    std::string expected = "Dear Hello there" + kSignatureStart;
    ASSERT_TRUE(PumpUntil([&] { return target.Text().rfind(expected, 0) == 0; }))
        << "pasted into the target: \"" << target.Text() << "\"";
    EXPECT_TRUE(PumpUntilClipboard([](const ClipboardSeen& seen) { return seen == kEarlier; }))
        << "the earlier content is back, every format of it: " << ReadClipboard().text;
    EXPECT_TRUE(target.IsActive()) << "the typing goes on where it was";
    EXPECT_EQ(target.Text().find(kEarlierText), std::string::npos)
        << "the earlier content came back only after the paste";
    Exit(*program);
}

TEST_F(HotkeyProcessTest, FocusGoesBackToTheControlEvenWhenTheWindowDoesNotPutItThere) {
    auto program = StartProgram();
    TypingTarget target("Dear ", false);
    ASSERT_TRUE(target.IsActive());
    PutEarlierContent(target.Frame());
    PressCtrlAltSpace();
    HWND menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr);
    ChooseFirstPhrase(menu);
    EXPECT_TRUE(PumpUntil([&] { return target.Text().rfind("Dear Hello there", 0) == 0; }))
        << "pasted into the text that had the focus: \"" << target.Text() << "\"";
    EXPECT_TRUE(PumpUntilClipboard([](const ClipboardSeen& seen) { return seen == kEarlier; }));
    EXPECT_TRUE(target.IsActive());
    Exit(*program);
}

TEST_F(HotkeyProcessTest, SettingsDecideWhetherThePhraseIsPastedAndWhetherItStays) {
    const struct {
        const char* what;
        DWORD paste;
        DWORD keep;
        bool pasted;
        bool phraseStays;
    } cases[] = {
        {"keep the phrase", 1, 1, true, true},
        {"no pasting", 0, 0, false, true},
    };
    for (const auto& c : cases) {
        StoreSetting("PasteIntoPreviousWindow", c.paste);
        StoreSetting("KeepPhraseOnClipboard", c.keep);
        auto program = StartProgram();
        TypingTarget target;
        PutEarlierContent(target.Frame());
        PressCtrlAltSpace();
        HWND menu = WaitForMenu(*program);
        ASSERT_NE(menu, nullptr) << c.what;
        ChooseFirstPhrase(menu);
        std::string phrase = "Hello there" + kSignatureStart;
        ASSERT_TRUE(PumpUntilClipboard([&](const ClipboardSeen& seen) {
            return seen.text.rfind(phrase, 0) == 0;
        })) << c.what
            << ": the phrase is on the clipboard";
        EXPECT_TRUE(ReadClipboard().own.empty()) << c.what << ": the phrase alone";
        if (c.pasted) {
            EXPECT_TRUE(PumpUntil([&] { return target.Text().rfind("Dear " + phrase, 0) == 0; }))
                << c.what << ": \"" << target.Text() << "\"";
        }
        EXPECT_TRUE(PumpUntil([&] { return target.IsActive(); })) << c.what << ": focus is back";
        Exit(*program);
        if (!c.pasted) {
            EXPECT_EQ(target.Text(), "Dear ") << c.what << ": nothing was typed";
        }
        EXPECT_EQ(ReadClipboard().text.rfind(phrase, 0), 0u)
            << c.what << ": the phrase stays after the program ends";
    }
}

TEST_F(HotkeyProcessTest, MenuClosedWithoutAChoiceChangesNothing) {
    auto program = StartProgram();
    TypingTarget target;
    PutEarlierContent(target.Frame());
    PressCtrlAltSpace();
    HWND menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(PumpUntil([&] { return FindMenu(*program) == nullptr; }));
    EXPECT_TRUE(PumpUntil([&] { return target.IsActive(); })) << "the focus is back";
    EXPECT_EQ(target.Text(), "Dear ");
    EXPECT_EQ(ReadClipboard(), kEarlier);
    Exit(*program);
}

TEST_F(HotkeyProcessTest, TargetClosedMeanwhileGetsNothingAndThePhraseStays) {
    auto program = StartProgram();
    TypingTarget bystander("Not here");
    TypingTarget target;
    PutEarlierContent(target.Frame());
    PressCtrlAltSpace();
    HWND menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr);
    target.Close();
    ChooseFirstPhrase(menu);
    std::string phrase = "Hello there" + kSignatureStart;
    EXPECT_TRUE(PumpUntilClipboard([&](const ClipboardSeen& seen) {
        return seen.text.rfind(phrase, 0) == 0;
    })) << "the phrase stays on the clipboard: "
        << ReadClipboard().text;
    Exit(*program); // the program has finished delivering before it reads Exit
    EXPECT_EQ(bystander.Text(), "Not here") << "nothing was sent to another window";
}

TEST_F(HotkeyProcessTest, BusyClipboardSkipsThePasteAndLosesNothing) {
    auto program = StartProgram();
    TypingTarget target;
    PutEarlierContent(target.Frame());
    PressCtrlAltSpace();
    HWND menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr);
    // Another program has the clipboard open, and keeps it until the paste has given up.
    ASSERT_TRUE(OpenClipboard(target.Frame()));
    ChooseFirstPhrase(menu);
    ASSERT_TRUE(PumpUntil([&] { return FindMenu(*program) == nullptr; }));
    // Held past the program's one second of retries: with a window manager the target may be
    // active again before the program has given up, and letting go then would let it paste.
    PumpUntil([] { return false; }, 1500);
    bool focusBack = PumpUntil([&] { return target.IsActive(); });
    CloseClipboard();
    EXPECT_TRUE(focusBack) << "the user goes on typing where they were";
    EXPECT_EQ(ReadClipboard(), kEarlier);
    Exit(*program); // the program has finished its delivery before it reads Exit
    EXPECT_EQ(target.Text(), "Dear ") << "nothing was pasted";
    EXPECT_EQ(ReadClipboard(), kEarlier);
}

TEST_F(HotkeyProcessTest, ChangedHotkeyWorksWithoutARestart) {
    auto program = StartProgram();
    // The program takes its key once it is up; the test must not ask before that.
    ASSERT_TRUE(PumpUntil([] { return KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE); }));
    // Toolbox, "Settings...", the key before Exit.
    PostMessageA(m_trayDialog, 32968, 2005, WM_RBUTTONDOWN);
    HWND menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr);
    for (UINT key : {VK_UP, VK_RIGHT, VK_UP, VK_UP, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
    HWND dialog = program->WaitForWindow([](HWND window) {
        return IsWindowVisible(window) && TextOf(window) == "Brevicor Settings";
    });
    ASSERT_NE(dialog, nullptr);
    SendDlgItemMessageA(dialog, 1040, HKM_SETHOTKEY,
                        MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }));
    // The program saves and takes the new key after its dialog has gone.
    const DWORD chosen = MAKELONG(VK_F9, MOD_CONTROL | MOD_SHIFT);
    EXPECT_TRUE(PumpUntil([&] { return StoredSetting("Hotkey") == chosen; }))
        << StoredSetting("Hotkey");
    EXPECT_TRUE(PumpUntil([] { return !KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE); }))
        << "the old key is free";

    TypingTarget target;
    PutEarlierContent(target.Frame());
    PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
    menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr) << "the new key opens the menu";
    ChooseFirstPhrase(menu);
    EXPECT_TRUE(PumpUntil([&] { return target.Text().rfind("Dear Hello there", 0) == 0; }));
    EXPECT_TRUE(PumpUntilClipboard([](const ClipboardSeen& seen) { return seen == kEarlier; }));
    Exit(*program);
}

TEST_F(HotkeyProcessTest, KeyHeldByAnotherProgramIsNamedAndTheProgramRunsOn) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x7003, MOD_CONTROL | MOD_ALT, VK_SPACE));
    Program program(m_folder);
    ASSERT_TRUE(program.Started());
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    std::string text = MessageText(box);
    EXPECT_NE(text.find("Ctrl+Alt+Space"), std::string::npos) << text;
    EXPECT_NE(text.find("Settings..."), std::string::npos) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    m_trayDialog = program.WaitForTrayDialog();
    ASSERT_NE(m_trayDialog, nullptr);
    EXPECT_TRUE(program.WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(program.Running()) << "the program runs on without its hotkey";
    UnregisterHotKey(nullptr, 0x7003);
    Exit(program);
}

TEST_F(HotkeyProcessTest, MenuOptionAsksTheRunningCopyForItsMenuAtThePointer) {
    auto program = StartProgram();
    TypingTarget target;
    PutEarlierContent(target.Frame());
    SetCursorPos(200, 650);
    {
        Program request(m_folder, "/menu");
        ASSERT_TRUE(request.Started());
        // It shows nothing: a message would keep it from ending.
        long status = -1;
        ASSERT_TRUE(PumpUntil([&] { return (status = request.WaitForExit(0)) != -1; }));
        EXPECT_EQ(status, 0);
    }
    HWND menu = WaitForMenu(*program);
    ASSERT_NE(menu, nullptr) << "the running copy opens its menu";
    POINT at = TopLeft(menu);
    EXPECT_NEAR(at.x, 200, 2);
    EXPECT_NEAR(at.y, 650, 2);
    ChooseFirstPhrase(menu);
    EXPECT_TRUE(PumpUntil([&] { return target.Text().rfind("Dear Hello there", 0) == 0; }))
        << "pasted as with the hotkey: \"" << target.Text() << "\"";
    EXPECT_TRUE(PumpUntilClipboard([](const ClipboardSeen& seen) { return seen == kEarlier; }));
    Exit(*program);
}

TEST_F(HotkeyProcessTest, MenuOptionWithoutARunningCopyStartsTheProgram) {
    Program program(m_folder, "--MENU");
    ASSERT_TRUE(program.Started());
    m_trayDialog = program.WaitForTrayDialog();
    ASSERT_NE(m_trayDialog, nullptr) << "it starts as usual";
    EXPECT_TRUE(program.WaitUntil([] { return FindWindowA("BrevicorKeyboardEntry", nullptr); }));
    EXPECT_EQ(FindMenu(program), nullptr);
    Exit(program);
}

} // namespace
