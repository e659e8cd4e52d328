#pragma once

#include "store/list_controls.h"

#include <string>
#include <vector>

// In-memory stand-ins for the combo boxes and edit controls the store fills.
namespace brevicor::testing {

class FakeComboBox : public ComboBoxControl {
public:
    void ResetContent() override;
    void AppendItem(const std::string& text) override;
    void SetCurSel(int index) override;
    int GetCurSel() const override { return m_selection; }
    int GetCount() const override { return static_cast<int>(items.size()); }
    std::string GetItemText(int index) const override;

    std::vector<std::string> items;

private:
    int m_selection = -1;
};

class FakeTextBox : public TextBoxControl {
public:
    void SetText(const std::string& value) override {
        text = value;
        ++setCount;
    }

    std::string text;
    int setCount = 0;
};

} // namespace brevicor::testing
