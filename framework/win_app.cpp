// Winsock first: with WIN32_LEAN_AND_MEAN, windows.h does not pull in the old winsock.h.
#include <winsock2.h>

#include "framework/win_app.h"

#include "framework/wnd.h"

#include <ole2.h>

#include <string>

namespace brevicor {

namespace {

CWinApp* g_app = nullptr;

LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && g_app != nullptr &&
        g_app->ProcessMessageFilter(code, reinterpret_cast<MSG*>(lParam))) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

// Grants the service functions access to the record of what must be undone at exit.
class FrameworkServices {
public:
    static CWinApp* App() { return g_app; }
    static bool& OleStarted(CWinApp& app) { return app.m_oleStarted; }
    static bool& SocketsStarted(CWinApp& app) { return app.m_socketsStarted; }
    static HMODULE& RichEdit(CWinApp& app) { return app.m_richEdit; }
};

IMPLEMENT_RUNTIME_CLASS(CWinApp, CCmdTarget)

const MessageMapEntry kWinAppEntries[] = {
    MapCommand<&CWinApp::OnHelp>(kHelpCommand, 0), // void OnHelp()
};
const MessageMap CWinApp::messageMap{&CCmdTarget::messageMap, kWinAppEntries};

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

CWinApp* AfxGetApp() {
    return g_app;
}

int CWinApp::ExitInstance() {
    if (m_richEdit != nullptr) {
        FreeLibrary(m_richEdit);
        m_richEdit = nullptr;
    }
    if (m_socketsStarted) {
        WSACleanup();
        m_socketsStarted = false;
    }
    if (m_oleStarted) {
        OleUninitialize();
        m_oleStarted = false;
    }
    return m_exitCode;
}

int CWinApp::Run() {
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return m_exitCode;
}

BOOL CWinApp::ProcessMessageFilter(int code, MSG* msg) {
    if ((code == MSGF_DIALOGBOX || code == MSGF_MENU) && msg->message == WM_KEYDOWN &&
        msg->wParam == VK_F1) {
        // F1 in a dialog or a menu is the help command, routed like any other command.
        HWND target = GetActiveWindow();
        if (target != nullptr) {
            SendMessageA(target, WM_COMMAND, MAKEWPARAM(kHelpCommand, 0), 0);
        } else {
            OnHelp();
        }
        return TRUE;
    }
    return FALSE;
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(m_hInstance, path, MAX_PATH);
    std::string helpFile(path, length);
    size_t dot = helpFile.find_last_of(".\\");
    if (dot != std::string::npos && helpFile[dot] == '.') {
        helpFile.erase(dot);
    }
    helpFile += ".hlp";
    HWND owner = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    ::WinHelpA(owner, helpFile.c_str(), command, data);
}

void CWinApp::OnHelp() {
    WinHelp(0, HELP_CONTEXT);
}

MessageFilterHook::MessageFilterHook()
    : m_hook(SetWindowsHookExA(WH_MSGFILTER, &MessageFilterProc, nullptr, GetCurrentThreadId())) {}

MessageFilterHook::~MessageFilterHook() {
    if (m_hook != nullptr) {
        UnhookWindowsHookEx(m_hook);
    }
}

int RunApplication(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    app->m_hInstance = instance;
    MessageFilterHook filter;
    if (app->InitInstance()) {
        app->Run();
    }
    return app->ExitInstance();
}

bool AfxOleInit() {
    CWinApp* app = FrameworkServices::App();
    HRESULT result = OleInitialize(nullptr);
    if (FAILED(result)) {
        return false;
    }
    if (app != nullptr && !FrameworkServices::OleStarted(*app)) {
        FrameworkServices::OleStarted(*app) = true;
    } else {
        OleUninitialize(); // already running for this thread: keep one reference only
    }
    return true;
}

bool AfxSocketInit() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        return false;
    }
    if (data.wVersion != MAKEWORD(1, 1)) {
        WSACleanup();
        return false;
    }
    CWinApp* app = FrameworkServices::App();
    if (app != nullptr && !FrameworkServices::SocketsStarted(*app)) {
        FrameworkServices::SocketsStarted(*app) = true;
    } else {
        WSACleanup();
    }
    return true;
}

HMODULE AfxLoadRichEditLibrary() {
    CWinApp* app = FrameworkServices::App();
    if (app == nullptr) {
        return nullptr;
    }
    HMODULE& library = FrameworkServices::RichEdit(*app);
    if (library == nullptr) {
        library = LoadLibraryA("RICHED32.DLL");
    }
    return library;
}

} // namespace brevicor
