#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/state.h"
#include "app/text.h"
#include "catalogue/catalogue.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using test_support::TempFolder;

namespace {

// Every test starts from an empty list and a shared state whose BackupRoot is a fresh `save` folder,
// and leaves the state empty again for the next program that shares this process.
class RefreshBackupList : public ::testing::Test {
protected:
    void SetUp() override {
        fake_ui::Reset();
        app::State() = {};
        fs::create_directory(temp / "save");
        app::State().BackupRoot = app::FromPath(temp / "save") + app::kPathSeparator;
    }
    void TearDown() override {
        fake_ui::Reset();
        app::State() = {};
    }

    void MakeBackup(const AppText& name) {
        std::error_code ec;
        fs::create_directories(temp / ("save/" + name), ec);
        ASSERT_FALSE(ec) << name << ": " << ec.message();
    }
    void RemoveBackup(const AppText& name) {
        std::error_code ec;
        fs::remove_all(temp / ("save/" + name), ec);
        ASSERT_FALSE(ec) << name << ": " << ec.message();
    }

    // The list and BackupPaths describe the same folders, and each item rebuilds its folder's path.
    void ExpectListAndPathsAgree() {
        const auto& paths = app::State().BackupPaths;
        ASSERT_EQ(fake_ui::Items().size(), paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(app::State().BackupRoot + fake_ui::Items()[i], paths[i]);
    }

    AppText SelectedText() { return fake_ui::Selected() < 0 ? "(none)" : fake_ui::Items()[fake_ui::Selected()]; }

    TempFolder temp;
};

TEST_F(RefreshBackupList, ListsEveryBackupInNameOrderWithItsPath) {
    for (const char* name : {"03月05日 10：00：00 b", "02月04日 02：41：31 无备注", "12月31日 23：59：59 年末"})
        MakeBackup(name);
    test_support::WriteFile(temp / "save/readme.txt", "files in save are not backups");
    test_support::WriteFile(temp / "save/02月04日 02：41：31 无备注/存档.dat", "inside a backup");

    catalogue::RefreshBackupList();
    const std::vector<AppText> expected = {"02月04日 02：41：31 无备注", "03月05日 10：00：00 b",
                                           "12月31日 23：59：59 年末"};
    EXPECT_EQ(fake_ui::Items(), expected);
    ExpectListAndPathsAgree();
    EXPECT_TRUE(fake_ui::Messages().empty());
}

TEST_F(RefreshBackupList, EmptyMissingOrUnsetRootGivesAnEmptyListAndNoMessage) {
    MakeBackup("old");
    const struct Case {
        const char* what;
        AppText root;
    } cases[] = {
        {"missing", app::FromPath(temp / "gone") + app::kPathSeparator},
        {"a file", app::FromPath(temp / "file") + app::kPathSeparator},
        {"unset", ""},
        {"empty", app::FromPath(temp / "empty") + app::kPathSeparator},
    };
    test_support::WriteFile(temp / "file", "x");
    fs::create_directory(temp / "empty");
    for (const Case& c : cases) {
        // A full list first, so the case shows that the old items and paths go.
        app::State().BackupRoot = app::FromPath(temp / "save") + app::kPathSeparator;
        catalogue::RefreshBackupList();
        fake_ui::Selected() = 0;
        ASSERT_EQ(fake_ui::Items().size(), 1u);

        app::State().BackupRoot = c.root;
        catalogue::RefreshBackupList();
        EXPECT_TRUE(fake_ui::Items().empty()) << c.what;
        EXPECT_TRUE(app::State().BackupPaths.empty()) << c.what;
        EXPECT_EQ(fake_ui::Selected(), -1) << c.what;
    }
    EXPECT_TRUE(fake_ui::Messages().empty());
}

TEST_F(RefreshBackupList, FolderMadeOrRemovedByHandShowsAtTheNextRefreshOnly) {
    MakeBackup("02月01日 10：00：00 a");
    catalogue::RefreshBackupList();
    ASSERT_EQ(fake_ui::Items(), std::vector<AppText>{"02月01日 10：00：00 a"});

    MakeBackup("01月01日 10：00：00 手动");
    EXPECT_EQ(fake_ui::Items().size(), 1u); // the list is no watcher
    catalogue::RefreshBackupList();
    EXPECT_EQ(fake_ui::Items(), (std::vector<AppText>{"01月01日 10：00：00 手动", "02月01日 10：00：00 a"}));
    ExpectListAndPathsAgree();

    RemoveBackup("02月01日 10：00：00 a");
    EXPECT_EQ(fake_ui::Items().size(), 2u);
    catalogue::RefreshBackupList();
    EXPECT_EQ(fake_ui::Items(), std::vector<AppText>{"01月01日 10：00：00 手动"});
    ExpectListAndPathsAgree();
}

// What the commands leave in RememberedSelection before they refresh, and where the highlight ends up.
TEST_F(RefreshBackupList, HighlightsTheFirstItemBeginningWithTheRememberedText) {
    const struct Case {
        const char* caller;
        std::vector<AppText> before;  // backups on disk at the first refresh
        AppText highlighted;          // item the user highlights after it ("" for none)
        AppText remembered;           // RememberedSelection for the second refresh
        std::vector<AppText> added;   // folders made between the refreshes
        std::vector<AppText> removed; // folders removed between the refreshes
        AppText expected;             // highlighted after the second refresh
    } cases[] = {
        {"start-up: nothing remembered", {"a", "b"}, "b", "", {}, {}, "(none)"},
        {"refresh: the last command's choice again",
         {"02月01日 x", "03月05日 y", "03月07日 z"},
         "",
         "03月05日 y",
         {},
         {},
         "03月05日 y"},
        {"create: highlight stays on the item, now lower down",
         {"03月05日 10：00：00 b"},
         "03月05日 10：00：00 b",
         "03月05日 10：00：00 b",
         {"02月01日 09：00：00 新"},
         {},
         "03月05日 10：00：00 b"},
        {"create with nothing highlighted: the new backup is not highlighted", {"a"}, "", "", {"b"}, {}, "(none)"},
        {"create: a new name that begins with the remembered text sorts below it",
         {"03月05日 10：00：00 b"},
         "03月05日 10：00：00 b",
         "03月05日 10：00：00 b",
         {"03月05日 10：00：00 B0"},
         {},
         "03月05日 10：00：00 b"},
        {"restore: the restored backup again, letter case ignored",
         {"Save A", "save b"},
         "save b",
         "SAVE B",
         {},
         {},
         "save b"},
        {"delete: the first remaining item beginning with the deleted one's text",
         {"03月05日 10：00：00 test", "03月05日 10：00：00 test2", "03月05日 10：00：00 test3"},
         "03月05日 10：00：00 test",
         "03月05日 10：00：00 test",
         {},
         {"03月05日 10：00：00 test"},
         "03月05日 10：00：00 test2"},
        {"delete: nothing left that matches", {"a", "b"}, "b", "b", {}, {"b"}, "(none)"},
        {"a prefix highlights the first match from the top",
         {"02月01日 a", "03月05日 b", "03月07日 c"},
         "",
         "03月",
         {},
         {},
         "03月05日 b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caller);
        TearDown();
        fs::remove_all(temp / "save");
        SetUp();
        for (const AppText& name : c.before) MakeBackup(name);
        catalogue::RefreshBackupList();
        if (!c.highlighted.empty()) {
            ASSERT_TRUE(fake_ui::Select(c.highlighted));
        }

        for (const AppText& name : c.added) MakeBackup(name);
        for (const AppText& name : c.removed) RemoveBackup(name);
        app::State().RememberedSelection = c.remembered;
        catalogue::RefreshBackupList();
        EXPECT_EQ(SelectedText(), c.expected);
        EXPECT_EQ(app::State().RememberedSelection, c.remembered);
        ExpectListAndPathsAgree();
    }
}

TEST_F(RefreshBackupList, ListAndPathsStayAsTheyWereWhileTheListingRuns) {
    for (const char* name : {"a", "b"}) MakeBackup(name);
    catalogue::RefreshBackupList();
    fake_ui::Select("b");
    const std::vector<AppText> oldItems = fake_ui::Items();
    const std::vector<AppText> oldPaths = app::State().BackupPaths;
    for (const char* name : {"c", "d", "e"}) MakeBackup(name);
    RemoveBackup("a");
    app::State().RememberedSelection = "b";

    // What a click handled between entries would see, and act on: the previous refresh, whole.
    int calls = 0;
    fake_ui::OnPendingEvents([&] {
        ++calls;
        EXPECT_EQ(fake_ui::Items(), oldItems);
        EXPECT_EQ(app::State().BackupPaths, oldPaths);
        EXPECT_EQ(fake_ui::Selected(), 1);
    });
    catalogue::RefreshBackupList();
    EXPECT_GE(calls, 4);
    EXPECT_EQ(fake_ui::Items(), (std::vector<AppText>{"b", "c", "d", "e"}));
    EXPECT_EQ(SelectedText(), "b");
    ExpectListAndPathsAgree();
}

TEST_F(RefreshBackupList, RefreshStartedInTheMiddleOfAListingLeavesItConsistent) {
    // The window ignores clicks while a command runs; even without that guard, a refresh run from the
    // listing's event handling must not leave half of one listing and half of another.
    for (const char* name : {"a", "b", "c"}) MakeBackup(name);
    bool nested = false;
    fake_ui::OnPendingEvents([&] {
        if (nested) return;
        nested = true;
        RemoveBackup("b");
        MakeBackup("d");
        catalogue::RefreshBackupList();
    });
    catalogue::RefreshBackupList();
    ASSERT_TRUE(nested);
    ExpectListAndPathsAgree();
    // The outer listing started before the change; whether it saw "b" and "d" is the file system's
    // business, but every item it shows is one folder's name, once.
    std::vector<AppText> items = fake_ui::Items();
    std::sort(items.begin(), items.end());
    EXPECT_EQ(std::adjacent_find(items.begin(), items.end()), items.end());
    EXPECT_TRUE(std::count(items.begin(), items.end(), "a") == 1 && std::count(items.begin(), items.end(), "c") == 1);
}

} // namespace
