#include <ctime>
#include <functional>

#include "commands_fixture.h"
#include "operations/backup_name.h"
#include "operations/commands.h"
#include "operations/messages.h"

namespace commands_test {
namespace {

namespace messages = operations::messages;
using operations::CreateBackup;

const Tree kSave = {
    {"profile.sav", "level 7"},     {"slots/", ""},        {"slots/1.sav", std::string(100000, 'x')},
    {"slots/deep/er/2.sav", "two"}, {"empty folder/", ""}, {"中文 名字.sav", "unicode name"},
};

class CreateTest : public CommandsTest {};

TEST_F(CreateTest, CopiesTheSaveIntoANewStampedBackupAndSaysDone) {
    WriteTree(Live(), kSave);
    fake_ui::QueueAnswer(true, "before patch");

    CreateBackup();

    ASSERT_EQ(fake_ui::AskCalls().size(), 1u);
    EXPECT_EQ(fake_ui::AskCalls()[0].title, messages::kNoteTitle);
    EXPECT_EQ(fake_ui::AskCalls()[0].initial, "");
    const std::vector<std::string> names = BackupNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsStampedName(names[0], "before patch")) << names[0];
    EXPECT_EQ(test_support::TreeOf(Backup(names[0])), test_support::TreeOf(Live()));
    EXPECT_EQ(test_support::TreeOf(Live()).size(), 8u) << "the live save is left as it was";
    EXPECT_EQ(fake_ui::Items(), names) << "the list is refreshed";
    EXPECT_EQ(fake_ui::Messages(), std::vector<AppText>{messages::kDone});
    ExpectNoWorkLeft();
}

TEST_F(CreateTest, EmptyNoteBecomesTheDefaultNote) {
    WriteTree(Live(), kSave);
    fake_ui::QueueAnswer(true, "");
    CreateBackup();
    const std::vector<std::string> names = BackupNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsStampedName(names[0], "无备注")) << names[0];
}

TEST_F(CreateTest, NoteIsSanitisedAndTheBackupLandsDirectlyInSave) {
    WriteTree(Live(), kSave);
    fake_ui::QueueAnswer(true, "../boss: 1/2 *hard*?  ");
    CreateBackup();
    const std::vector<std::string> names = BackupNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsStampedName(names[0], "..／boss： 1／2 ＊hard＊？")) << names[0];
    EXPECT_EQ(test_support::TreeOf(Backup(names[0])), test_support::TreeOf(Live()));
    EXPECT_EQ(std::distance(fs::directory_iterator(Run()), fs::directory_iterator()), 1) << "only `save` in run";
}

TEST_F(CreateTest, CancelledNoteChangesNothing) {
    WriteTree(Live(), kSave);
    fake_ui::Items() = {"not refreshed"};
    fake_ui::QueueAnswer(false, "ignored");
    CreateBackup();
    EXPECT_TRUE(BackupNames().empty());
    EXPECT_TRUE(fake_ui::Messages().empty());
    EXPECT_EQ(fake_ui::Items(), std::vector<AppText>{"not refreshed"});
    ExpectNoWorkLeft();
}

TEST_F(CreateTest, SaveFolderThatIsNoFolderIsReportedWithoutAsking) {
    struct Case {
        const char* what;
        std::function<AppText()> save;
    } cases[] = {
        {"empty", [] { return AppText(); }},
        {"missing", [this] { return app::FromPath(Live()); }},
        {"a file",
         [this] {
             test_support::WriteFile(Live().parent_path() / "file.sav", "x");
             return app::FromPath(Live().parent_path() / "file.sav");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake_ui::Reset();
        fake_ui::Items() = {"not refreshed"};
        app::State().SaveDirectory = c.save();
        CreateBackup();
        EXPECT_EQ(fake_ui::Messages(), std::vector<AppText>{messages::kSaveFolderNotFound});
        EXPECT_TRUE(fake_ui::AskCalls().empty());
        EXPECT_EQ(fake_ui::Items(), std::vector<AppText>{"not refreshed"});
        EXPECT_TRUE(BackupNames().empty());
    }
}

TEST_F(CreateTest, SaveFolderOverlappingTheBackupsIsRefusedBeforeAnythingIsCopied) {
    fs::create_directories(Backups() / "inside");
    fs::create_directories(WorkFolder() / "leftover");
    const fs::path root = Live().root_path();
    struct Case {
        const char* what;
        fs::path save;
    } cases[] = {
        {"the file-system root", root},
        {"the program folder, which holds `save`", Run()},
        {"`save` itself", Backups()},
        {"`save` spelled with a trailing separator and a dot step", Backups() / "." / ""},
        {"a folder inside `save`", Backups() / "inside"},
        {"the work folder", WorkFolder()},
        {"a folder holding the program folder", temp_.path()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake_ui::Reset();
        app::State().SaveDirectory = app::FromPath(c.save);
        CreateBackup();
        EXPECT_EQ(fake_ui::Messages(), std::vector<AppText>{messages::kUnsafeSaveFolder});
        EXPECT_TRUE(fake_ui::AskCalls().empty());
        EXPECT_EQ(BackupNames(), std::vector<std::string>{"inside"});
        EXPECT_EQ(test_support::TreeOf(WorkFolder()), (Tree{{"leftover/", ""}}));
    }
}

// The clock cannot be set, so every name this second and the next few could give is taken beforehand.
TEST_F(CreateTest, NameTakenInTheSameSecondGetsTheNextNumberAndNeverMerges) {
    WriteTree(Live(), kSave);
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> taken;
    for (std::time_t t = now; t < now + 5; ++t) {
        const std::string stamp = operations::MakeBackupStamp(*std::localtime(&t));
        for (const std::string& name : {stamp + " same", stamp + " same (2)"}) {
            WriteTree(Backup(name), {{"earlier.sav", name}});
            taken.push_back(name);
        }
    }
    fake_ui::QueueAnswer(true, "same");

    CreateBackup();

    std::vector<std::string> added;
    for (const std::string& name : BackupNames())
        if (std::find(taken.begin(), taken.end(), name) == taken.end()) added.push_back(name);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_TRUE(IsStampedName(added[0], "same (3)")) << added[0];
    EXPECT_EQ(test_support::TreeOf(Backup(added[0])), test_support::TreeOf(Live()));
    for (const std::string& name : taken)
        EXPECT_EQ(test_support::TreeOf(Backup(name)), (Tree{{"earlier.sav", name}})) << name;
}

TEST_F(CreateTest, HighlightStaysOnTheItemHighlightedBefore) {
    WriteTree(Live(), kSave);
    WriteTree(Backup("01月01日 00：00：00 first"), {{"a", "1"}});
    WriteTree(Backup("zz last"), {{"a", "2"}});
    ListAndHighlight("zz last");
    fake_ui::QueueAnswer(true, "new one");

    CreateBackup();

    ASSERT_EQ(fake_ui::Items().size(), 3u);
    ASSERT_GE(fake_ui::Selected(), 0);
    EXPECT_EQ(fake_ui::Items()[fake_ui::Selected()], "zz last");
    EXPECT_EQ(app::State().RememberedSelection, "zz last");
}

TEST_F(CreateTest, WithNothingHighlightedTheNewBackupIsNotHighlighted) {
    WriteTree(Live(), kSave);
    fake_ui::QueueAnswer(true, "");
    CreateBackup();
    EXPECT_EQ(fake_ui::Items().size(), 1u);
    EXPECT_EQ(fake_ui::Selected(), -1);
}

TEST_F(CreateTest, FailedCopyLeavesNoBackupAndSaysWhatFailed) {
    WriteTree(Live(), kSave);
    // A file where the work folder must go: the copy cannot even start.
    test_support::WriteFile(WorkFolder(), "in the way");
    fake_ui::QueueAnswer(true, "x");

    CreateBackup();

    EXPECT_TRUE(BackupNames().empty());
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    const AppText& message = fake_ui::Messages()[0];
    EXPECT_EQ(message.rfind(messages::kCreateFailed, 0), 0u) << message;
    EXPECT_NE(message.find(app::FromPath(WorkFolder())), AppText::npos) << message;
    EXPECT_GT(message.size(), std::string(messages::kCreateFailed).size() + app::FromPath(WorkFolder()).size() + 1)
        << "the system's words follow the path: " << message;
}

} // namespace
} // namespace commands_test
