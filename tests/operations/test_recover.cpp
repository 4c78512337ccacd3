#include <optional>

#include "commands_fixture.h"
#include "operations/commands.h"
#include "operations/messages.h"

namespace commands_test {
namespace {

namespace messages = operations::messages;
using operations::RecoverUnfinishedWork;

const Tree kOldSave = {{"profile.sav", "the player's latest"}, {"slots/", ""}, {"slots/1.sav", "latest slot"}};
const Tree kRestored = {{"profile.sav", "from the backup"}};
const Tree kPartial = {{"profile.sav", "from the ba"}};

class RecoverTest : public CommandsTest {
protected:
    std::vector<std::string> AutoBackups() const {
        std::vector<std::string> found;
        for (const std::string& name : BackupNames())
            if (IsStampedName(name, messages::kAutoBackupNote)) found.push_back(name);
        return found;
    }
};

// Each crash point of a restore, recreated on disk as the interrupted process leaves it.
TEST_F(RecoverTest, InterruptedRestoreIsCompletedOrRolledBackAndNoSaveIsLost) {
    struct Case {
        const char* crash;
        std::optional<Tree> live, fresh, old, done; // what stands at L, N, O and D
        std::optional<Tree> liveAfter;
        std::optional<Tree> autoBackup; // the one "恢复前自动备份" backup expected, if any
    } cases[] = {
        {"during the copy", kOldSave, kPartial, {}, {}, kOldSave, {}},
        {"during the copy into a missing live folder", {}, kPartial, {}, {}, {}, {}},
        {"after setting the live folder aside", {}, kRestored, kOldSave, {}, kRestored, kOldSave},
        {"after setting aside, copy already moved", {}, {}, kOldSave, {}, kOldSave, {}},
        {"after the swap", kRestored, {}, kOldSave, {}, kRestored, kOldSave},
        {"after the swap, an empty live folder set aside", kRestored, {}, Tree{}, {}, kRestored, {}},
        {"while removing a replaced save already copied", kRestored, {}, {}, Tree{{"slots/", ""}}, kRestored, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.crash);
        fs::remove_all(temp_.path() / "game");
        fs::remove_all(Backups());
        fs::create_directories(Backups());
        fs::create_directories(Live().parent_path());
        if (c.live) WriteTree(Live(), *c.live);
        if (c.fresh) WriteTree(RestoreNew(), *c.fresh);
        if (c.old) WriteTree(RestoreOld(), *c.old);
        if (c.done) WriteTree(RestoreDone(), *c.done);

        RecoverUnfinishedWork();

        if (c.liveAfter) {
            EXPECT_EQ(test_support::TreeOf(Live()), *c.liveAfter);
        } else {
            EXPECT_FALSE(fs::exists(Live()));
        }
        const std::vector<std::string> autos = AutoBackups();
        ASSERT_EQ(autos.size(), c.autoBackup ? 1u : 0u);
        if (c.autoBackup) {
            EXPECT_EQ(test_support::TreeOf(Backup(autos[0])), *c.autoBackup);
        }
        EXPECT_EQ(BackupNames().size(), autos.size());
        ExpectNoWorkLeft();
        EXPECT_TRUE(fake_ui::Messages().empty());
    }
}

TEST_F(RecoverTest, WorkFolderLeftoversAreClearedAndBackupsKept) {
    WriteTree(WorkFolder(), {{"create/half.sav", "half"}, {"delete/sub/x", "x"}, {"keep-2/", ""}});
    WriteTree(Backup("02月04日 02：41：31 kept"), {{"a", "a"}});
    WriteTree(Live(), kOldSave);

    RecoverUnfinishedWork();

    EXPECT_FALSE(fs::exists(WorkFolder()));
    EXPECT_EQ(BackupNames(), std::vector<std::string>{"02月04日 02：41：31 kept"});
    EXPECT_EQ(test_support::TreeOf(Live()), kOldSave);
}

TEST_F(RecoverTest, SaveFolderPointingAtTheWorkFolderIsNeverCleared) {
    WriteTree(WorkFolder(), kOldSave);
    app::State().SaveDirectory = app::FromPath(WorkFolder());

    RecoverUnfinishedWork();

    EXPECT_EQ(test_support::TreeOf(WorkFolder()), kOldSave);
}

TEST_F(RecoverTest, NothingToRepairChangesNothing) {
    WriteTree(Live(), kOldSave);
    WriteTree(Backup("a"), {{"1", "1"}});
    const Tree before = test_support::TreeOf(temp_.path());
    RecoverUnfinishedWork();
    EXPECT_EQ(test_support::TreeOf(temp_.path()), before);

    app::State().SaveDirectory.clear();
    RecoverUnfinishedWork();
    EXPECT_EQ(test_support::TreeOf(temp_.path()), before);
}

} // namespace
} // namespace commands_test
