// The settings: their values in HKEY_CURRENT_USER\Software\Brevicor, damaged values, and the
// "Brevicor Settings" dialog opened from the Toolbox and driven by its control identifiers.
#include "app/keyboard_entry.h"
#include "app/settings_store.h"
#include "library_dialogs_fixture.h"
#include "res/resource.h"

#include <commctrl.h>

#include <thread>
#include <vector>

namespace brevicor::testing {
namespace {

const std::string kSettings = "Brevicor Settings";
constexpr WORD kCtrlAltSpace = MAKEWORD(VK_SPACE, HOTKEYF_CONTROL | HOTKEYF_ALT);
constexpr WORD kCtrlShiftF9 = MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT);
constexpr WORD kCtrlAltF8 = MAKEWORD(VK_F8, HOTKEYF_CONTROL | HOTKEYF_ALT);

void DeleteSettingsKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

bool SettingsKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void WriteRaw(const char* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::vector<BYTE> Dword(DWORD value) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    return {bytes, bytes + sizeof(value)};
}

std::vector<BYTE> StringBytes(const char* value) {
    return {value, value + lstrlenA(value) + 1};
}

// The stored value as the registry has it: type and number, or type 0 when there is none.
struct RawValue {
    DWORD type = 0;
    DWORD value = 0;
    bool operator==(const RawValue&) const = default;
};
void PrintTo(const RawValue& raw, std::ostream* out) {
    *out << "type " << raw.type << " value 0x" << std::hex << raw.value;
}

RawValue ReadRaw(const char* name) {
    RawValue raw;
    DWORD size = sizeof(raw.value);
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, &raw.type, &raw.value,
                     &size) != ERROR_SUCCESS) {
        return {};
    }
    return raw;
}

// Whether some program holds the key: this thread tries to take it, and gives it back.
bool KeyIsTaken(UINT modifiers, UINT key) {
    if (RegisterHotKey(nullptr, 0x7001, modifiers, key)) {
        UnregisterHotKey(nullptr, 0x7001);
        return false;
    }
    return true;
}

// Another program holding a key: a thread of its own registers it and keeps it until the end.
class HeldKey {
public:
    HeldKey(UINT modifiers, UINT key) {
        m_thread = std::thread([this, modifiers, key] {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue
            m_threadId = GetCurrentThreadId();
            m_held = RegisterHotKey(nullptr, 0x7002, modifiers, key) != FALSE;
            SetEvent(m_ready);
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            }
            UnregisterHotKey(nullptr, 0x7002);
        });
        WaitForSingleObject(m_ready, 10000);
    }
    ~HeldKey() {
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
        CloseHandle(m_ready);
    }
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;
    bool Held() const { return m_held; }

private:
    HANDLE m_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD m_threadId = 0;
    bool m_held = false;
    std::thread m_thread;
};

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

WORD HotkeyShown(HWND dialog) {
    return static_cast<WORD>(SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
}

void SetHotkey(HWND dialog, WORD value) {
    SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_SETHOTKEY, value, 0);
}

bool Checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

class SettingsTest : public LibraryDialogsTest {
protected:
    void SetUp() override {
        LibraryDialogsTest::SetUp();
        DeleteSettingsKey();
    }
    void TearDown() override {
        KeyboardEntry::Instance().Stop();
        DeleteSettingsKey();
        LibraryDialogsTest::TearDown();
    }
    // What start-up does with the stored hotkey.
    void StartWithHotkey() {
        Start();
        KeyboardEntry::Instance().Apply(LoadSettings().hotkey);
    }
    // Opens the settings from the Toolbox and acts on the dialog once it shows.
    void RunSettings(std::function<void(HWND)> act) {
        Scenario scenario;
        scenario.Then(OnDialog(kSettings, std::move(act)));
        RunFromToolbox(Toolbox::Settings, scenario);
        EXPECT_EQ(FindDialog(kSettings), nullptr) << "the dialog has closed";
    }
};

TEST_F(SettingsTest, StoredSettingsReadBackAsWritten) {
    EXPECT_EQ(LoadSettings(), Settings{}) << "nothing stored: the defaults";
    EXPECT_EQ(Settings{}.hotkey, (Hotkey{MOD_CONTROL | MOD_ALT, VK_SPACE}));
    EXPECT_TRUE(Settings{}.pasteIntoPreviousWindow);
    EXPECT_FALSE(Settings{}.keepPhraseOnClipboard);

    const Settings cases[] = {
        {{MOD_CONTROL | MOD_SHIFT, VK_F9}, false, true},
        {{}, true, true}, // no hotkey
        {{0, VK_F7}, false, false},
        {{MOD_WIN | MOD_ALT, 'P'}, true, false},
    };
    for (const Settings& settings : cases) {
        ASSERT_TRUE(SaveSettings(settings));
        EXPECT_EQ(LoadSettings(), settings) << HotkeyName(settings.hotkey);
    }
    // Plain numbers a user can read and repair with the registry editor.
    ASSERT_TRUE(SaveSettings({{MOD_CONTROL | MOD_SHIFT, VK_F9}, false, true}));
    EXPECT_EQ(ReadRaw(kHotkeyValue),
              (RawValue{REG_DWORD, MAKELONG(VK_F9, MOD_CONTROL | MOD_SHIFT)}));
    EXPECT_EQ(ReadRaw(kPasteValue), (RawValue{REG_DWORD, 0}));
    EXPECT_EQ(ReadRaw(kKeepValue), (RawValue{REG_DWORD, 1}));
}

TEST_F(SettingsTest, EachDamagedValueReadsAsItsDefaultAndLeavesTheOthers) {
    const Settings stored{{MOD_CONTROL | MOD_SHIFT, VK_F9}, false, true};
    const struct {
        const char* what;
        const char* name;
        DWORD type;
        std::vector<BYTE> data;
    } cases[] = {
        {"hotkey as text", kHotkeyValue, REG_SZ, StringBytes("Ctrl+Shift+F9")},
        {"hotkey too short", kHotkeyValue, REG_BINARY, {VK_F9, 0}},
        {"hotkey as a 64-bit number", kHotkeyValue, REG_QWORD, {VK_F9, 0, 6, 0, 0, 0, 0, 0}},
        {"a plain letter", kHotkeyValue, REG_DWORD, Dword('A')},
        {"a modifier alone", kHotkeyValue, REG_DWORD, Dword(MAKELONG(VK_SHIFT, MOD_CONTROL))},
        {"unknown modifier bits", kHotkeyValue, REG_DWORD, Dword(MAKELONG(VK_F9, 0x4002))},
        {"modifiers without a key", kHotkeyValue, REG_DWORD, Dword(MAKELONG(0, MOD_ALT))},
        {"key out of range", kHotkeyValue, REG_DWORD, Dword(MAKELONG(0x1FF, MOD_ALT))},
        {"all bits", kHotkeyValue, REG_DWORD, Dword(0xFFFFFFFF)},
        {"paste as 2", kPasteValue, REG_DWORD, Dword(2)},
        {"paste as text", kPasteValue, REG_SZ, StringBytes("0")},
        {"keep as a byte", kKeepValue, REG_BINARY, {1}},
        {"keep as -1", kKeepValue, REG_DWORD, Dword(0xFFFFFFFF)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SaveSettings(stored));
        WriteRaw(c.name, c.type, c.data);
        Settings expected = stored;
        if (c.name == kHotkeyValue) {
            expected.hotkey = kDefaultHotkey;
        } else if (c.name == kPasteValue) {
            expected.pasteIntoPreviousWindow = true;
        } else {
            expected.keepPhraseOnClipboard = false;
        }
        EXPECT_EQ(LoadSettings(), expected) << c.what;
    }
}

TEST_F(SettingsTest, DialogShowsTheDefaultsAndOkStoresTheChoiceAndMovesTheHotkey) {
    StartWithHotkey();
    ASSERT_TRUE(KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE)) << "registered at start";
    RunSettings([](HWND dialog) {
        EXPECT_EQ(ClassOf(GetDlgItem(dialog, IDC_HOTKEY)), HOTKEY_CLASSA);
        EXPECT_EQ(HotkeyShown(dialog), kCtrlAltSpace);
        EXPECT_EQ(Text(dialog, IDC_PASTE_CHECK), "Paste into the window I was typing in");
        EXPECT_EQ(Text(dialog, IDC_KEEP_CHECK), "Keep the phrase on the clipboard after pasting");
        EXPECT_TRUE(Checked(dialog, IDC_PASTE_CHECK));
        EXPECT_FALSE(Checked(dialog, IDC_KEEP_CHECK));
        EXPECT_EQ(Text(dialog, IDC_HOTKEY_STATUS), "The hotkey is active.");
        EXPECT_EQ(Text(dialog, IDOK), "OK");
        EXPECT_EQ(Text(dialog, IDCANCEL), "Cancel");
        SetHotkey(dialog, kCtrlShiftF9);
        Click(dialog, IDC_PASTE_CHECK);
        Click(dialog, IDC_KEEP_CHECK);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(LoadSettings(), (Settings{{MOD_CONTROL | MOD_SHIFT, VK_F9}, false, true}));
    EXPECT_TRUE(KeyIsTaken(MOD_CONTROL | MOD_SHIFT, VK_F9)) << "the new key works at once";
    EXPECT_FALSE(KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE)) << "the old key is given back";

    // Opened again, it shows what was stored.
    RunSettings([](HWND dialog) {
        EXPECT_EQ(HotkeyShown(dialog), kCtrlShiftF9);
        EXPECT_FALSE(Checked(dialog, IDC_PASTE_CHECK));
        EXPECT_TRUE(Checked(dialog, IDC_KEEP_CHECK));
        Click(dialog, IDCANCEL);
    });
}

TEST_F(SettingsTest, CancelStoresNothingAndKeepsTheHotkey) {
    StartWithHotkey();
    RunSettings([](HWND dialog) {
        SetHotkey(dialog, kCtrlShiftF9);
        Click(dialog, IDC_KEEP_CHECK);
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(SettingsKeyExists());
    EXPECT_TRUE(KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE));
    EXPECT_FALSE(KeyIsTaken(MOD_CONTROL | MOD_SHIFT, VK_F9));
}

TEST_F(SettingsTest, DamagedValuesShowAsDefaultsAndOkRewritesThem) {
    WriteRaw(kHotkeyValue, REG_SZ, StringBytes("Ctrl+Alt+Space"));
    WriteRaw(kPasteValue, REG_DWORD, Dword(9));
    WriteRaw(kKeepValue, REG_BINARY, {1, 2, 3});
    StartWithHotkey();
    RunSettings([](HWND dialog) {
        EXPECT_EQ(HotkeyShown(dialog), kCtrlAltSpace);
        EXPECT_TRUE(Checked(dialog, IDC_PASTE_CHECK));
        EXPECT_FALSE(Checked(dialog, IDC_KEEP_CHECK));
        Click(dialog, IDOK);
    });
    EXPECT_EQ(ReadRaw(kHotkeyValue),
              (RawValue{REG_DWORD, MAKELONG(VK_SPACE, MOD_CONTROL | MOD_ALT)}));
    EXPECT_EQ(ReadRaw(kPasteValue), (RawValue{REG_DWORD, 1}));
    EXPECT_EQ(ReadRaw(kKeepValue), (RawValue{REG_DWORD, 0}));
}

TEST_F(SettingsTest, HotkeyClearedToNoneIsStoredAndGivenBack) {
    StartWithHotkey();
    RunSettings([](HWND dialog) {
        SetHotkey(dialog, 0);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(ReadRaw(kHotkeyValue), (RawValue{REG_DWORD, 0}));
    EXPECT_TRUE(LoadSettings().hotkey.IsNone());
    EXPECT_FALSE(KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE));
    RunSettings([](HWND dialog) {
        EXPECT_EQ(HotkeyShown(dialog), 0);
        EXPECT_EQ(Text(dialog, IDC_HOTKEY_STATUS),
                  "No hotkey: the phrase menu opens from the tray icon.");
        Click(dialog, IDCANCEL);
    });
}

TEST_F(SettingsTest, KeyWithoutCtrlOrAltIsRefusedAndTheDialogStaysOpen) {
    StartWithHotkey();
    const WORD refused[] = {MAKEWORD('A', 0), MAKEWORD('A', HOTKEYF_SHIFT)};
    for (WORD value : refused) {
        BoxSeen seen;
        Scenario scenario;
        scenario
            .Then(OnDialog(kSettings,
                           [value](HWND dialog) {
                               SetHotkey(dialog, value);
                               Click(dialog, IDOK);
                           }))
            .Then(AnswerBox(seen, IDOK))
            .Then(OnDialog(kSettings, [](HWND dialog) {
                EXPECT_EQ(HotkeyShown(dialog), MAKEWORD('A', HIBYTE(HotkeyShown(dialog))))
                    << "the choice is still there to correct";
                Click(dialog, IDCANCEL);
            }));
        RunFromToolbox(Toolbox::Settings, scenario);
        EXPECT_TRUE(seen.shown) << value;
        EXPECT_NE(seen.text.find("Ctrl or Alt"), std::string::npos) << seen.text;
        EXPECT_FALSE(SettingsKeyExists()) << "nothing stored";
        EXPECT_TRUE(KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE)) << "the hotkey stays";
    }
}

TEST_F(SettingsTest, KeyHeldByAnotherProgramIsNamedAndShownAsNotActive) {
    HeldKey other(MOD_CONTROL | MOD_ALT, VK_F8);
    ASSERT_TRUE(other.Held());
    StartWithHotkey();
    BoxSeen seen;
    Scenario scenario;
    scenario
        .Then(OnDialog(kSettings,
                       [](HWND dialog) {
                           SetHotkey(dialog, kCtrlAltF8);
                           Click(dialog, IDOK);
                       }))
        .Then(AnswerBox(seen, IDOK));
    RunFromToolbox(Toolbox::Settings, scenario);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, HotkeyUnavailableMessage({MOD_CONTROL | MOD_ALT, VK_F8}));
    EXPECT_NE(seen.text.find("Ctrl+Alt+F8"), std::string::npos) << seen.text;
    EXPECT_NE(seen.text.find("Settings..."), std::string::npos) << "says how to choose another";
    EXPECT_FALSE(KeyIsTaken(MOD_CONTROL | MOD_ALT, VK_SPACE)) << "the old key is given back";
    EXPECT_EQ(LoadSettings().hotkey, (Hotkey{MOD_CONTROL | MOD_ALT, VK_F8}))
        << "the choice is kept";

    RunSettings([](HWND dialog) {
        EXPECT_EQ(HotkeyShown(dialog), kCtrlAltF8);
        EXPECT_EQ(Text(dialog, IDC_HOTKEY_STATUS),
                  "The hotkey is not active: another program is using it. Choose another key.");
        Click(dialog, IDCANCEL);
    });
}

} // namespace
} // namespace brevicor::testing
