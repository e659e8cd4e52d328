#pragma once

#include <windows.h>

// Dialog data exchange: a dialog's DoDataExchange binds its control members to the dialog's
// controls. Values are not exchanged: handlers read their inputs straight from the controls.
namespace brevicor {

class CDialog;
class CWnd;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate)
        : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog& m_dialog;
    bool m_bSaveAndValidate; // true: controls to members; false: members to controls
};

// Binds a control member to the dialog's control with this identifier, once: the member becomes
// a view of the control, which the dialog's window owns, and is cleared when that window goes.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

} // namespace brevicor
