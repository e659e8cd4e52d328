#pragma once

#include "store/content_cache.h"
#include "store/list_controls.h"
#include "store/menu_controls.h"

#include <string>
#include <vector>

// The in-memory copies of library data and the filling of lists and menus from the library.
namespace brevicor {

// The distinct category names, in the library's ascending order. Rebuilt only by
// LoadCategoryList, so it lags behind the library until a caller reloads it.
const std::vector<std::string>& CategoryList();

// Rebuilds the category list (the category query, run twice: once to count, once to copy).
// When no statement can be had, the list keeps what it held. Returns whether the library was
// read: false when either run failed, and LastDriverMessage then says why.
bool LoadCategoryList();

// Empties the box, appends every category name in order, selects item 0.
void FillCategoryCombo(ComboBoxControl& combo);

// Empties the box, appends the category's non-empty codes in the library's row order,
// selects item 0.
void FillCodeCombo(ComboBoxControl& combo, const std::string& category);

// Empties the box, appends every code of the category (empty ones included) and puts each
// row's content into the text box in turn; selects item 0.
void FillCodeComboAndContent(ComboBoxControl& combo, TextBoxControl& content,
                             const std::string& category);

// Inserts one item per category at positions 0..n-1 of the popup, each with a submenu of
// its phrases, or a plain item whose identifier is its index when it has none.
void BuildCategoryMenus(PopupMenuControl& popup);

// Appends one item per phrase of the category with a non-empty code, ascending by code;
// returns how many were added.
int FillCategorySubmenu(PopupMenuControl& popup, const std::string& category);

} // namespace brevicor
