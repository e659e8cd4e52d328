#include "dialogs/restore_phrases_dialog.h"

#include "dialogs/control_text.h"
#include "dialogs/restore_conflict_dialog.h"
#include "framework/message_box.h"
#include "res/resource.h"
#include "store/category_list.h"
#include "store/phrase_restore.h"

#include <vector>

namespace brevicor {

namespace {

constexpr std::size_t kTextStartChars = 40;

std::string TextStart(const std::string& content) {
    std::string start;
    for (char c : content) {
        if (start.size() == kTextStartChars) {
            start += "...";
            break;
        }
        start += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    return start;
}

// Every value of a line is one column: a tab inside one would shift the rest.
std::string Column(const std::string& value) {
    std::string shown = value;
    for (char& c : shown) {
        if (c == '\t') {
            c = ' ';
        }
    }
    return shown;
}

} // namespace

std::string HistoryLine(const HistoryEntry& entry) {
    std::string code = entry.code.empty() && entry.content.empty() ? "(category)" : entry.code;
    return Column(entry.happenedAt) + "\t" + Column(entry.category) + "\t" + Column(code) + "\t" +
           Column(entry.whatHappened) + "\t" + TextStart(entry.content);
}

IMPLEMENT_RUNTIME_CLASS(CRestorePhrases, CDialog)

const MessageMapEntry CRestorePhrases::messageEntries[] = {
    MapCommand<&CRestorePhrases::OnRestore>(IDC_RESTORE, BN_CLICKED),
};
const MessageMap CRestorePhrases::messageMap{&CDialog::messageMap, CRestorePhrases::messageEntries};

CRestorePhrases::CRestorePhrases(CWnd* parent) : CDialog(IDD_RESTORE_PHRASES, parent) {}

void CRestorePhrases::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_HISTORY_LIST, m_historyList);
}

BOOL CRestorePhrases::OnInitDialog() {
    CDialog::OnInitDialog();
    // Columns for when, category, shortcut and what happened, in dialog units.
    INT tabStops[] = {80, 150, 230, 290};
    SendMessageA(m_historyList.GetSafeHwnd(), LB_SETTABSTOPS, std::size(tabStops),
                 reinterpret_cast<LPARAM>(tabStops));
    RefillHistory();
    return TRUE;
}

void CRestorePhrases::RefillHistory() {
    HWND list = m_historyList.GetSafeHwnd();
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const HistoryEntry& entry : LoadHistory()) {
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(HistoryLine(entry).c_str()));
        if (at >= 0) {
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), entry.historyId);
        }
    }
}

void CRestorePhrases::OnRestore() {
    HWND list = m_historyList.GetSafeHwnd();
    LRESULT count = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    if (count <= 0) {
        AppMessageBox("Select the phrases to restore.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::vector<int> selected(static_cast<std::size_t>(count));
    count = SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(count),
                         reinterpret_cast<LPARAM>(selected.data()));
    selected.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    std::vector<int> historyIds;
    for (int item : selected) {
        historyIds.push_back(
            static_cast<int>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(item), 0)));
    }

    auto ask = [this](const HistoryEntry& restoring) {
        CRestoreConflict question(restoring, this);
        return question.Ask();
    };
    bool anyRestored = false;
    bool failed = false;
    for (int historyId : historyIds) {
        // A line of a category restored a moment ago is gone already; that restores nothing.
        RestoreResult result = RestoreFromHistory(historyId, ask);
        if (!ConfirmStored(result.write, "The phrases were not restored.")) {
            failed = true; // what failed stays in the history, and in the list
            break;
        }
        anyRestored = anyRestored || result.restored > 0;
    }
    if (anyRestored) {
        // The tray menu is built from the category list; the hover preview reads the cache.
        LoadCategoryList();
        LoadContentCache();
    }
    // After a refusal the library may still be unreadable: the list keeps what it showed.
    if (anyRestored || !failed) {
        RefillHistory();
    }
}

} // namespace brevicor
