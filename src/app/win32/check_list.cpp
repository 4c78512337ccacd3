// Owner-drawn check list box. Drawing:
// https://learn.microsoft.com/windows/win32/controls/create-an-owner-drawn-list-box The check box is themed through
// uxtheme when visual styles are on and drawn classically otherwise; the marks follow app::CheckMarkAfterClick. Nothing
// outside this file reads them, apart from painting.

#include "check_list.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include <string>

#include "app/list_rules.h"

namespace ui::check_list {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kBoxInset = 2;    // space left of the box
constexpr int kTextGap = 4;     // space between the box and the text
constexpr int kClassicBox = 13; // the classic check box side at 96 dpi

HTHEME g_theme = nullptr;

void ReopenTheme(HWND list) {
    if (g_theme) CloseThemeData(g_theme);
    g_theme = OpenThemeData(list, L"BUTTON"); // null when visual styles are off
}

int BoxSide(HDC dc) {
    SIZE size{};
    if (g_theme &&
        SUCCEEDED(GetThemePartSize(g_theme, dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr, TS_DRAW, &size)) &&
        size.cx > 0)
        return size.cx;
    return MulDiv(kClassicBox, GetDeviceCaps(dc, LOGPIXELSX), 96);
}

RECT BoxInItem(HDC dc, const RECT& item) {
    const int height = item.bottom - item.top;
    int side = BoxSide(dc);
    if (side > height) side = height;
    RECT box;
    box.left = item.left + kBoxInset;
    box.top = item.top + (height - side) / 2;
    box.right = box.left + side;
    box.bottom = box.top + side;
    return box;
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }

int CheckedItem(HWND list) {
    const int count = ItemCount(list);
    for (int i = 0; i < count; ++i)
        if (IsItemChecked(list, i)) return i;
    return -1;
}

void SetMark(HWND list, int index, bool checked) {
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), checked ? 1 : 0);
    RECT item{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(list, &item, FALSE);
}

void Tick(HWND list, int clicked) {
    const int before = CheckedItem(list);
    const int after = app::CheckMarkAfterClick(before, clicked);
    if (after == before) return;
    if (before >= 0) SetMark(list, before, false);
    if (after >= 0) SetMark(list, after, true);
}

// The item whose check box column was clicked, or -1. The whole strip left of the text counts, so a
// click just beside the small box still ticks it.
int CheckColumnHit(HWND list, POINT point) {
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    if (HIWORD(hit) != 0) return -1; // below the last item or outside the client area
    const int index = LOWORD(hit);
    if (index >= ItemCount(list)) return -1;
    const RECT box = CheckBoxRect(list, index);
    return point.x < box.right + kTextGap / 2 ? index : -1;
}

LRESULT CALLBACK CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int index = CheckColumnHit(list, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (index >= 0) Tick(list, index);
        break; // the list still highlights the item and takes the focus as for any click
    }
    case WM_KEYDOWN:
        // Space ticks the item with the focus rectangle, as in other check lists.
        if (wParam == VK_SPACE) {
            const int caret = static_cast<int>(SendMessageW(list, LB_GETCARETINDEX, 0, 0));
            if (caret >= 0 && caret < ItemCount(list)) Tick(list, caret);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ') return 0; // not a type-ahead search for items starting with a blank
        break;
    case WM_THEMECHANGED:
        ReopenTheme(list);
        InvalidateRect(list, nullptr, TRUE);
        break;
    case WM_NCDESTROY:
        if (g_theme) CloseThemeData(g_theme);
        g_theme = nullptr;
        RemoveWindowSubclass(list, CheckListProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

} // namespace

void Attach(HWND list) {
    ReopenTheme(list);
    SetWindowSubclass(list, CheckListProc, kSubclassId, 0);
}

int RowHeight(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight + 2;
}

void DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& area = item.rcItem;
    const bool focus = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
    if (item.itemID == static_cast<UINT>(-1)) { // an empty list that has the focus
        if (focus) DrawFocusRect(dc, &area);
        return;
    }
    const int index = static_cast<int>(item.itemID);
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(dc, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const RECT box = BoxInItem(dc, area);
    const bool checked = IsItemChecked(item.hwndItem, index);
    if (g_theme) {
        DrawThemeBackground(g_theme, dc, BP_CHECKBOX, checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &box, nullptr);
    } else {
        RECT classic = box;
        DrawFrameControl(dc, &classic, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
    }

    const int length = static_cast<int>(SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0));
    if (length > 0) {
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int got = static_cast<int>(
            SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data())));
        RECT textArea = area;
        textArea.left = box.right + kTextGap;
        textArea.right -= 2;
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColour = SetTextColor(
            dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                                                            : (selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT)));
        // Names are shown as they are: no '&' mnemonics, one line, an ellipsis where a long one is cut.
        DrawTextW(dc, text.c_str(), got > 0 ? got : 0, &textArea,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SetTextColor(dc, oldColour);
        SetBkMode(dc, oldMode);
    }
    if (focus) DrawFocusRect(dc, &area);
}

bool IsItemChecked(HWND list, int index) {
    return SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0) == 1;
}

RECT CheckBoxRect(HWND list, int index) {
    RECT item{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) == LB_ERR)
        return RECT{};
    HDC dc = GetDC(list);
    const RECT box = BoxInItem(dc, item);
    ReleaseDC(list, dc);
    return box;
}

} // namespace ui::check_list
