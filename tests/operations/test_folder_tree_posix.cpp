// Linux-only behaviour of the folder services: modes, special files, a file system that fills up,
// mounted roots and block sharing on a file system that can clone.
#if !defined(_WIN32)

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "operations/folder_tree.h"
#include "support/temp_folder.h"
#include "test_folder_tree.h"

namespace fs = std::filesystem;
using operations::CopyFolderTree;
using operations::RemoveFolderTree;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::TreeOf;
using test_support::WriteFile;

namespace folder_tree_test {

// Root ignores permissions, but not the immutable flag (ext4, XFS, Btrfs, tmpfs since Linux 6.0).
bool MakeUndeletable(const fs::path& file) {
    if (::geteuid() != 0) {
        std::error_code ec;
        fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace,
                        ec);
        return !ec;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    const bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                    (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    ::close(fd);
    return ok;
}

void MakeDeletable(const fs::path& file) {
    if (::geteuid() != 0) {
        std::error_code ec;
        fs::permissions(file.parent_path(), fs::perms::owner_all, fs::perm_options::add, ec);
        return;
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
}

std::vector<std::string> RootSpellings() { return {"/", "//", "/.", "/./", "/tmp/..", "/usr/../"}; }
std::vector<std::string> NonRootSpellings() { return {"/usr", "/tmp/", "/usr/lib/..", "/does/not/exist", "save"}; }

} // namespace folder_tree_test

namespace {

AppText Text(const fs::path& path) { return app::FromPath(path); }

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(engine() & 0xFF);
    return bytes;
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// File systems of their own mounted on folders of the temp folder, unmounted again at the end. Needs
// root; otherwise Mount marks the test skipped and the test returns.
class MountedFolder : public ::testing::Test {
protected:
    void Mount(const std::string& mountCommand, const fs::path& where) {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
        fs::create_directories(where);
        if (Shell(mountCommand + " " + where.string()) != 0) GTEST_SKIP() << "cannot mount: " << mountCommand;
        mounted_.push_back(where);
    }
    void Mount(const std::string& mountCommand) { Mount(mountCommand, mountPoint()); }
    void TearDown() override {
        for (const fs::path& where : mounted_) ::umount2(where.c_str(), MNT_DETACH);
    }
    fs::path mountPoint() const { return tmp_ / "mnt"; }
    TempFolder tmp_;

private:
    std::vector<fs::path> mounted_;
};

} // namespace

TEST(CopyFolderTreeOnLinux, KeepsModeBitsAndFillsReadOnlyFolders) {
    TempFolder tmp;
    WriteFile(tmp / "save/run.sh", "#!/bin/sh\n");
    WriteFile(tmp / "save/readonly.sav", "r");
    WriteFile(tmp / "save/closed/inner.sav", "inside a folder nobody may write to");
    ::chmod((tmp / "save/run.sh").c_str(), 0750);
    ::chmod((tmp / "save/readonly.sav").c_str(), 0400);
    ::chmod((tmp / "save/closed").c_str(), 0555);

    const auto outcome = CopyFolderTree(Text(tmp / "save"), Text(tmp / "dst"));

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    for (const char* name : {"run.sh", "readonly.sav", "closed", "closed/inner.sav"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ModeOf(tmp / "dst" / name), ModeOf(tmp / "save" / name));
    }
    EXPECT_EQ(ReadFile(tmp / "dst/closed/inner.sav"), "inside a folder nobody may write to");
}

TEST(CopyFolderTreeOnLinux, PipesAreMadeAgainAndSocketsLeftOut) {
    TempFolder tmp;
    WriteFile(tmp / "save/data.sav", "d");
    ASSERT_EQ(::mkfifo((tmp / "save/pipe").c_str(), 0640), 0);

    const auto outcome = CopyFolderTree(Text(tmp / "save"), Text(tmp / "dst"));

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    EXPECT_TRUE(S_ISFIFO(ModeOf(tmp / "dst/pipe")));
    EXPECT_EQ(ModeOf(tmp / "dst/pipe") & 07777, 0640u);
    EXPECT_EQ(ReadFile(tmp / "dst/data.sav"), "d");
}

TEST(CopyFolderTreeOnLinux, AnUnreadableFileStopsTheCopyAndIsNamed) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempFolder tmp;
    WriteFile(tmp / "save/a/locked.sav", "x");
    ::chmod((tmp / "save/a/locked.sav").c_str(), 0);

    const auto outcome = CopyFolderTree(Text(tmp / "save"), Text(tmp / "dst"));

    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedPath, Text(tmp / "save/a/locked.sav"));
    EXPECT_EQ(outcome.error, std::strerror(EACCES));
}

using FullDisk = MountedFolder;

TEST_F(FullDisk, CopyThatRunsOutOfSpaceReportsItInsteadOfSucceeding) {
    Mount("mount -t tmpfs -o size=2m tmpfs");
    if (IsSkipped()) return;
    for (int i = 0; i < 5; ++i)
        WriteFile(tmp_ / "save" / ("slot" + std::to_string(i) + ".sav"), RandomBytes(1'000'000, i));

    const AppText destination = Text(mountPoint() / "backup");
    const auto outcome = CopyFolderTree(Text(tmp_ / "save"), destination);

    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, std::strerror(ENOSPC));
    EXPECT_EQ(outcome.failedPath.rfind(destination + "/slot", 0), 0u) << outcome.failedPath;
    // What was copied before stays for the caller to clear; it can be.
    EXPECT_TRUE(RemoveFolderTree(destination));
    EXPECT_TRUE(fs::is_empty(mountPoint()));
}

using MountedRoot = MountedFolder;

TEST_F(MountedRoot, IsNeverRemovedWhole) {
    Mount("mount -t tmpfs -o size=1m tmpfs");
    if (IsSkipped()) return;
    WriteFile(mountPoint() / "inside.txt", "on another file system");

    EXPECT_TRUE(operations::IsDriveOrFileSystemRoot(Text(mountPoint())));
    EXPECT_FALSE(RemoveFolderTree(Text(mountPoint())));
    EXPECT_EQ(ReadFile(mountPoint() / "inside.txt"), "on another file system");
}

TEST_F(MountedRoot, InsideARemovedFolderIsPassedOver) {
    // The mount sits below the folder being removed: its contents belong to another file system.
    const fs::path nested = tmp_ / "outer/mnt";
    Mount("mount -t tmpfs -o size=1m tmpfs", nested);
    if (IsSkipped()) return;
    WriteFile(nested / "inside.txt", "keep");
    WriteFile(tmp_ / "outer/own.txt", "x");
    WriteFile(tmp_ / "outer/sub/own.txt", "x");

    const bool removed = RemoveFolderTree(Text(tmp_ / "outer"));

    EXPECT_FALSE(removed);
    EXPECT_EQ(ReadFile(nested / "inside.txt"), "keep");
    EXPECT_FALSE(fs::exists(tmp_ / "outer/own.txt"));
    EXPECT_FALSE(fs::exists(tmp_ / "outer/sub"));
}

// Whether every extent of `file` is shared with another file (FIEMAP's "shared" mark).
bool AllBlocksShared(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<char> buffer(sizeof(fiemap) + 64 * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = 64;
    const bool ok = ::ioctl(fd, FS_IOC_FIEMAP, map) == 0 && map->fm_mapped_extents > 0;
    ::close(fd);
    if (!ok) return false;
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i)
        if (!(map->fm_extents[i].fe_flags & FIEMAP_EXTENT_SHARED)) return false;
    return true;
}

using CloningFileSystem = MountedFolder;

TEST_F(CloningFileSystem, CopiesShareBlocksInsteadOfDuplicatingThem) {
    const fs::path image = tmp_ / "xfs.img";
    if (Shell("truncate -s 320M " + image.string() + " && mkfs.xfs -q -m reflink=1 " + image.string()) != 0)
        GTEST_SKIP() << "mkfs.xfs with reflink not available";
    Mount("mount -o loop " + image.string());
    if (IsSkipped()) return;
    WriteFile(mountPoint() / "save/big.sav", RandomBytes(4'000'000, 7));
    WriteFile(mountPoint() / "save/small.sav", RandomBytes(10'000, 8));
    ::sync();

    const auto outcome = CopyFolderTree(Text(mountPoint() / "save"), Text(mountPoint() / "backup"));

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    EXPECT_EQ(TreeOf(mountPoint() / "backup"), TreeOf(mountPoint() / "save"));
    EXPECT_TRUE(AllBlocksShared(mountPoint() / "backup/big.sav"));
    EXPECT_TRUE(AllBlocksShared(mountPoint() / "backup/small.sav"));
}

#endif
