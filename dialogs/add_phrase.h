#pragma once

#include "framework/dialog.h"

// The add-phrase dialog: adds phrases to an existing category, one per press of "Add Phrase",
// for as long as the user wants another.
namespace brevicor {

class CAddPhrase : public CDialog {
    DECLARE_RUNTIME_CLASS(CAddPhrase)
public:
    explicit CAddPhrase(CWnd* parent = nullptr);

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

    void OnAddPhrase(); // button 1 "Add Phrase", also Enter in the list or the shortcut box

private:
    static const MessageMapEntry messageEntries[];

    CWnd m_categoryCombo; // control 1005
    CWnd m_shortcutEdit;  // control 1006
    CWnd m_contentEdit;   // control 1007
};

} // namespace brevicor
