#pragma once

#include "framework/message_map.h"

#include <windows.h>

namespace brevicor {

class CWnd;

// The application object: one per process. RunApplication (the body of WinMain) installs the
// message filter, runs InitInstance, the message pump when InitInstance returns true, then
// ExitInstance, whose result is the process's exit status.
class CWinApp : public CCmdTarget {
    DECLARE_RUNTIME_CLASS(CWinApp)
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    virtual BOOL InitInstance() { return TRUE; }
    // Releases what the framework brought up for the application; returns the exit status.
    virtual int ExitInstance();
    // The message pump: until the quit message, whose code becomes the exit status.
    virtual int Run();
    // A message about to be dispatched by a framework loop; true when it was consumed.
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
    // Called for every message that a dialog's or a menu's loop is about to handle (the
    // WH_MSGFILTER hook); true when it was consumed. By default F1 asks for help.
    virtual BOOL ProcessMessageFilter(int code, MSG* msg);
    // Opens the application's help; by default the help file beside the executable.
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);

    // The standard help command: goes to WinHelp.
    void OnHelp();

    // The status the process ends with when ExitInstance returns.
    void SetExitCode(int code) { m_exitCode = code; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

private:
    friend class FrameworkServices;
    int m_exitCode = 0;
    bool m_oleStarted = false;
    bool m_socketsStarted = false;
    HMODULE m_richEdit = nullptr;
};

// The process's application object, or null before it is constructed.
CWinApp* AfxGetApp();

// The standard help command identifier.
inline constexpr UINT kHelpCommand = 57670;

// Installs the thread's WH_MSGFILTER hook, which hands every message of a dialog's or menu's
// loop to the application's ProcessMessageFilter; removes it when it goes.
class MessageFilterHook {
public:
    MessageFilterHook();
    ~MessageFilterHook();
    MessageFilterHook(const MessageFilterHook&) = delete;
    MessageFilterHook& operator=(const MessageFilterHook&) = delete;

private:
    HHOOK m_hook;
};

// The body of WinMain: runs the application object's life and returns the exit status.
int RunApplication(HINSTANCE instance);

// Start-up services of the framework, each undone by CWinApp::ExitInstance.
bool AfxOleInit();                // OLE for this thread; false when it failed
bool AfxSocketInit();             // Windows Sockets 1.1 exactly; false otherwise
HMODULE AfxLoadRichEditLibrary(); // the rich-edit controls (RICHED32.DLL); null when missing

} // namespace brevicor
