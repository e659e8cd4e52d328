#pragma once

#include "framework/dialog.h"

// The delete-category dialog: deletes every row of the chosen category, its phrases with it,
// and stays open for the next one until Cancel.
namespace brevicor {

class CDeleteCategory : public CDialog {
    DECLARE_RUNTIME_CLASS(CDeleteCategory)
public:
    explicit CDeleteCategory(CWnd* parent = nullptr);

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

    void OnDeleteCategory(); // button 1 "Delete", also Enter in the list

private:
    static const MessageMapEntry messageEntries[];

    void RefillCategories();

    CWnd m_categoryCombo; // control 1013
};

} // namespace brevicor
