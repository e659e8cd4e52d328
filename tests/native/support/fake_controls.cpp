#include "tests/native/support/fake_controls.h"

namespace brevicor::testing {

void FakeComboBox::ResetContent() {
    items.clear();
    m_selection = -1;
}

void FakeComboBox::AppendItem(const std::string& text) {
    items.push_back(text);
}

// Like a real combo box: selecting outside the list leaves nothing selected.
void FakeComboBox::SetCurSel(int index) {
    m_selection = index >= 0 && index < GetCount() ? index : -1;
}

std::string FakeComboBox::GetItemText(int index) const {
    if (index < 0 || index >= GetCount()) {
        return {};
    }
    return items[static_cast<size_t>(index)];
}

} // namespace brevicor::testing
