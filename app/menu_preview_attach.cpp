#include "app/menu_preview_attach.h"

#include "preview/menu_preview_hook.h"

namespace brevicor {

// The first main dialog to initialise is the hidden main window, which owns the tray menu and
// keeps the hook for the run. Each phrase editor initialises the same way; attaching the one
// hook to it would take the preview away from the main window, so a hook already attached is
// left where it is. The editor's messages reach it as usual, unhooked.
void AttachMenuPreview(HWND window) {
    CMenuPreviewHook& hook = MenuPreviewHook();
    if (hook.GetTarget() != nullptr) {
        return;
    }
    hook.AttachTo(window);
}

} // namespace brevicor
