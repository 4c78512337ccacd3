// Windows-only behaviour of the folder services: read-only files, paths past 260 characters, a save file
// the game still holds open, and drive roots.
#if defined(_WIN32)

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "operations/folder_tree.h"
#include "support/hold_file.h"
#include "support/temp_folder.h"
#include "test_folder_tree.h"

namespace fs = std::filesystem;
using operations::CopyFolderTree;
using operations::RemoveFolderTree;
using test_support::TempFolder;
using test_support::WriteFile;

namespace folder_tree_test {

bool MakeUndeletable(const fs::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           ::SetFileAttributesW(file.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
}

void MakeDeletable(const fs::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        ::SetFileAttributesW(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

std::vector<std::string> RootSpellings() {
    return {"C:",
            "C:\\",
            "c:/",
            "D:\\\\",
            "\\\\server\\share",
            "\\\\server\\share\\",
            "\\\\?\\C:\\",
            "\\\\?\\UNC\\server\\share",
            "\\",
            "C:\\Windows\\.."};
}
std::vector<std::string> NonRootSpellings() {
    return {"C:\\Windows", "C:\\Windows\\", "\\\\server\\share\\folder", "\\\\?\\C:\\Windows", "save"};
}

} // namespace folder_tree_test

namespace {

AppText Text(const fs::path& path) { return app::FromPath(path); }

std::wstring Extended(const fs::path& path) { return L"\\\\?\\" + path.wstring(); }

bool WriteLongFile(const std::wstring& path, const std::string& content) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size();
    ::CloseHandle(file);
    return ok;
}

std::string ReadLongFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
    std::string content(4096, '\0');
    DWORD read = 0;
    ::ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    ::CloseHandle(file);
    content.resize(read);
    return content;
}

} // namespace

TEST(CopyFolderTreeOnWindows, PathsLongerThan260CharactersCopyAndRemove) {
    TempFolder tmp;
    // Eight levels of 40 characters: well past MAX_PATH below either root.
    std::wstring relative;
    for (int level = 0; level < 8; ++level) relative += L"\\level " + std::to_wstring(level) + std::wstring(32, L'x');
    const std::wstring source = Extended(tmp.path() / "save");
    std::wstring folder = source;
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    for (std::size_t at = 1; at <= relative.size(); ++at) {
        if (at == relative.size() || relative[at] == L'\\') {
            folder = source + relative.substr(0, at);
            ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
        }
    }
    ASSERT_GT(folder.size(), 300u);
    ASSERT_TRUE(WriteLongFile(folder + L"\\deep.sav", "deep data"));

    const auto outcome = CopyFolderTree(Text(tmp.path() / "save"), Text(tmp.path() / "backup"));

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    const std::wstring copied = Extended(tmp.path() / "backup") + relative + L"\\deep.sav";
    EXPECT_EQ(ReadLongFile(copied), "deep data");

    EXPECT_TRUE(RemoveFolderTree(Text(tmp.path() / "backup")));
    EXPECT_TRUE(RemoveFolderTree(Text(tmp.path() / "save")));
    EXPECT_EQ(::GetFileAttributesW(Extended(tmp.path() / "backup").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW(source.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(CopyFolderTreeOnWindows, ASaveFileHeldOpenByTheGameStopsTheCopyAndIsNamed) {
    TempFolder tmp;
    WriteFile(tmp / "save/a.sav", "a");
    WriteFile(tmp / "save/slot/held.sav", "the game has this open");
    test_support::HeldFile held(tmp / "save/slot/held.sav");
    ASSERT_TRUE(held.held());

    const auto outcome = CopyFolderTree(Text(tmp / "save"), Text(tmp / "backup"));
    held.release();

    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedPath, tmp.text() + "\\save\\slot\\held.sav");
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_FALSE(fs::exists(tmp / "backup/slot/held.sav"));
}

TEST(CopyFolderTreeOnWindows, ReadOnlyFilesKeepTheirMarkInTheCopy) {
    TempFolder tmp;
    WriteFile(tmp / "save/ro.sav", "r");
    ASSERT_TRUE(folder_tree_test::MakeUndeletable(tmp / "save/ro.sav"));

    const auto outcome = CopyFolderTree(Text(tmp / "save"), Text(tmp / "backup"));

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    EXPECT_TRUE(::GetFileAttributesW((tmp / "backup/ro.sav").c_str()) & FILE_ATTRIBUTE_READONLY);
    // Copying over it again replaces it rather than failing on the mark.
    EXPECT_TRUE(CopyFolderTree(Text(tmp / "save"), Text(tmp / "backup")).ok);
}

// A drive letter of our own, pointing at a temp folder, so that refusing a bare drive can be shown on a
// drive whose loss would not matter.
TEST(RemoveFolderTreeOnWindows, ABareDriveIsRefusedWithOrWithoutItsBackslash) {
    TempFolder tmp;
    WriteFile(tmp / "drive/file.txt", "on the drive");
    wchar_t letter = 0;
    for (wchar_t c = L'Q'; c <= L'Y' && !letter; ++c) {
        const wchar_t root[] = {c, L':', L'\\', 0};
        if (::GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) letter = c;
    }
    if (!letter) GTEST_SKIP() << "no free drive letter";
    const wchar_t device[] = {letter, L':', 0};
    if (!::DefineDosDeviceW(0, device, (tmp.path() / "drive").c_str()))
        GTEST_SKIP() << "cannot define a drive letter: " << ::GetLastError();
    const std::string drive = app::FromWide(device);
    const bool mapped = fs::exists(fs::path(std::wstring(device) + L"\\file.txt"));

    const bool bare = RemoveFolderTree(drive);
    const bool withBackslash = RemoveFolderTree(drive + "\\");
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);

    if (!mapped) GTEST_SKIP() << "the drive letter does not reach the folder here";
    EXPECT_FALSE(bare);
    EXPECT_FALSE(withBackslash);
    EXPECT_TRUE(fs::exists(tmp / "drive/file.txt"));
}

#endif
