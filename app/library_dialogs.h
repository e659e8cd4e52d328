#pragma once

// The library dialogs opened from the tray menu and the editor. Each runs modally with no
// parent, so the application's main window (or the dialog in front of it) owns it.
namespace brevicor {

void RunAddPhraseDialog();
void RunAddCategoryDialog();
void RunDeleteCategoryDialog();
void RunRestorePhrasesDialog();
void RunAboutBox();

} // namespace brevicor
