#pragma once

#include "store/menu_controls.h"

#include <memory>
#include <string>
#include <vector>

// An in-memory stand-in for the tray menu's popups.
namespace brevicor::testing {

class FakePopupMenu;

struct FakeMenuItem {
    std::string text;
    unsigned id = 0;
    std::unique_ptr<FakePopupMenu> submenu;
};

class FakePopupMenu : public PopupMenuControl {
public:
    FakePopupMenu() { ++s_alive; }
    ~FakePopupMenu() override { --s_alive; }
    FakePopupMenu(const FakePopupMenu&) = delete;
    FakePopupMenu& operator=(const FakePopupMenu&) = delete;

    std::unique_ptr<PopupMenuControl> CreateEmptyPopup() override;
    // Like InsertMenuItemA by position: past the end appends.
    void InsertItem(int position, const std::string& text, unsigned id,
                    std::unique_ptr<PopupMenuControl> submenu) override;
    void AppendItem(const std::string& text, unsigned id) override;

    // Texts of the items, in order.
    std::vector<std::string> Texts() const;

    std::vector<FakeMenuItem> items;

    // Popups in existence, so tests can see that an unattached popup is destroyed at once.
    static int Alive() { return s_alive; }

private:
    static inline int s_alive = 0;
};

} // namespace brevicor::testing
