#pragma once

#include "framework/data_exchange.h"
#include "framework/wnd.h"

#include <vector>

// A dialog built on a dialog template: created modeless (Create) or run modally (DoModal).
// Messages reach the object through one dialog procedure and the class's message map; what the
// map does not handle gets the system's default dialog processing.
namespace brevicor {

class CDialog : public CWnd {
    DECLARE_RUNTIME_CLASS(CDialog)
public:
    // `parent` null: a modal run is owned by the application's main window.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_templateId(templateId), m_parent(parent) {}

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // Creates the dialog modeless from a template, owned by the parent's window if any. The
    // initialisation runs inside. False when the window could not be created.
    bool Create(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog modally: its owner is disabled for the run, a dialog that is still hidden
    // is shown once its queue first goes idle, and the run ends with EndDialog. Returns the
    // result given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal();

    // Ends a modal run with this result; a modeless dialog is hidden.
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Runs the data exchange; true when it succeeded.
    bool UpdateData(bool saveAndValidate = true);

    // Called by DDX_Control: the member is cleared when the dialog's window goes.
    void AddBoundControl(CWnd& control) { m_boundControls.push_back(&control); }

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The one procedure of every framework dialog.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual void DoDataExchange(CDataExchange*) {}

    UINT m_templateId;
    CWnd* m_parent;

private:
    HWND ModalOwner() const;
    void RunModalLoop();
    void ClearBoundControls();

    std::vector<CWnd*> m_boundControls;
    bool m_modalRunning = false;
    bool m_endRequested = false;
    INT_PTR m_result = 0;
};

// The instance whose resources hold the dialog templates, menus, icons and strings.
HINSTANCE ResourceInstance();

} // namespace brevicor
