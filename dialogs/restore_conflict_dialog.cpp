#include "dialogs/restore_conflict_dialog.h"

#include "res/resource.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CRestoreConflict, CDialog)

const MessageMapEntry CRestoreConflict::messageEntries[] = {
    MapCommand<&CRestoreConflict::OnKeepBoth>(IDC_CONFLICT_KEEP_BOTH, BN_CLICKED),
    MapCommand<&CRestoreConflict::OnReplace>(IDC_CONFLICT_REPLACE, BN_CLICKED),
    MapCommand<&CRestoreConflict::OnSkip>(IDC_CONFLICT_SKIP, BN_CLICKED),
    MapCommand<&CRestoreConflict::OnSkip>(IDCANCEL, BN_CLICKED),
};
const MessageMap CRestoreConflict::messageMap{&CDialog::messageMap,
                                              CRestoreConflict::messageEntries};

CRestoreConflict::CRestoreConflict(const HistoryEntry& restoring, CWnd* parent)
    : CDialog(IDD_RESTORE_CONFLICT, parent), m_restoring(restoring) {}

BOOL CRestoreConflict::OnInitDialog() {
    CDialog::OnInitDialog();
    std::string question =
        "Another phrase in \"" + m_restoring.category + "\" now has the shortcut \"" +
        m_restoring.code + "\".\n\nKeep both (the restored one is renamed \"" +
        RestoredShortcut(m_restoring.code) + "\"), replace the other phrase, or skip this one?";
    SetDlgItemTextA(m_hWnd, IDC_CONFLICT_TEXT, question.c_str());
    return TRUE;
}

ConflictChoice CRestoreConflict::Ask() {
    switch (DoModal()) {
    case IDC_CONFLICT_KEEP_BOTH:
        return ConflictChoice::KeepBoth;
    case IDC_CONFLICT_REPLACE:
        return ConflictChoice::Replace;
    default:
        return ConflictChoice::Skip; // also when the dialog could not open: nothing is lost
    }
}

void CRestoreConflict::OnKeepBoth() {
    EndDialog(IDC_CONFLICT_KEEP_BOTH);
}

void CRestoreConflict::OnReplace() {
    EndDialog(IDC_CONFLICT_REPLACE);
}

void CRestoreConflict::OnSkip() {
    EndDialog(IDC_CONFLICT_SKIP);
}

} // namespace brevicor
