#include <windows.h>

#include <string>

#include "operations/work_folders.h"

namespace operations {
namespace {

AppText ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text.empty() ? "错误代码 " + std::to_string(error) : app::FromWide(text);
}

// The extended-length form, so that deep trees are checked like shallow ones.
std::wstring Extended(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed ? ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr) : 0;
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

AppText Shown(const std::wstring& extended) {
    if (extended.rfind(L"\\\\?\\UNC\\", 0) == 0) return app::FromWide(L"\\\\" + extended.substr(8));
    if (extended.rfind(L"\\\\?\\", 0) == 0) return app::FromWide(extended.substr(4));
    return app::FromWide(extended);
}

// Asking for delete access while sharing everything fails exactly when another handle denies delete
// sharing: the handle a game opens its save with, typically.
bool Check(const std::wstring& folder, CopyOutcome& outcome) {
    WIN32_FIND_DATAW data{};
    HANDLE find =
        ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return true; // an unreadable folder fails the move itself, with its reason
    bool free = true;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        // A link is moved as a link; what it points to is not ours to check.
        if (isFolder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            free = Check(path, outcome);
            continue;
        }
        HANDLE file =
            ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
        } else if (const DWORD error = ::GetLastError();
                   error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
            outcome = {false, Shown(path), ErrorText(error)};
            free = false;
        }
    } while (free && ::FindNextFileW(find, &data));
    ::FindClose(find);
    return free;
}

} // namespace

CopyOutcome CheckNothingHeldOpen(const AppText& folder) {
    CopyOutcome outcome;
    std::wstring wide = app::ToWide(folder);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    Check(Extended(wide), outcome);
    return outcome;
}

} // namespace operations
