// BackupListView over 选择列表框1.

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "app/list_rules.h"
#include "app/ui.h"
#include "main_window.h"
#include "resource.h"

namespace ui::BackupListView {
namespace {

// The item texts as the program holds them, kept beside the control. A refresh calls SelectByPrefix
// after every Append; reading every item back from the control each time would make rebuilding a list of
// thousands of backups quadratic. Items are only ever appended between two Clears, so the first match
// of a prefix, once found, stays the first match, and only the items added since need searching.
struct Mirror {
    HWND list = nullptr;
    std::vector<AppText> items;
    AppText prefix;
    std::size_t searched = 0; // items already searched for `prefix`
    int found = -1;           // first item that begins with `prefix`
};

Mirror g_mirror;

void ForgetSearch(Mirror& mirror) {
    mirror.prefix.clear();
    mirror.searched = 0;
    mirror.found = -1;
}

AppText ReadItem(HWND list, int index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (got == LB_ERR) return {};
    text.resize(static_cast<std::size_t>(got));
    return app::FromWide(text);
}

// The mirror of `list`, rebuilt from the control when the window is not the one it was made for.
Mirror& MirrorOf(HWND list) {
    if (g_mirror.list != list) {
        g_mirror.list = list;
        g_mirror.items.clear();
        ForgetSearch(g_mirror);
        const int count = list ? static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i) g_mirror.items.push_back(ReadItem(list, i));
    }
    return g_mirror;
}

HWND List() { return MainWindowControl(IDC_BACKUP_LIST); }

} // namespace

void Clear() {
    HWND list = List();
    Mirror& mirror = MirrorOf(list);
    mirror.items.clear();
    ForgetSearch(mirror);
    if (list) SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

int Append(const AppText& text) {
    HWND list = List();
    if (!list) return -1;
    Mirror& mirror = MirrorOf(list);
    const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(app::ToWide(text).c_str()));
    if (index < 0) return -1; // LB_ERR or LB_ERRSPACE: the item was not added
    mirror.items.push_back(text);
    return static_cast<int>(index);
}

int SelectedIndex() {
    HWND list = List();
    if (!list) return -1;
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

AppText ItemText(int index) {
    HWND list = List();
    if (!list || index < 0 || index >= static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0))) return {};
    return ReadItem(list, index);
}

void SelectByPrefix(const AppText& prefix) {
    HWND list = List();
    if (!list) return;
    Mirror& mirror = MirrorOf(list);
    if (mirror.prefix != prefix) {
        ForgetSearch(mirror);
        mirror.prefix = prefix;
    }
    if (mirror.found < 0 && mirror.searched < mirror.items.size()) {
        const std::span<const AppText> unsearched = std::span<const AppText>(mirror.items).subspan(mirror.searched);
        const int at = app::FindFirstItemWithPrefix(unsearched, prefix);
        if (at >= 0) mirror.found = static_cast<int>(mirror.searched) + at;
        mirror.searched = mirror.items.size();
    }
    if (mirror.found >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(mirror.found), 0);
}

} // namespace ui::BackupListView
