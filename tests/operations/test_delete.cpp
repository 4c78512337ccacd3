#include "commands_fixture.h"
#include "operations/commands.h"
#include "operations/messages.h"

namespace commands_test {
namespace {

namespace messages = operations::messages;
using operations::DeleteSelectedBackup;
using operations::RestoreSelectedBackup;

class DeleteTest : public CommandsTest {};

TEST_F(DeleteTest, RemovesExactlyTheHighlightedBackupAndSaysNothing) {
    WriteTree(Backup("02月04日 02：41：31 a"), {{"a.sav", "a"}, {"deep/er/x", "x"}});
    WriteTree(Backup("02月04日 02：41：31 a b"), {{"b.sav", "b"}});
    WriteTree(Backup("02月04日 02：41：32 c"), {{"c.sav", "c"}});
    test_support::WriteFile(Backups() / "loose file.txt", "not a backup");
    const Tree others = [this] {
        Tree tree = test_support::TreeOf(Backups());
        std::erase_if(tree, [](const auto& entry) { return entry.first.rfind("02月04日 02：41：31 a/", 0) == 0; });
        return tree;
    }();
    ListAndHighlight("02月04日 02：41：31 a");

    DeleteSelectedBackup();

    EXPECT_EQ(test_support::TreeOf(Backups()), others);
    EXPECT_TRUE(fake_ui::Messages().empty());
    EXPECT_EQ(fake_ui::Items(), (std::vector<AppText>{"02月04日 02：41：31 a b", "02月04日 02：41：32 c"}));
    ExpectNoWorkLeft();
}

TEST_F(DeleteTest, FirstRemainingItemBeginningWithTheDeletedTextIsHighlighted) {
    WriteTree(Backup("03月05日 10：00：00 test"), {{"1", "1"}});
    WriteTree(Backup("03月05日 10：00：00 test2"), {{"2", "2"}});
    WriteTree(Backup("03月06日 10：00：00 other"), {{"3", "3"}});
    ListAndHighlight("03月05日 10：00：00 test");

    DeleteSelectedBackup();

    ASSERT_GE(fake_ui::Selected(), 0);
    EXPECT_EQ(fake_ui::Items()[fake_ui::Selected()], "03月05日 10：00：00 test2");

    DeleteSelectedBackup();
    EXPECT_EQ(fake_ui::Items(), std::vector<AppText>{"03月06日 10：00：00 other"});
    EXPECT_EQ(fake_ui::Selected(), -1) << "no remaining item begins with the deleted text";
}

TEST_F(DeleteTest, BackupRemovedByHandSinceTheRefreshIsDroppedFromTheList) {
    WriteTree(Backup("gone"), {{"1", "1"}});
    WriteTree(Backup("kept"), {{"2", "2"}});
    ListAndHighlight("gone");
    fs::remove_all(Backup("gone"));

    DeleteSelectedBackup();

    EXPECT_TRUE(fake_ui::Messages().empty());
    EXPECT_EQ(fake_ui::Items(), std::vector<AppText>{"kept"});
    EXPECT_EQ(test_support::TreeOf(Backup("kept")), (Tree{{"2", "2"}}));
}

TEST_F(DeleteTest, FailedMoveOutOfTheListKeepsTheBackupWholeAndSaysWhatFailed) {
    WriteTree(Backup("kept whole"), {{"1", "1"}, {"sub/2", "2"}});
    ListAndHighlight("kept whole");
    test_support::WriteFile(WorkFolder(), "a file where the work folder goes");

    DeleteSelectedBackup();

    EXPECT_EQ(test_support::TreeOf(Backup("kept whole")), (Tree{{"1", "1"}, {"sub/", ""}, {"sub/2", "2"}}));
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    EXPECT_EQ(fake_ui::Messages()[0].rfind(messages::kDeleteFailed, 0), 0u) << fake_ui::Messages()[0];
    EXPECT_EQ(fake_ui::Items(), std::vector<AppText>{"kept whole"});
}

// Both commands act on the highlighted item only; an item that does not name a folder directly inside
// `save` is as good as none, so neither can ever reach `save` itself or anything beside it.
TEST_F(DeleteTest, WithoutAUsableHighlightBothCommandsSayNothingIsSelectedAndTouchNothing) {
    WriteTree(Backup("a"), {{"1", "1"}});
    WriteTree(Live(), {{"live.sav", "live"}});
    test_support::WriteFile(Run() / "outside.txt", "outside");
    const Tree before = test_support::TreeOf(temp_.path());
    struct Case {
        const char* what;
        std::vector<AppText> items;
        int selected;
    } cases[] = {
        {"nothing highlighted", {"a"}, -1},
        {"empty list", {}, -1},
        {"empty item", {""}, 0},
        {"the parent step", {".."}, 0},
        {"the folder itself", {"."}, 0},
        {"a path below save", {std::string("a") + app::kPathSeparator + "1"}, 0},
        {"a path out of save", {std::string("..") + app::kPathSeparator + "outside.txt"}, 0},
    };
    for (const Case& c : cases) {
        for (void (*command)() : {&DeleteSelectedBackup, &RestoreSelectedBackup}) {
            SCOPED_TRACE(std::string(c.what) + (command == &DeleteSelectedBackup ? ", delete" : ", restore"));
            fake_ui::Reset();
            fake_ui::Items() = c.items;
            fake_ui::Selected() = c.selected;
            command();
            EXPECT_EQ(fake_ui::Messages(), std::vector<AppText>{messages::kNothingSelected});
            EXPECT_EQ(fake_ui::Items(), c.items) << "no refresh";
            EXPECT_EQ(test_support::TreeOf(temp_.path()), before);
        }
    }
}

} // namespace
} // namespace commands_test
