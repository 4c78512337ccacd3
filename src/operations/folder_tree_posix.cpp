// The Linux side of the folder services. The walks work on open folder descriptors with the *at calls,
// so a name is never resolved through a link that appeared after it was looked at, and path length
// never matters.

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "operations/folder_tree.h"
#include "operations/folder_tree_platform.h"

namespace operations {
namespace {

AppText ErrorText(int error) { return std::generic_category().message(error); }

// Closes a descriptor on every way out of a scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Hands the descriptor over (to fdopendir); this object no longer closes it.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now, so that a late write error (NFS, quota) is seen; 0 or an errno value.
    int close() {
        const int fd = release();
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int fd_;
};

class Dir {
public:
    explicit Dir(DIR* dir) : dir_(dir) {}
    ~Dir() {
        if (dir_) ::closedir(dir_);
    }
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

bool IsDotOrDotDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// One copy run: the two top paths, for messages, and the first failure.
struct TreeCopy {
    AppText sourceRoot;
    AppText destinationRoot;
    CopyOutcome outcome;

    bool Fail(bool onSourceSide, const AppText& relative, int error) {
        outcome.ok = false;
        outcome.failedPath = relative.empty() ? (onSourceSide ? sourceRoot : destinationRoot)
                                              : app::JoinPath(onSourceSide ? sourceRoot : destinationRoot, relative);
        outcome.error = ErrorText(error);
        return false;
    }
    bool FailReading(const AppText& relative, int error) { return Fail(true, relative, error); }
    bool FailWriting(const AppText& relative, int error) { return Fail(false, relative, error); }

    bool CopyFolderContents(int sourceDir, int destinationDir, const AppText& relative);
    bool CopyEntry(int sourceDir, int destinationDir, const char* name, unsigned char type, const AppText& relative);
    bool CopyFile(int sourceDir, int destinationDir, const char* name, const AppText& relative);
    bool CopyLink(int sourceDir, int destinationDir, const char* name, const AppText& relative);
    bool CopySpecial(int destinationDir, const char* name, const struct stat& info, const AppText& relative);
    bool CopySubfolder(int sourceDir, int destinationDir, const char* name, const AppText& relative);
};

// Moves the bytes of an open file, in the order coreutils' cp --reflink=auto tries: share the blocks
// (FICLONE, instant on XFS, Btrfs, bcachefs), let the kernel copy (copy_file_range: no trip through
// user space, and server-side on NFS), then read and write. 0 or an errno value; `onSourceSide` tells
// which file the failure belongs to.
int CopyBytes(int from, int to, off_t size, bool& onSourceSide) {
    onSourceSide = false;
    if (size > 0 && ::ioctl(to, FICLONE, from) == 0) return 0;

    off_t done = 0;
    bool kernelCopy = true;
    while (kernelCopy) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n == 0) {
            // Some file systems (procfs, some FUSE) report size but copy nothing: finish by hand.
            if (done == 0 && size > 0) break;
            return 0;
        }
        if (errno == EINTR) continue;
        if (done == 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP ||
                          errno == ENOTSUP || errno == EBADF || errno == EPERM)) {
            kernelCopy = false;
            break;
        }
        return errno;
    }

    if (::lseek(from, done, SEEK_SET) < 0 || ::lseek(to, done, SEEK_SET) < 0) return errno;
    std::vector<char> buffer(1 << 17);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n == 0) return 0;
        if (n < 0) {
            if (errno == EINTR) continue;
            onSourceSide = true;
            return errno;
        }
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(to, buffer.data() + written, static_cast<size_t>(n - written));
            if (w < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            written += w;
        }
    }
}

// Makes room for a new entry called `name` in a folder being merged into: a file or link of that name
// is replaced (unlinked, so a hard link shared with another tree is never written through), a folder
// is not. 0 or an errno value.
int ClearWayFor(int destinationDir, const char* name) {
    if (::unlinkat(destinationDir, name, 0) == 0 || errno == ENOENT) return 0;
    return errno == EISDIR || errno == EPERM ? EISDIR : errno; // Linux says EISDIR, POSIX allows EPERM
}

bool TreeCopy::CopyFile(int sourceDir, int destinationDir, const char* name, const AppText& relative) {
    Fd from(::openat(sourceDir, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (from.get() < 0) return FailReading(relative, errno);
    struct stat info {};
    if (::fstat(from.get(), &info) != 0) return FailReading(relative, errno);

    // Created private, opened to its final mode only once complete.
    constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    Fd to(::openat(destinationDir, name, kCreate, 0600));
    if (to.get() < 0 && errno == EEXIST) {
        if (const int error = ClearWayFor(destinationDir, name)) return FailWriting(relative, error);
        to.reset(::openat(destinationDir, name, kCreate, 0600));
    }
    if (to.get() < 0) return FailWriting(relative, errno);

    bool onSourceSide = false;
    if (const int error = CopyBytes(from.get(), to.get(), info.st_size, onSourceSide))
        return Fail(onSourceSide, relative, error);
    if (::fchmod(to.get(), info.st_mode & 07777) != 0) return FailWriting(relative, errno);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(to.get(), times) != 0) return FailWriting(relative, errno);
    if (const int error = to.close()) return FailWriting(relative, error);
    return true;
}

bool TreeCopy::CopyLink(int sourceDir, int destinationDir, const char* name, const AppText& relative) {
    struct stat info {};
    if (::fstatat(sourceDir, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return FailReading(relative, errno);
    // The target is kept as text, relative or not; what it points at is not looked at.
    std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(sourceDir, name, target.data(), target.size());
        if (n < 0) return FailReading(relative, errno);
        if (static_cast<size_t>(n) < target.size()) {
            target.resize(static_cast<size_t>(n));
            break;
        }
        target.resize(target.size() * 2);
    }
    if (::symlinkat(target.c_str(), destinationDir, name) != 0) {
        if (errno != EEXIST) return FailWriting(relative, errno);
        if (const int error = ClearWayFor(destinationDir, name)) return FailWriting(relative, error);
        if (::symlinkat(target.c_str(), destinationDir, name) != 0) return FailWriting(relative, errno);
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(destinationDir, name, times, AT_SYMLINK_NOFOLLOW); // a link's own time is a nicety
    return true;
}

// Pipes and device nodes are recreated as such; their contents are not data of the tree. Sockets
// belong to a running process and mean nothing in a copy, so they are left out.
bool TreeCopy::CopySpecial(int destinationDir, const char* name, const struct stat& info, const AppText& relative) {
    if (S_ISSOCK(info.st_mode)) return true;
    for (int attempt = 0;; ++attempt) {
        if (::mknodat(destinationDir, name, info.st_mode & (S_IFMT | 07777), info.st_rdev) == 0) break;
        if (errno != EEXIST || attempt > 0) return FailWriting(relative, errno);
        if (const int error = ClearWayFor(destinationDir, name)) return FailWriting(relative, error);
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(destinationDir, name, times, AT_SYMLINK_NOFOLLOW);
    return true;
}

bool TreeCopy::CopySubfolder(int sourceDir, int destinationDir, const char* name, const AppText& relative) {
    Fd from(::openat(sourceDir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (from.get() < 0) return FailReading(relative, errno);
    struct stat info {};
    if (::fstat(from.get(), &info) != 0) return FailReading(relative, errno);

    // Writable while it fills; its own mode and time go on once everything inside is in place.
    bool created = ::mkdirat(destinationDir, name, 0700) == 0;
    if (!created && errno != EEXIST) return FailWriting(relative, errno);
    // O_NOFOLLOW: a link in the destination standing where a folder goes is not merged into.
    Fd to(::openat(destinationDir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (to.get() < 0) return FailWriting(relative, errno == ELOOP ? ENOTDIR : errno);

    if (!CopyFolderContents(from.get(), to.get(), relative)) return false;
    if (created) {
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        if (::fchmod(to.get(), info.st_mode & 07777) != 0 || ::futimens(to.get(), times) != 0)
            return FailWriting(relative, errno);
    }
    return true;
}

bool TreeCopy::CopyEntry(int sourceDir, int destinationDir, const char* name, unsigned char type,
                         const AppText& relative) {
    struct stat info {};
    if (type == DT_UNKNOWN) {
        // Not every file system fills d_type.
        if (::fstatat(sourceDir, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return FailReading(relative, errno);
        type = S_ISDIR(info.st_mode)   ? DT_DIR
               : S_ISREG(info.st_mode) ? DT_REG
               : S_ISLNK(info.st_mode) ? DT_LNK
                                       : DT_UNKNOWN;
    }
    switch (type) {
    case DT_REG:
        return CopyFile(sourceDir, destinationDir, name, relative);
    case DT_DIR:
        return CopySubfolder(sourceDir, destinationDir, name, relative);
    case DT_LNK:
        return CopyLink(sourceDir, destinationDir, name, relative);
    default:
        if (info.st_mode == 0 && ::fstatat(sourceDir, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return FailReading(relative, errno);
        return CopySpecial(destinationDir, name, info, relative);
    }
}

bool TreeCopy::CopyFolderContents(int sourceDir, int destinationDir, const AppText& relative) {
    // fdopendir takes the descriptor over, so it gets its own.
    Fd listing(::dup(sourceDir));
    if (listing.get() < 0) return FailReading(relative, errno);
    Dir dir(::fdopendir(listing.get()));
    if (!dir.get()) return FailReading(relative, errno);
    listing.release();

    AppText child;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0) return FailReading(relative, errno);
            return true;
        }
        if (IsDotOrDotDot(entry->d_name)) continue;
        child = relative.empty() ? AppText(entry->d_name) : app::JoinPath(relative, entry->d_name);
        if (!CopyEntry(sourceDir, destinationDir, entry->d_name, entry->d_type, child)) return false;
    }
}

// True when the folder open as `inner` is `outer` or lies anywhere below it, by identity rather than by
// spelling, so links and bind mounts in either path cannot hide it.
bool IsSameOrInside(int inner, const struct stat& outer) {
    Fd current(::dup(inner));
    for (int depth = 0; current.get() >= 0 && depth < 4096; ++depth) {
        struct stat here {};
        if (::fstat(current.get(), &here) != 0) return false;
        if (here.st_dev == outer.st_dev && here.st_ino == outer.st_ino) return true;
        Fd parent(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat above {};
        if (parent.get() < 0 || ::fstat(parent.get(), &above) != 0) return false;
        if (above.st_dev == here.st_dev && above.st_ino == here.st_ino) return false; // reached "/"
        current.reset(parent.release());
    }
    return false;
}

// Removes what is inside the open folder `dir`, depth first, passing over failures; true when it emptied.
// Entries on another file system (mount points) are passed over too: their contents are not ours.
bool RemoveContents(int dirFd, dev_t device) {
    Fd listing(::dup(dirFd));
    if (listing.get() < 0) return false;
    Dir dir(::fdopendir(listing.get()));
    if (!dir.get()) return false;
    listing.release();

    bool emptied = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) return emptied && errno == 0;
        if (IsDotOrDotDot(entry->d_name)) continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            emptied = emptied && errno == ENOENT;
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            if (::unlinkat(dirFd, entry->d_name, 0) != 0 && errno != ENOENT) emptied = false;
            continue;
        }
        if (info.st_dev != device) {
            emptied = false;
            continue;
        }
        Fd sub(::openat(dirFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (sub.get() >= 0) RemoveContents(sub.get(), device);
        sub.close();
        if (::unlinkat(dirFd, entry->d_name, AT_REMOVEDIR) != 0 && errno != ENOENT) emptied = false;
    }
}

} // namespace

namespace platform {

CopyOutcome CopyTree(const AppText& source, const AppText& destination) {
    TreeCopy copy{source, destination, {}};
    // The source itself may be a link to the real save folder; only links inside it stay unfollowed.
    Fd from(::open(source.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (from.get() < 0) {
        copy.FailReading({}, errno);
        return copy.outcome;
    }
    struct stat info {};
    if (::fstat(from.get(), &info) != 0) {
        copy.FailReading({}, errno);
        return copy.outcome;
    }

    const bool created = ::mkdir(destination.c_str(), 0700) == 0;
    if (!created && errno != EEXIST) {
        copy.FailWriting({}, errno);
        return copy.outcome;
    }
    Fd to(::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (to.get() < 0) {
        copy.FailWriting({}, errno);
        return copy.outcome;
    }

    // A destination inside the source would be copied into itself without end; a source inside the
    // destination would have its own files replaced while they are read.
    struct stat target {};
    if (::fstat(to.get(), &target) != 0) {
        copy.FailWriting({}, errno);
        return copy.outcome;
    }
    if (IsSameOrInside(to.get(), info) || IsSameOrInside(from.get(), target)) {
        if (created) ::rmdir(destination.c_str());
        copy.outcome = {false, destination, "不能把文件夹复制到它自身之中或它的上级文件夹中"};
        return copy.outcome;
    }

    if (!copy.CopyFolderContents(from.get(), to.get(), {})) return copy.outcome;
    if (created) {
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        if (::fchmod(to.get(), info.st_mode & 07777) != 0 || ::futimens(to.get(), times) != 0)
            copy.FailWriting({}, errno);
    }
    return copy.outcome;
}

bool RemoveTree(const AppText& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    // A link, even one to a folder, goes as a link; so does any other non-folder.
    if (!S_ISDIR(info.st_mode)) return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    {
        Fd dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (dir.get() >= 0) RemoveContents(dir.get(), info.st_dev);
    }
    return ::rmdir(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace platform

CopyOutcome RenameFolder(const AppText& from, const AppText& to) {
    if (from.empty() || to.empty()) return {false, from.empty() ? from : to, "路径为空"};
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without RENAME_NOREPLACE: check, then rename (plain rename would replace an
        // empty folder at `to`).
        struct stat info {};
        if (::lstat(to.c_str(), &info) == 0) {
            error = EEXIST;
        } else if (::rename(from.c_str(), to.c_str()) == 0) {
            return {};
        } else {
            error = errno;
        }
    }
    // Which side failed: a missing or unreadable source names `from`, anything else names `to`.
    struct stat info {};
    const bool sourceFault = ::lstat(from.c_str(), &info) != 0;
    return {false, sourceFault ? from : to, ErrorText(error)};
}

CopyOutcome MakeFolder(const AppText& path) {
    if (path.empty()) return {false, path, "路径为空"};
    if (::mkdir(path.c_str(), 0777) == 0) return {};
    return {false, path, ErrorText(errno)};
}

bool IsFolder(const AppText& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathExists(const AppText& path) {
    struct stat info {};
    return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool IsDriveOrFileSystemRoot(const AppText& path) {
    if (path.empty()) return false;
    if (app::FromPath(app::ToPath(path).lexically_normal()) == "/") return true;
    // A mount point is the root of its file system: its parent lives on another device, or, for "/"
    // spelled through links, is the same folder.
    struct stat here {
    }, above{};
    if (::stat(path.c_str(), &here) != 0 || !S_ISDIR(here.st_mode)) return false;
    if (::stat((path + "/..").c_str(), &above) != 0) return false;
    return here.st_dev != above.st_dev || here.st_ino == above.st_ino;
}

} // namespace operations
