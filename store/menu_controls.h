#pragma once

#include <memory>
#include <string>

// The seam through which the phrase store builds the tray menu's category submenus. The
// Windows build implements it over real popup menus (InsertMenuItemA); native tests in memory.
namespace brevicor {

class PopupMenuControl {
public:
    virtual ~PopupMenuControl() = default;

    // A new, empty popup menu of the same kind, owned by the caller until it is attached.
    virtual std::unique_ptr<PopupMenuControl> CreateEmptyPopup() = 0;

    // Inserts an item at a position (by position, not by identifier) with its text and
    // identifier; with a submenu, the item opens it, and this menu owns it from then on.
    virtual void InsertItem(int position, const std::string& text, unsigned id,
                            std::unique_ptr<PopupMenuControl> submenu) = 0;

    // Appends a plain command item after the items already there.
    virtual void AppendItem(const std::string& text, unsigned id) = 0;
};

} // namespace brevicor
