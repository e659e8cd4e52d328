#pragma once

#include "framework/dialog.h"

// The add-category dialog: a category exists as long as a row carries its name, so adding one
// inserts a placeholder row with an empty shortcut and text.
namespace brevicor {

class CCategoryDlg : public CDialog {
    DECLARE_RUNTIME_CLASS(CCategoryDlg)
public:
    explicit CCategoryDlg(CWnd* parent = nullptr);

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

protected:
    void DoDataExchange(CDataExchange* exchange) override;

    void OnAddCategory(); // button 1 "Add", also Enter in the name box

private:
    static const MessageMapEntry messageEntries[];

    CWnd m_nameEdit; // control 1012
};

} // namespace brevicor
