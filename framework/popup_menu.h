#pragma once

#include "framework/unique_handle.h"
#include "store/menu_controls.h"

#include <windows.h>

#include <utility>

// Popup menus for the tray: an owning menu handle, and the store's menu seam over a real menu.
namespace brevicor {

// An owning menu handle (CreatePopupMenu, LoadMenuA): destroyed with the wrapper, submenus
// included, unless released to a parent menu that then destroys it.
using OwnedMenu = UniqueHandle<HMENU, &DestroyMenu>;

// The menu seam over a real popup menu (InsertMenuItemA). Either a view of a popup that
// something else owns (the tray menu's popup inside its loaded menu), or the owner of a new
// popup made by CreateEmptyPopup, which goes to the item that opens it.
class PopupMenu : public PopupMenuControl {
public:
    // A view: the menu stays with its owner.
    explicit PopupMenu(HMENU menu) : m_menu(menu) {}
    // The owner: the menu is destroyed with this object unless an item takes it over.
    explicit PopupMenu(OwnedMenu menu) : m_menu(menu.Get()), m_owned(std::move(menu)) {}
    PopupMenu(PopupMenu&& other) noexcept
        : m_menu(std::exchange(other.m_menu, nullptr)), m_owned(std::move(other.m_owned)) {}
    PopupMenu& operator=(PopupMenu&& other) noexcept {
        if (this != &other) {
            m_owned = std::move(other.m_owned);
            m_menu = std::exchange(other.m_menu, nullptr);
        }
        return *this;
    }

    std::unique_ptr<PopupMenuControl> CreateEmptyPopup() override;
    void InsertItem(int position, const std::string& text, unsigned id,
                    std::unique_ptr<PopupMenuControl> submenu) override;
    void AppendItem(const std::string& text, unsigned id) override;

    HMENU Handle() const { return m_menu; }

private:
    HMENU m_menu = nullptr;
    OwnedMenu m_owned;
};

} // namespace brevicor
