#pragma once

#include "framework/dialog.h"
#include "store/phrase_history.h"

#include <string>

// The "Restore Phrases" dialog: the phrase history, newest first, one line per phrase row that
// was deleted or overwritten. "Restore" brings back the selected lines; it stays open for more
// until "Close".
namespace brevicor {

class CRestorePhrases : public CDialog {
    DECLARE_RUNTIME_CLASS(CRestorePhrases)
public:
    explicit CRestorePhrases(CWnd* parent = nullptr);

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;

    void OnRestore(); // button 1031 "Restore"

private:
    static const MessageMapEntry messageEntries[];

    void RefillHistory();

    CWnd m_historyList; // control 1030
};

// One line of the list: when, category, shortcut, what happened and the start of the text,
// separated by tabs; line breaks and other control bytes of the text show as blanks.
std::string HistoryLine(const HistoryEntry& entry);

} // namespace brevicor
