#include "framework/popup_menu.h"

#include <vector>

namespace brevicor {

#if defined(__i386__)
// The 32-bit program's item record: with hbmpItem, which every Windows since 2000 knows.
static_assert(sizeof(MENUITEMINFOA) == 48);
#endif

namespace {

// A record with every field zero but the size, as InsertMenuItemA expects.
MENUITEMINFOA BlankItem() {
    MENUITEMINFOA item{};
    item.cbSize = sizeof(MENUITEMINFOA);
    return item;
}

} // namespace

std::unique_ptr<PopupMenuControl> PopupMenu::CreateEmptyPopup() {
    HMENU created = CreatePopupMenu();
    if (created == nullptr) {
        return nullptr;
    }
    return std::make_unique<PopupMenu>(OwnedMenu(created));
}

void PopupMenu::InsertItem(int position, const std::string& text, unsigned id,
                           std::unique_ptr<PopupMenuControl> submenu) {
    std::vector<char> label(text.begin(), text.end());
    label.push_back('\0');
    MENUITEMINFOA item = BlankItem();
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    item.wID = id;
    item.dwTypeData = label.data();
    auto* popup = dynamic_cast<PopupMenu*>(submenu.get());
    if (popup != nullptr) {
        item.hSubMenu = popup->m_menu;
    }
    if (InsertMenuItemA(m_menu, static_cast<UINT>(position), TRUE, &item) && popup != nullptr) {
        // The item's menu destroys the submenu from now on. When the insert failed, the
        // submenu is destroyed with its wrapper instead.
        popup->m_owned.Release();
    }
}

void PopupMenu::AppendItem(const std::string& text, unsigned id) {
    std::vector<char> label(text.begin(), text.end());
    label.push_back('\0');
    MENUITEMINFOA item = BlankItem();
    item.fMask = MIIM_ID | MIIM_STRING;
    item.wID = id;
    item.dwTypeData = label.data();
    InsertMenuItemA(m_menu, static_cast<UINT>(GetMenuItemCount(m_menu)), TRUE, &item);
}

} // namespace brevicor
