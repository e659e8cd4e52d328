#pragma once

#include "store/list_controls.h"

#include <string>
#include <utility>

// A category box holding one selected name: what AddPhrase reads its category from, for tests
// that add phrases without opening a dialog.
namespace brevicor::testing {

class ChosenCategory : public ComboBoxControl {
public:
    explicit ChosenCategory(std::string name) : m_name(std::move(name)) {}
    void ResetContent() override {}
    void AppendItem(const std::string&) override {}
    void SetCurSel(int) override {}
    int GetCurSel() const override { return 0; }
    int GetCount() const override { return 1; }
    std::string GetItemText(int index) const override { return index == 0 ? m_name : ""; }

private:
    std::string m_name;
};

} // namespace brevicor::testing
