#pragma once

// The real brevicor.exe as a separate process, seen from a test: started from a folder of its
// own, its windows found and waited for, ended at the end of the test if it still runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace brevicor::testing {

// Long enough for a slow machine; a program that never gets there fails the test.
inline constexpr DWORD kTimeLimitMs = 20000;

struct ProcessWindows {
    DWORD process;
    std::vector<HWND> windows;
};

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ProcessWindows*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process) {
        search->windows.push_back(window);
    }
    return TRUE;
}

inline std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

inline std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The text of a message box: its static controls' texts.
inline std::string MessageText(HWND box) {
    std::string text;
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
        text += TextOf(child);
    }
    return text;
}

// Whether the shell shows the icon the window added (the program's id is 2005); a modify is
// refused for an icon it has not. The benchmarks ask the same of a bare tray program.
inline bool ShellHasIcon(HWND window) {
    NOTIFYICONDATAA probe{};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = window;
    probe.uID = 2005;
    probe.uFlags = NIF_TIP;
    lstrcpyA(probe.szTip, "probe");
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

// A copy of the program started from its own folder, killed at the end if it still runs.
class Program {
public:
    explicit Program(const std::string& folder, const std::string& arguments = "") {
        std::string command = "\"" + folder + "\\brevicor.exe\"";
        if (!arguments.empty()) {
            command += " " + arguments;
        }
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        m_started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.c_str(), &startup, &m_info) != FALSE;
    }
    ~Program() {
        if (m_started) {
            if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(m_info.hProcess, 99);
                WaitForSingleObject(m_info.hProcess, kTimeLimitMs);
            }
            CloseHandle(m_info.hThread);
            CloseHandle(m_info.hProcess);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return m_started; }

    std::vector<HWND> TopLevelWindows() const {
        ProcessWindows search{m_info.dwProcessId, {}};
        EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
        return search.windows;
    }

    // Waits until the condition holds while the program runs; false on time-out or its end.
    template <class Condition> bool WaitUntil(Condition condition) const {
        for (DWORD waited = 0; waited < kTimeLimitMs && Running(); waited += 50) {
            if (condition()) {
                return true;
            }
            Sleep(50);
        }
        return false;
    }

    // Waits for a top-level window of the program that satisfies the test; null on time-out.
    template <class Test> HWND WaitForWindow(Test test) const {
        for (DWORD waited = 0; waited < kTimeLimitMs; waited += 50) {
            for (HWND window : TopLevelWindows()) {
                if (test(window)) {
                    return window;
                }
            }
            if (!Running()) {
                return nullptr;
            }
            Sleep(50);
        }
        return nullptr;
    }

    // The TrayDialog: the hidden dialog owned by the program's other, hidden dialog.
    HWND WaitForTrayDialog() const {
        return WaitForWindow([](HWND window) {
            return ClassOf(window) == "#32770" && GetWindow(window, GW_OWNER) != nullptr &&
                   TextOf(window) == "Parlivo";
        });
    }

    HWND WaitForMessageBox() const {
        return WaitForWindow([](HWND window) {
            return ClassOf(window) == "#32770" && IsWindowVisible(window) &&
                   TextOf(window) == "brevicor";
        });
    }

    DWORD ProcessId() const { return m_info.dwProcessId; }
    HANDLE ProcessHandle() const { return m_info.hProcess; }

    bool Running() const { return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT; }

    // Waits for the end; returns the exit status, or -1 on time-out.
    long WaitForExit(DWORD limitMs = kTimeLimitMs) const {
        if (WaitForSingleObject(m_info.hProcess, limitMs) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD status = 0;
        GetExitCodeProcess(m_info.hProcess, &status);
        return static_cast<long>(status);
    }

private:
    PROCESS_INFORMATION m_info{};
    bool m_started = false;
};

// Lays out a program folder: brevicor.exe, and a database folder as the case asks.
enum class Database { Missing, Empty, NoLibrary, Library };

// `library`: the file copied as the library, a pristine empty one unless given.
inline std::string MakeProgramFolder(const std::string& name, Database database,
                                     const char* library = "database\\empty.mdb") {
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    std::string folder = std::string(current) + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_TRUE(CopyFileA(BREVICOR_EXE, (folder + "\\brevicor.exe").c_str(), FALSE)) << folder;
    if (database != Database::Missing) {
        CreateDirectoryA((folder + "\\database").c_str(), nullptr);
    }
    if (database == Database::NoLibrary) {
        // Neither another kind of file nor a folder named like a library is a library.
        HANDLE file = CreateFileA((folder + "\\database\\readme.txt").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
        CreateDirectoryA((folder + "\\database\\old.mdb").c_str(), nullptr);
    }
    if (database == Database::Library) {
        EXPECT_TRUE(CopyFileA(library, (folder + "\\database\\phrases.mdb").c_str(), FALSE));
    }
    return folder;
}

// The program's own windows other than `except`: dialogs, or anything visible. (Wine gives
// every thread that makes a window a hidden input-method window as well; that one is not the
// program's.)
inline std::vector<std::string> OwnWindowsBesides(const Program& program, HWND except) {
    std::vector<std::string> found;
    for (HWND window : program.TopLevelWindows()) {
        if (window != except && (ClassOf(window) == "#32770" || IsWindowVisible(window))) {
            found.push_back(ClassOf(window) + " \"" + TextOf(window) + "\"");
        }
    }
    return found;
}

// Chooses Exit as a user would: a button press on the icon, then the keyboard in the menu.
inline void ChooseExit(const Program& program, HWND trayDialog) {
    PostMessageA(trayDialog, 32968, 2005, WM_RBUTTONDOWN);
    HWND menu = program.WaitForWindow(
        [](HWND window) { return ClassOf(window) == "#32768" && IsWindowVisible(window); });
    ASSERT_NE(menu, nullptr) << "the tray menu opens";
    // Up to "Toolbox", open it, up to its last command, "Exit", and choose it.
    for (UINT key : {VK_UP, VK_RIGHT, VK_UP, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
}

} // namespace brevicor::testing
