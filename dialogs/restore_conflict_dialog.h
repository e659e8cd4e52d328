#pragma once

#include "framework/dialog.h"
#include "store/phrase_history.h"
#include "store/phrase_restore.h"

// Asked while restoring when another phrase now has the restored phrase's category and
// shortcut: keep both, replace the other one, or skip this phrase. The close box skips.
namespace brevicor {

class CRestoreConflict : public CDialog {
    DECLARE_RUNTIME_CLASS(CRestoreConflict)
public:
    CRestoreConflict(const HistoryEntry& restoring, CWnd* parent);

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    BOOL OnInitDialog() override;

    // Runs the dialog and returns the user's answer.
    ConflictChoice Ask();

protected:
    void OnKeepBoth(); // button 1032
    void OnReplace();  // button 1033
    void OnSkip();     // button 1034, also the close box

private:
    static const MessageMapEntry messageEntries[];

    HistoryEntry m_restoring;
};

} // namespace brevicor
