// Real full disks: small tmpfs mounts, which needs root (as in CI); elsewhere these tests skip.
#if !defined(_WIN32)

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

#include "commands_fixture.h"
#include "operations/commands.h"
#include "operations/messages.h"

namespace commands_test {
namespace {

namespace messages = operations::messages;

class DiskFullTest : public CommandsTest {
protected:
    void TearDown() override {
        for (const fs::path& mount : mounts_) ::umount2(mount.c_str(), MNT_DETACH);
        CommandsTest::TearDown();
    }

    // Mounts a tmpfs of `size` (e.g. "1m") at `folder`; false when this process may not mount.
    bool MountSmallDisk(const fs::path& folder, const char* size) {
        fs::create_directories(folder);
        const std::string options = std::string("size=") + size;
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            reason_ = std::strerror(errno);
            return false;
        }
        mounts_.push_back(folder);
        return true;
    }

    std::vector<std::string> AutoBackups() const {
        std::vector<std::string> found;
        for (const std::string& name : BackupNames())
            if (IsStampedName(name, messages::kAutoBackupNote)) found.push_back(name);
        return found;
    }

    std::string reason_;
    std::vector<fs::path> mounts_;
};

#define MOUNT_OR_SKIP(folder, size)                                                                                    \
    if (!MountSmallDisk(folder, size)) GTEST_SKIP() << "cannot mount a tmpfs here: " << reason_

TEST_F(DiskFullTest, CreateOnAFullDiskLeavesNoBackupAndNoWorkFiles) {
    const fs::path run = temp_.path() / "small disk/run";
    MOUNT_OR_SKIP(run, "1m");
    fs::create_directories(run / "save");
    PointStateAt(run, Live());
    WriteTree(Live(), {{"a.sav", std::string(400000, 'a')},
                       {"b.sav", std::string(400000, 'b')},
                       {"c/d.sav", std::string(400000, 'd')}});
    fake_ui::QueueAnswer(true, "too big");

    operations::CreateBackup();

    EXPECT_TRUE(fs::is_empty(run / "save"));
    EXPECT_FALSE(fs::exists(run / "save.work"));
    EXPECT_TRUE(fake_ui::Items().empty());
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    const AppText& message = fake_ui::Messages()[0];
    EXPECT_EQ(message.rfind(messages::kCreateFailed, 0), 0u) << message;
    EXPECT_NE(message.find(app::FromPath(run / "save.work")), AppText::npos) << message;
    EXPECT_NE(message.find(std::strerror(ENOSPC)), AppText::npos) << message;
}

TEST_F(DiskFullTest, RestoreWhoseCopyFillsTheDiskLeavesTheLiveSaveByteIdentical) {
    MOUNT_OR_SKIP(Live().parent_path(), "1m");
    const Tree live = {{"profile.sav", std::string(300000, 'L')}, {"slots/", ""}, {"slots/1.sav", "slot"}};
    WriteTree(Live(), live);
    WriteTree(Backup("big"), {{"profile.sav", std::string(700000, 'B')}, {"more.sav", std::string(700000, 'M')}});
    ListAndHighlight("big");

    operations::RestoreSelectedBackup();

    EXPECT_EQ(test_support::TreeOf(Live()), live);
    ASSERT_EQ(fake_ui::Messages().size(), 1u);
    const AppText& message = fake_ui::Messages()[0];
    EXPECT_EQ(message.rfind(messages::kRestoreFailed, 0), 0u) << message;
    EXPECT_NE(message.find(std::strerror(ENOSPC)), AppText::npos) << message;
    EXPECT_TRUE(AutoBackups().empty());
    ExpectNoWorkLeft();
}

// The replaced save cannot be renamed into `save` across file systems: it is copied there instead.
TEST_F(DiskFullTest, ReplacedSaveOnAnotherVolumeIsCopiedIntoTheBackups) {
    MOUNT_OR_SKIP(Live().parent_path(), "8m");
    const Tree live = {{"profile.sav", "latest"}, {"slots/", ""}, {"slots/1.sav", std::string(100000, 's')}};
    WriteTree(Live(), live);
    WriteTree(Backup("older"), {{"profile.sav", "older"}});
    ListAndHighlight("older");

    operations::RestoreSelectedBackup();

    EXPECT_EQ(test_support::TreeOf(Live()), (Tree{{"profile.sav", "older"}}));
    const std::vector<std::string> autos = AutoBackups();
    ASSERT_EQ(autos.size(), 1u);
    EXPECT_EQ(test_support::TreeOf(Backup(autos[0])), live);
    EXPECT_EQ(fake_ui::Messages(), std::vector<AppText>{messages::kDone});
    ExpectNoWorkLeft();
}

} // namespace
} // namespace commands_test

#endif
