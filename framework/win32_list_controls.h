#pragma once

#include "store/list_controls.h"

#include <windows.h>

// The store's list seam over real controls. Both are views: the dialog owns its controls.
namespace brevicor {

// A combo box: entries appended with CB_INSERTSTRING at -1, so never sorted in.
class Win32ComboBox : public ComboBoxControl {
public:
    explicit Win32ComboBox(HWND combo) : m_combo(combo) {}

    void ResetContent() override;
    void AppendItem(const std::string& text) override;
    void SetCurSel(int index) override;
    int GetCurSel() const override;
    int GetCount() const override;
    std::string GetItemText(int index) const override;

    HWND Handle() const { return m_combo; }

private:
    HWND m_combo;
};

// An edit control whose whole text is replaced (SetWindowTextA).
class Win32TextBox : public TextBoxControl {
public:
    explicit Win32TextBox(HWND edit) : m_edit(edit) {}

    void SetText(const std::string& text) override;

    HWND Handle() const { return m_edit; }

private:
    HWND m_edit;
};

} // namespace brevicor
