// Resource identifiers shared by brevicor.rc and the program's code. Plain #defines, since the
// resource compiler reads this file too.
#pragma once

#define IDC_STATIC -1 // labels and frames, never addressed

#define IDS_ABOUTBOX 101         // "&About Parlivo...", the system-menu item
#define IDD_LORVEL_DIALOG 102    // the main dialog, the phrase editor and the TrayDialog
#define IDD_ADD_PHRASE 132       // add-phrase dialog
#define IDR_TRAY_MENU 137        // the tray menu: separator and "Toolbox"
#define IDD_ADD_CATEGORY 151     // add-category dialog
#define IDD_DELETE_CATEGORY 152  // delete-category dialog
#define IDD_ABOUTBOX 156         // about box
#define IDD_RESTORE_PHRASES 181  // the phrase history, to restore from
#define IDD_RESTORE_CONFLICT 182 // asked when a restored shortcut is taken
#define IDB_ABOUT 157            // the about box's picture, 145x145, 24-bit colour
#define IDD_SETTINGS 170         // "Brevicor Settings"
#define IDI_EMBLEM_0 161         // the emblem, also the main dialog's window icon
#define IDI_EMBLEM_1 162
#define IDI_EMBLEM_2 163
#define IDI_EMBLEM_3 164

#define IDC_PHRASE_COMBO 1000
#define IDC_CONTENT_EDIT 1001
#define IDC_ADD_NEW_PHRASE 1002
#define IDC_SAVE 1003
#define IDC_CATEGORY_COMBO 1005
#define IDC_NEW_SHORTCUT_EDIT 1006 // add-phrase dialog: shortcut
#define IDC_NEW_CONTENT_EDIT 1007  // add-phrase dialog: content
#define IDC_DELETE_PHRASE 1011
#define IDC_CATEGORY_NAME_EDIT 1012    // add-category dialog: the new name
#define IDC_DELETE_CATEGORY_COMBO 1013 // delete-category dialog: the category list
#define IDC_HISTORY_LIST 1030          // restore dialog: the history, newest first
#define IDC_RESTORE 1031               // restore dialog: "Restore"
#define IDC_CONFLICT_KEEP_BOTH 1032    // conflict question: "Keep Both"
#define IDC_CONFLICT_REPLACE 1033      // conflict question: "Replace"
#define IDC_CONFLICT_SKIP 1034         // conflict question: "Skip"
#define IDC_CONFLICT_TEXT 1035         // conflict question: what is taken
#define IDC_HOTKEY 1040                // settings: the hotkey control
#define IDC_PASTE_CHECK 1041           // settings: "Paste into the window I was typing in"
#define IDC_KEEP_CHECK 1042            // settings: "Keep the phrase on the clipboard..."
#define IDC_HOTKEY_STATUS 1043         // settings: whether the hotkey is active

#define IDM_ABOUTBOX 16 // system-menu command of the About item

#define ID_TRAY_EDIT_PHRASE 50001
#define ID_TRAY_UNUSED 50002
#define ID_TRAY_ADD_PHRASE 50003
#define ID_TRAY_EXIT 50004
#define ID_TRAY_ABOUT 50005
#define ID_TRAY_ADD_CATEGORY 50019
#define ID_TRAY_DELETE_CATEGORY 50020
#define ID_TRAY_RESTORE_PHRASES 50021
#define ID_TRAY_SETTINGS 50022
