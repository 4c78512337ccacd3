// The Windows side of the folder services. Every call goes through the extended-length form of the path
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), so a tree deeper than 260 characters copies and
// removes like any other; messages show the path as the program spells it, without that prefix.

#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "operations/folder_tree.h"
#include "operations/folder_tree_platform.h"

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
    if (text.empty()) return "错误代码 " + std::to_string(error);
    return app::FromWide(text);
}

std::wstring WithBackslashes(const AppText& path) {
    std::wstring wide = app::ToWide(path);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

bool IsBareDriveRoot(const std::wstring& p) {
    // "C:" and "C:\" (any number of backslashes after the colon).
    if (p.size() < 2 || p[1] != L':' || !((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')))
        return false;
    return p.find_first_not_of(L'\\', 2) == std::wstring::npos;
}

bool IsShareRoot(const std::wstring& p) {
    // "\\server\share" with nothing but backslashes after the share name; "\\server" alone too.
    if (!StartsWith(p, L"\\\\")) return false;
    const std::size_t shareStart = p.find(L'\\', 2);
    if (shareStart == std::wstring::npos) return true;
    const std::size_t shareEnd = p.find(L'\\', shareStart + 1);
    return shareEnd == std::wstring::npos || p.find_first_not_of(L'\\', shareEnd) == std::wstring::npos;
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\srv\share" -> "\\srv\share"; other spellings unchanged.
std::wstring WithoutExtendedPrefix(const std::wstring& p) {
    if (StartsWith(p, L"\\\\?\\UNC\\")) return L"\\\\" + p.substr(8);
    if (StartsWith(p, L"\\\\?\\") || StartsWith(p, L"\\??\\")) return p.substr(4);
    return p;
}

// The extended-length spelling of an absolute or relative path, without a trailing backslash except
// after a drive ("\\?\C:\").
std::wstring Extended(const AppText& path) {
    std::wstring wide = WithBackslashes(path);
    if (StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return wide;
    std::wstring full = FullPath(wide);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring Join(const std::wstring& folder, const wchar_t* name) {
    std::wstring out = folder;
    if (out.empty() || out.back() != L'\\') out.push_back(L'\\');
    out.append(name);
    return out;
}

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Links and junctions are the name-surrogate reparse points: they stand for another place. Other tags
// (cloud placeholders, deduplicated files) are ordinary contents of the tree.
bool IsLink(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(data.dwReserved0);
}

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

HANDLE OpenForAttributes(const std::wstring& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The user-mode headers leave out the reparse buffer layout; this is its documented shape.
struct ReparseBuffer {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    // Symbolic links have a flags word here; junctions go straight to the path text.
};

struct TreeCopy {
    AppText sourceRoot;
    AppText destinationRoot;
    CopyOutcome outcome;

    bool Fail(bool onSourceSide, const std::wstring& relative, DWORD error) {
        const AppText& root = onSourceSide ? sourceRoot : destinationRoot;
        outcome.ok = false;
        outcome.failedPath = relative.empty() ? root : app::JoinPath(root, app::FromWide(relative));
        outcome.error = ErrorText(error);
        return false;
    }

    bool CopyFolderContents(const std::wstring& from, const std::wstring& to, const std::wstring& relative);
    bool CopyFile(const std::wstring& from, const std::wstring& to, const std::wstring& relative);
    bool CopyFolderLink(const std::wstring& from, const std::wstring& to, const std::wstring& relative);
    bool CopySubfolder(const std::wstring& from, const std::wstring& to, const std::wstring& relative,
                       const WIN32_FIND_DATAW& data);
};

// After a failed copy, tells the two sides apart by whether the source can be opened the way CopyFileExW
// opens it: a file held open without sharing, or gone, is the source's fault.
bool SourceIsAtFault(const std::wstring& from, DWORD& error) {
    FileHandle file(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.valid()) return false;
    error = ::GetLastError();
    return true;
}

bool TreeCopy::CopyFile(const std::wstring& from, const std::wstring& to, const std::wstring& relative) {
    // Fail-if-exists first: a file already at the destination is deleted and written afresh rather than
    // overwritten in place, so a read-only one gets replaced and a hard link shared with another tree
    // is never written through.
    constexpr DWORD kFlags = COPY_FILE_COPY_SYMLINK | COPY_FILE_FAIL_IF_EXISTS;
    if (::CopyFileExW(from.c_str(), to.c_str(), nullptr, nullptr, nullptr, kFlags)) return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = ::GetFileAttributesW(to.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Fail(false, relative, ERROR_ALREADY_EXISTS);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            ::SetFileAttributesW(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (!::DeleteFileW(to.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            return Fail(false, relative, ::GetLastError());
        if (::CopyFileExW(from.c_str(), to.c_str(), nullptr, nullptr, nullptr, kFlags)) return true;
        error = ::GetLastError();
    }
    DWORD sourceError = error;
    if (SourceIsAtFault(from, sourceError)) return Fail(true, relative, sourceError);
    return Fail(false, relative, error);
}

// A folder link or junction is made again at the destination with the same target text; its target is
// never entered.
bool TreeCopy::CopyFolderLink(const std::wstring& from, const std::wstring& to, const std::wstring& relative) {
    FileHandle source(OpenForAttributes(from, FILE_READ_ATTRIBUTES));
    if (!source.valid()) return Fail(true, relative, ::GetLastError());
    std::vector<std::byte> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    if (!::DeviceIoControl(source.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                           static_cast<DWORD>(buffer.size()), &size, nullptr))
        return Fail(true, relative, ::GetLastError());
    ReparseBuffer header{};
    memcpy(&header, buffer.data(), sizeof header);

    if (header.tag == IO_REPARSE_TAG_SYMLINK) {
        // Remade through the ordinary call, which works without administrator rights in developer mode.
        // A relative target stays relative: the text is handed over as it was stored.
        const std::byte* names = buffer.data() + sizeof header + sizeof(DWORD); // past the flags word
        auto text = [&](WORD offset, WORD length) {
            return std::wstring(reinterpret_cast<const wchar_t*>(names + offset), length / sizeof(wchar_t));
        };
        std::wstring target = text(header.printOffset, header.printLength);
        if (target.empty()) target = WithoutExtendedPrefix(text(header.substituteOffset, header.substituteLength));
        if (::CreateSymbolicLinkW(to.c_str(), target.c_str(),
                                  SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
            return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS) return Fail(false, relative, error);
        if (!::RemoveDirectoryW(to.c_str())) return Fail(false, relative, ::GetLastError());
        if (::CreateSymbolicLinkW(to.c_str(), target.c_str(),
                                  SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
            return true;
        return Fail(false, relative, ::GetLastError());
    }

    // Junctions and other folder surrogates: an empty folder carrying the same reparse data.
    if (!::CreateDirectoryW(to.c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS) return Fail(false, relative, error);
        const DWORD attributes = ::GetFileAttributesW(to.c_str());
        if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return Fail(false, relative, ERROR_ALREADY_EXISTS);
        if (!::RemoveDirectoryW(to.c_str()) || !::CreateDirectoryW(to.c_str(), nullptr))
            return Fail(false, relative, ::GetLastError());
    }
    FileHandle link(OpenForAttributes(to, GENERIC_WRITE));
    if (!link.valid()) return Fail(false, relative, ::GetLastError());
    DWORD unused = 0;
    if (!::DeviceIoControl(link.get(), FSCTL_SET_REPARSE_POINT, buffer.data(), size, nullptr, 0, &unused, nullptr)) {
        const DWORD error = ::GetLastError();
        ::RemoveDirectoryW(to.c_str());
        return Fail(false, relative, error);
    }
    return true;
}

bool TreeCopy::CopySubfolder(const std::wstring& from, const std::wstring& to, const std::wstring& relative,
                             const WIN32_FIND_DATAW& data) {
    const bool created = ::CreateDirectoryW(to.c_str(), nullptr) != 0;
    if (!created) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS) return Fail(false, relative, error);
        // A file, or a link, standing where the folder goes is not merged into.
        const DWORD attributes = ::GetFileAttributesW(to.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return Fail(false, relative, ERROR_ALREADY_EXISTS);
    }
    if (!CopyFolderContents(from, to, relative)) return false;
    if (created) {
        // Hidden and system marks go along; read-only on a folder only means "customised" to Explorer
        // and would block nothing, so it is left off.
        constexpr DWORD kKept =
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (data.dwFileAttributes & kKept) ::SetFileAttributesW(to.c_str(), data.dwFileAttributes & kKept);
        FileHandle folder(OpenForAttributes(to, FILE_WRITE_ATTRIBUTES));
        if (folder.valid()) ::SetFileTime(folder.get(), &data.ftCreationTime, nullptr, &data.ftLastWriteTime);
    }
    return true;
}

bool TreeCopy::CopyFolderContents(const std::wstring& from, const std::wstring& to, const std::wstring& relative) {
    WIN32_FIND_DATAW data{};
    FindHandle find(::FindFirstFileExW(Join(from, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A drive root has no "." entry, so an empty one reports that nothing matched.
        return error == ERROR_FILE_NOT_FOUND || Fail(true, relative, error);
    }
    do {
        if (IsDotOrDotDot(data.cFileName)) continue;
        const std::wstring child = relative.empty() ? std::wstring(data.cFileName) : Join(relative, data.cFileName);
        const std::wstring source = Join(from, data.cFileName);
        const std::wstring destination = Join(to, data.cFileName);
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool ok;
        if (folder && IsLink(data))
            ok = CopyFolderLink(source, destination, child);
        else if (folder)
            ok = CopySubfolder(source, destination, child, data);
        else
            ok = CopyFile(source, destination, child); // file links are copied as links by the flag
        if (!ok) return false;
    } while (::FindNextFileW(find.get(), &data));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES || Fail(true, relative, error);
}

// Compares two paths case-blind, as the file system does.
bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer) {
    if (inner.size() < outer.size()) return false;
    if (!SamePath(inner.substr(0, outer.size()), outer)) return false;
    return inner.size() == outer.size() || inner[outer.size()] == L'\\' || outer.back() == L'\\';
}

// Removes what is inside `folder`, depth first; reparse points go as themselves, never entered.
void RemoveContents(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    FindHandle find(::FindFirstFileExW(Join(folder, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) return;
    do {
        if (IsDotOrDotDot(data.cFileName)) continue;
        const std::wstring child = Join(folder, data.cFileName);
        const DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            RemoveContents(child);
            ::RemoveDirectoryW(child.c_str());
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            ::RemoveDirectoryW(child.c_str());
        } else {
            // A read-only file refuses DeleteFileW and is kept, as Explorer's users expect.
            ::DeleteFileW(child.c_str());
        }
    } while (::FindNextFileW(find.get(), &data));
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

} // namespace

namespace platform {

CopyOutcome CopyTree(const AppText& source, const AppText& destination) {
    TreeCopy copy{source, destination, {}};
    const std::wstring from = Extended(source);
    const std::wstring to = Extended(destination);

    // GetFileAttributesW reports a link's own marks; a link to a folder is followed here, at the top only.
    const DWORD attributes = ::GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        copy.Fail(true, {}, ::GetLastError());
        return copy.outcome;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        copy.Fail(true, {}, ERROR_DIRECTORY);
        return copy.outcome;
    }
    // A destination inside the source would be copied into itself without end; a source inside the
    // destination would have its own files replaced while they are read.
    if (IsSameOrInside(to, from) || IsSameOrInside(from, to)) {
        copy.outcome = {false, destination, "不能把文件夹复制到它自身之中或它的上级文件夹中"};
        return copy.outcome;
    }

    const bool created = ::CreateDirectoryW(to.c_str(), nullptr) != 0;
    if (!created) {
        const DWORD error = ::GetLastError();
        const DWORD existing = ::GetFileAttributesW(to.c_str());
        if (error != ERROR_ALREADY_EXISTS || existing == INVALID_FILE_ATTRIBUTES ||
            !(existing & FILE_ATTRIBUTE_DIRECTORY)) {
            copy.Fail(false, {}, error);
            return copy.outcome;
        }
    }
    if (!copy.CopyFolderContents(from, to, {})) return copy.outcome;
    if (created) {
        WIN32_FILE_ATTRIBUTE_DATA times{};
        if (::GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &times)) {
            FileHandle folder(OpenForAttributes(to, FILE_WRITE_ATTRIBUTES));
            if (folder.valid()) ::SetFileTime(folder.get(), &times.ftCreationTime, nullptr, &times.ftLastWriteTime);
        }
    }
    return copy.outcome;
}

bool RemoveTree(const AppText& path) {
    const std::wstring target = Extended(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return IsMissing(::GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ::DeleteFileW(target.c_str()) != 0;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveContents(target);
    return ::RemoveDirectoryW(target.c_str()) != 0 || IsMissing(::GetLastError());
}

} // namespace platform

CopyOutcome RenameFolder(const AppText& from, const AppText& to) {
    if (from.empty() || to.empty()) return {false, from.empty() ? from : to, "路径为空"};
    const std::wstring source = Extended(from);
    // No MOVEFILE_COPY_ALLOWED: across volumes this fails instead of quietly turning into a copy, and
    // without MOVEFILE_REPLACE_EXISTING an existing `to` is never replaced.
    if (::MoveFileExW(source.c_str(), Extended(to).c_str(), 0)) return {};
    const DWORD error = ::GetLastError();
    const bool sourceFault = ::GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES;
    return {false, sourceFault ? from : to, ErrorText(error)};
}

CopyOutcome MakeFolder(const AppText& path) {
    if (path.empty()) return {false, path, "路径为空"};
    if (::CreateDirectoryW(Extended(path).c_str(), nullptr)) return {};
    return {false, path, ErrorText(::GetLastError())};
}

bool IsFolder(const AppText& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(Extended(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const AppText& path) {
    return !path.empty() && ::GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDriveOrFileSystemRoot(const AppText& path) {
    if (path.empty()) return false;
    const std::wstring given = WithoutExtendedPrefix(WithBackslashes(path));
    if (given.find_first_not_of(L'\\') == std::wstring::npos) return true; // "\": the current drive's root
    if (IsBareDriveRoot(given) || IsShareRoot(given)) return true;
    const std::wstring full = FullPath(given);
    if (IsBareDriveRoot(full) || IsShareRoot(full)) return true;
    // A volume mounted on a folder: the folder is its volume's own root.
    std::wstring volume(full.size() + 2, L'\0');
    if (!::GetVolumePathNameW(full.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) return false;
    volume.resize(wcslen(volume.c_str()));
    std::wstring trimmed = full;
    while (!volume.empty() && volume.back() == L'\\') volume.pop_back();
    while (!trimmed.empty() && trimmed.back() == L'\\') trimmed.pop_back();
    return SamePath(trimmed, volume);
}

} // namespace operations
