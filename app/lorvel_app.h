#pragma once

#include "app/lorvel_dlg.h"
#include "framework/win_app.h"

#include <memory>

// The application object: its InitInstance runs the whole program, from the start-up checks
// through the main loop to the shutdown, and always returns false.
namespace brevicor {

class CLorvelApp : public CWinApp {
    DECLARE_RUNTIME_CLASS(CLorvelApp)
public:
    BOOL InitInstance() override;
    // F1 does nothing while an editor is the active window.
    BOOL ProcessMessageFilter(int code, MSG* msg) override;
    // The program has no help: help requests do nothing.
    void WinHelp(DWORD_PTR, UINT) override {}

    // Creates the hidden main dialog from a template and makes it the main window. When that
    // fails, says so, leaves no icon behind and returns false.
    bool CreateMainWindow(UINT templateId);
    // Shutdown: the icon frames go, then the main dialog with its TrayDialog and icon.
    void DestroyMainWindow();

private:
    // Runs until the Exit command sets QuitRequested or the quit message comes; returns the
    // process's exit status.
    int RunMainLoop();

    std::unique_ptr<CLorvelDlg> m_mainDialog;
};

} // namespace brevicor
