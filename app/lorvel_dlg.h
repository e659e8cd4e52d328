#pragma once

#include "app/owned_icon.h"
#include "framework/dialog.h"

// The dialog on template 102. One instance, modeless and never shown, is the application's main
// window: owner of the tray menu and of every library dialog. Further instances, run modally
// from the tray menu's "Edit phrase", are the phrase editor.
namespace brevicor {

class CLorvelDlg : public CDialog {
    DECLARE_RUNTIME_CLASS(CLorvelDlg)
public:
    explicit CLorvelDlg(CWnd* parent = nullptr);

    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // Wires the running program together on the first instance (tray dialog and icon) and
    // fills the lists from the library on every instance.
    BOOL OnInitDialog() override;

    HICON Icon() const { return m_icon.get(); }

protected:
    void DoDataExchange(CDataExchange* exchange) override;

    void OnPaint();                           // WM_PAINT
    HCURSOR OnQueryDragIcon();                // WM_QUERYDRAGICON
    void OnSysCommand(UINT id, LPARAM param); // WM_SYSCOMMAND

    // The phrase editor's handlers (dialogs/phrase_editor.cpp). Each reads the phrase it works
    // on back from the lists' selections: the dialog keeps no other state.
    void OnCategorySelChange(); // control 1005, CBN_SELCHANGE
    void OnPhraseSelChange();   // control 1000, CBN_SELCHANGE
    void OnSave();              // button 1003: closes the editor once the text is stored
    void OnDeletePhrase();      // button 1011: the editor stays open
    void OnAddNewPhrase();      // button 1002

private:
    static const MessageMapEntry messageEntries[];

    OwnedIcon m_icon;
    CWnd m_phraseCombo;   // control 1000
    CWnd m_contentEdit;   // control 1001
    CWnd m_categoryCombo; // control 1005
};

} // namespace brevicor
