#include "framework/win32_list_controls.h"

#include <vector>

namespace brevicor {

void Win32ComboBox::ResetContent() {
    SendMessageA(m_combo, CB_RESETCONTENT, 0, 0);
}

void Win32ComboBox::AppendItem(const std::string& text) {
    SendMessageA(m_combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32ComboBox::SetCurSel(int index) {
    SendMessageA(m_combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32ComboBox::GetCurSel() const {
    return static_cast<int>(SendMessageA(m_combo, CB_GETCURSEL, 0, 0));
}

int Win32ComboBox::GetCount() const {
    return static_cast<int>(SendMessageA(m_combo, CB_GETCOUNT, 0, 0));
}

std::string Win32ComboBox::GetItemText(int index) const {
    if (index < 0) {
        return {};
    }
    LRESULT length = SendMessageA(m_combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0) {
        return {};
    }
    std::vector<char> text(static_cast<size_t>(length) + 1);
    LRESULT copied = SendMessageA(m_combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(text.data()));
    if (copied == CB_ERR || copied < 0) {
        return {};
    }
    return std::string(text.data(), static_cast<size_t>(copied));
}

void Win32TextBox::SetText(const std::string& text) {
    SetWindowTextA(m_edit, text.c_str());
}

} // namespace brevicor
