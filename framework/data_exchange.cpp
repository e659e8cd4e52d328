#include "framework/data_exchange.h"

#include "framework/dialog.h"

namespace brevicor {

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    if (control.GetSafeHwnd() != nullptr) {
        return;
    }
    HWND item = exchange->m_dialog.GetDlgItem(id);
    if (item == nullptr) {
        return; // a template without the control leaves the member unbound
    }
    control.AttachView(item);
    exchange->m_dialog.AddBoundControl(control);
}

} // namespace brevicor
