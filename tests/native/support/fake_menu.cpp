#include "tests/native/support/fake_menu.h"

#include <gtest/gtest.h>

namespace brevicor::testing {

std::unique_ptr<PopupMenuControl> FakePopupMenu::CreateEmptyPopup() {
    return std::make_unique<FakePopupMenu>();
}

void FakePopupMenu::InsertItem(int position, const std::string& text, unsigned id,
                               std::unique_ptr<PopupMenuControl> submenu) {
    FakeMenuItem item{text, id, nullptr};
    if (submenu) {
        auto* popup = dynamic_cast<FakePopupMenu*>(submenu.get());
        ASSERT_NE(popup, nullptr) << "a submenu of another kind was handed over";
        submenu.release();
        item.submenu.reset(popup);
    }
    size_t at = position < 0 ? items.size() : std::min(static_cast<size_t>(position), items.size());
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
}

void FakePopupMenu::AppendItem(const std::string& text, unsigned id) {
    items.push_back(FakeMenuItem{text, id, nullptr});
}

std::vector<std::string> FakePopupMenu::Texts() const {
    std::vector<std::string> texts;
    for (const FakeMenuItem& item : items) {
        texts.push_back(item.text);
    }
    return texts;
}

} // namespace brevicor::testing
