#pragma once

#include <string>

// The seam through which the phrase store fills the user interface. The Windows build implements
// it over real combo boxes and edit controls; native tests implement it in memory.
namespace brevicor {

class ComboBoxControl {
public:
    virtual ~ComboBoxControl() = default;
    virtual void ResetContent() = 0;
    // Appends at the end of the list, never sorted in, whatever the control's style.
    virtual void AppendItem(const std::string& text) = 0;
    virtual void SetCurSel(int index) = 0;
    virtual int GetCurSel() const = 0;
    virtual int GetCount() const = 0;
    // The text of one list item; empty for an index outside the list.
    virtual std::string GetItemText(int index) const = 0;

    // The text of the selected list item; empty when nothing is selected or the list is empty.
    std::string SelectedText() const { return GetItemText(GetCurSel()); }
};

class TextBoxControl {
public:
    virtual ~TextBoxControl() = default;
    virtual void SetText(const std::string& text) = 0;
};

} // namespace brevicor
