// The Windows side of the folder listing: FindFirstFileExW over the extended-length form of the parent
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), so a BackupRoot deeper than 260 characters lists like
// any other. FindExInfoBasic skips the short names nobody here looks at, and the large fetch asks the
// file system for many entries per call.

#include <windows.h>

#include <string>

#include "app/ui.h"
#include "catalogue/find_subfolders_platform.h"

namespace catalogue::platform {
namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// GetFullPathNameW turns '/' into '\' and resolves "." and ".." first: the extended form takes a path
// literally, so it has to be clean before the prefix goes on.
std::wstring SearchPattern(const AppText& parent) {
    std::wstring path = app::ToWide(parent);
    if (!StartsWith(path, L"\\\\?\\")) {
        const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
        if (needed == 0) return {};
        std::wstring full(needed, L'\0');
        const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
        if (length == 0 || length >= needed) return {};
        full.resize(length);
        if (StartsWith(full, L"\\\\.\\")) return {}; // a device, not a folder
        path = StartsWith(full, L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
    }
    if (path.back() != L'\\') path.push_back(L'\\');
    path.push_back(L'*');
    return path;
}

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

} // namespace

std::vector<AppText> SubfolderNames(const AppText& parent) {
    std::vector<AppText> names;
    const std::wstring pattern = SearchPattern(parent);
    if (pattern.empty()) return names;
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return names;
    // Hidden and system folders are backups like any other; junctions and directory links carry the
    // directory attribute and are listed too. A failing FindNextFileW ends the listing with what was found.
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (!IsDotOrDotDot(entry.cFileName)) names.push_back(app::FromWide(entry.cFileName));
        ui::ProcessPendingEvents();
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return names;
}

} // namespace catalogue::platform
