#include "dialogs/about_box.h"

#include "res/resource.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CAboutBox, CDialog)

CAboutBox::CAboutBox() : CDialog(IDD_ABOUTBOX, nullptr) {}

BOOL CAboutBox::OnInitDialog() {
    CDialog::OnInitDialog();
    // Over the editor when opened from its system menu; on the screen when the owner is the
    // hidden main window.
    CenterWindow();
    return TRUE; // the focus goes to OK, the first control
}

} // namespace brevicor
