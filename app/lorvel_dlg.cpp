#include "app/lorvel_dlg.h"

#include "app/app_state.h"
#include "app/library_check.h"
#include "app/library_dialogs.h"
#include "app/menu_preview_attach.h"
#include "app/tray_dialog.h"
#include "framework/gdi.h"
#include "framework/win32_list_controls.h"
#include "res/resource.h"
#include "store/category_list.h"
#include "store/library_refresh.h"
#include "store/phrase_history.h"
#include "store/phrase_queries.h"

namespace brevicor {

IMPLEMENT_RUNTIME_CLASS(CLorvelDlg, CDialog)

const MessageMapEntry CLorvelDlg::messageEntries[] = {
    MapMessage<&CLorvelDlg::OnPaint>(WM_PAINT),
    MapQueryDragIcon<&CLorvelDlg::OnQueryDragIcon>(),
    MapSysCommand<&CLorvelDlg::OnSysCommand>(),
    MapCommand<&CLorvelDlg::OnCategorySelChange>(IDC_CATEGORY_COMBO, CBN_SELCHANGE),
    MapCommand<&CLorvelDlg::OnPhraseSelChange>(IDC_PHRASE_COMBO, CBN_SELCHANGE),
    MapCommand<&CLorvelDlg::OnSave>(IDC_SAVE, BN_CLICKED),
    MapCommand<&CLorvelDlg::OnDeletePhrase>(IDC_DELETE_PHRASE, BN_CLICKED),
    MapCommand<&CLorvelDlg::OnAddNewPhrase>(IDC_ADD_NEW_PHRASE, BN_CLICKED),
    // Cancel and the close box end the editor with 2. No control has id 1: Enter in a combo
    // box sends it, and it ends the editor with 1 without saving.
    MapCommand<&CLorvelDlg::OnCancel>(IDCANCEL, BN_CLICKED),
    MapCommand<&CLorvelDlg::OnOK>(IDOK, BN_CLICKED),
};
const MessageMap CLorvelDlg::messageMap{&CDialog::messageMap, CLorvelDlg::messageEntries};

CLorvelDlg::CLorvelDlg(CWnd* parent)
    : CDialog(IDD_LORVEL_DIALOG, parent), m_icon(LoadOwnedIcon(ResourceInstance(), IDI_EMBLEM_0)) {}

void CLorvelDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PHRASE_COMBO, m_phraseCombo);
    DDX_Control(exchange, IDC_CONTENT_EDIT, m_contentEdit);
    DDX_Control(exchange, IDC_CATEGORY_COMBO, m_categoryCombo);
}

BOOL CLorvelDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (HMENU systemMenu = GetSystemMenu(); systemMenu != nullptr) {
        char about[256] = {};
        if (LoadStringA(ResourceInstance(), IDS_ABOUTBOX, about, sizeof(about)) > 0) {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SetIcon(m_icon.get(), true);
    SetIcon(m_icon.get(), false);

    // The hover preview watches the window that owns the tray menu.
    AttachMenuPreview(m_hWnd);

    CenterWindow();
    ShowWindow(SW_HIDE);

    // Only the first instance, the hidden main window, makes the TrayDialog and the icon.
    const bool startingUp = TrayDialog == nullptr;
    if (startingUp) {
        CreateTrayDialog(m_hWnd);
        ShowWindow(SW_HIDE);
    }

    const bool libraryRead = LoadCategoryList();
    if (startingUp) {
        // A library made by an earlier build gains its phrase history now, once it has been
        // read: a damaged file is never written to. A read-only one cannot gain it: its writes
        // are refused anyway, each with a warning.
        if (libraryRead) {
            EnsureHistoryTable();
        }
        // Told once, before the first menu; the program then runs on as it would.
        ReportLibraryProblem(libraryRead);
    }
    Win32ComboBox categories(m_categoryCombo.GetSafeHwnd());
    FillCategoryCombo(categories);
    categories.SetCurSel(0);

    Win32ComboBox phrases(m_phraseCombo.GetSafeHwnd());
    Win32TextBox content(m_contentEdit.GetSafeHwnd());
    FillCodeComboAndContent(phrases, content, categories.GetItemText(0));
    phrases.SetCurSel(0);
    // The fill leaves the last row's text in the box; the selected first shortcut's goes there,
    // read within its own category so that a shortcut used elsewhere shows the right text.
    content.SetText(GetContentByCategoryAndCode(categories.GetItemText(0), phrases.GetItemText(0)));

    LoadContentCache();
    NoteLibraryViewsRead(libraryRead);
    return TRUE;
}

void CLorvelDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc.Get(), x, y, m_icon.get());
}

HCURSOR CLorvelDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_icon.get());
}

void CLorvelDlg::OnSysCommand(UINT id, LPARAM) {
    // The system keeps the low four bits of a command identifier for itself.
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        RunAboutBox();
        return;
    }
    Default();
}

} // namespace brevicor
