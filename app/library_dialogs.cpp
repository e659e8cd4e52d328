#include "app/library_dialogs.h"

#include "framework/dialog.h"
#include "res/resource.h"

namespace brevicor {

namespace {

// For now each library dialog is a stand-in on its own template: it says what it is for and
// closes with OK or Cancel, so that every Toolbox command does something visible and safe.
void RunStandIn(UINT templateId) {
    CDialog dialog(templateId);
    dialog.DoModal();
}

} // namespace

void RunAddPhraseDialog() {
    RunStandIn(IDD_ADD_PHRASE);
}

void RunAddCategoryDialog() {
    RunStandIn(IDD_ADD_CATEGORY);
}

void RunDeleteCategoryDialog() {
    RunStandIn(IDD_DELETE_CATEGORY);
}

void RunAboutBox() {
    RunStandIn(IDD_ABOUTBOX);
}

} // namespace brevicor
