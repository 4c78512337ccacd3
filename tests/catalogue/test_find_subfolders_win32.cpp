// What NTFS and the Win32 calls add: folder attributes, '/' in a parent, and directory links.

#include <windows.h>

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using test_support::TempFolder;

namespace {

std::vector<AppText> Names(const std::vector<AppText>& paths) {
    std::vector<AppText> names;
    for (const AppText& path : paths) names.push_back(catalogue::DisplayNameOf(path));
    return names;
}

TEST(FindSubfoldersWin32, HiddenSystemAndReadOnlyFoldersAreListedHiddenFilesAreNot) {
    TempFolder temp;
    const struct Entry {
        const char* name;
        DWORD attributes;
        bool folder;
    } entries[] = {
        {"hidden", FILE_ATTRIBUTE_HIDDEN, true},
        {"system", FILE_ATTRIBUTE_SYSTEM, true},
        {"hidden system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true},
        {"read-only", FILE_ATTRIBUTE_READONLY, true},
        {"hidden file", FILE_ATTRIBUTE_HIDDEN, false},
    };
    for (const Entry& e : entries) {
        const fs::path path = temp / e.name;
        if (e.folder)
            fs::create_directory(path);
        else
            test_support::WriteFile(path, "x");
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), e.attributes)) << e.name;
    }
    EXPECT_EQ(Names(catalogue::FindSubfolders(temp.text())),
              (std::vector<AppText>{"hidden", "hidden system", "read-only", "system"}));
    for (const Entry& e : entries) ::SetFileAttributesW((temp / e.name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FindSubfoldersWin32, ParentWithForwardSlashesListsWithBackslashesAfterIt) {
    TempFolder temp;
    fs::create_directory(temp / "备份");
    AppText parent = temp.text();
    for (char& c : parent)
        if (c == '\\') c = '/';
    EXPECT_EQ(catalogue::FindSubfolders(parent), std::vector<AppText>{parent + "\\备份"});
    EXPECT_EQ(catalogue::FindSubfolders(parent + "/"), std::vector<AppText>{parent + "/备份"});
}

TEST(FindSubfoldersWin32, DirectoryLinksAreListedFileLinksAreNot) {
    TempFolder temp;
    fs::create_directories(temp / "elsewhere/folder");
    test_support::WriteFile(temp / "elsewhere/file", "x");
    fs::create_directory(temp / "save");
    const bool folderLink = ::CreateSymbolicLinkW((temp / "save/to folder").c_str(),
                                                  (temp / "elsewhere/folder").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const bool fileLink = ::CreateSymbolicLinkW((temp / "save/to file").c_str(), (temp / "elsewhere/file").c_str(), 0);
    // Wine reports success without making the link; only a file system that keeps links can say anything.
    const bool made = ::GetFileAttributesW((temp / "save/to folder").c_str()) != INVALID_FILE_ATTRIBUTES &&
                      ::GetFileAttributesW((temp / "save/to file").c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!folderLink || !fileLink || !made) GTEST_SKIP() << "symbolic links cannot be made here";
    EXPECT_EQ(Names(catalogue::FindSubfolders(temp.text() + "\\save")), std::vector<AppText>{"to folder"});
}

} // namespace
