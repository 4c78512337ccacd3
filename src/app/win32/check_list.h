#pragma once
// 选择列表框1 as a check list: an owner-drawn list box with a check box at the left of every item.
// The single check mark lives in the item data.

#include <windows.h>

namespace ui::check_list {

// Installs the mouse and keyboard handling of the check boxes on a freshly created list box.
void Attach(HWND list);

// Row height for the list's font: the font's standard row plus 2 pixels.
int RowHeight(HFONT font);

// Paints one item (WM_DRAWITEM of the parent).
void DrawItem(const DRAWITEMSTRUCT& item);

bool IsItemChecked(HWND list, int index);

// Where the check box of an item is drawn, in the list's client coordinates.
RECT CheckBoxRect(HWND list, int index);

} // namespace ui::check_list
