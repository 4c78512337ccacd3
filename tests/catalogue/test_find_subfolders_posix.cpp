// What a Linux file system has and NTFS does not: symbolic links, and names that differ only in case.

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "app/state.h"
#include "catalogue/catalogue.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using test_support::TempFolder;

namespace {

std::vector<AppText> Names(const std::vector<AppText>& paths) {
    std::vector<AppText> names;
    for (const AppText& path : paths) names.push_back(catalogue::DisplayNameOf(path));
    return names;
}

TEST(FindSubfoldersPosix, LinksToFoldersAreListedLinksToFilesAndDanglingLinksAreNot) {
    TempFolder temp;
    fs::create_directories(temp / "elsewhere/folder");
    test_support::WriteFile(temp / "elsewhere/file", "x");
    fs::create_directory(temp / "save");
    fs::create_directory(temp / "save/real");
    fs::create_directory_symlink(temp / "elsewhere/folder", temp / "save/to folder");
    fs::create_directory_symlink("../elsewhere/folder", temp / "save/relative to folder");
    fs::create_symlink(temp / "elsewhere/file", temp / "save/to file");
    fs::create_directory_symlink(temp / "elsewhere/gone", temp / "save/dangling");

    EXPECT_EQ(Names(catalogue::FindSubfolders(temp.text() + "/save")),
              (std::vector<AppText>{"real", "relative to folder", "to folder"}));
}

TEST(FindSubfoldersPosix, NamesOnlyDotsAfterTheFirstTwoAreFolders) {
    TempFolder temp;
    for (const char* name : {"...", "....", ". "}) fs::create_directory(temp / name);
    EXPECT_EQ(Names(catalogue::FindSubfolders(temp.text())), (std::vector<AppText>{". ", "...", "...."}));
}

TEST(FindSubfoldersPosix, NamesEqualIgnoringCaseKeepAFixedOrder) {
    TempFolder temp;
    for (const char* name : {"test", "TEST", "Test", "tesT2", "a"}) fs::create_directory(temp / name);
    EXPECT_EQ(Names(catalogue::FindSubfolders(temp.text())),
              (std::vector<AppText>{"a", "TEST", "Test", "test", "tesT2"}));
}

TEST(FindSubfoldersPosix, RefreshHighlightsTheFirstOfNamesEqualIgnoringCase) {
    // Strictly the first item from the top that begins with the remembered text, which is not always the
    // item that was highlighted.
    TempFolder temp;
    for (const char* name : {"backup", "BACKUP"}) fs::create_directory(temp / name);
    fake_ui::Reset();
    app::State() = {};
    app::State().BackupRoot = temp.text() + "/";
    app::State().RememberedSelection = "backup";
    catalogue::RefreshBackupList();
    EXPECT_EQ(fake_ui::Items(), (std::vector<AppText>{"BACKUP", "backup"}));
    EXPECT_EQ(fake_ui::Selected(), 0);
    fake_ui::Reset();
    app::State() = {};
}

} // namespace
