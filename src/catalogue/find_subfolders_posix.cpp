// The Linux side of the folder listing: readdir over the parent. The entry's own type is trusted when
// the file system gives one, so a listing costs no stat per backup; only links and file systems that
// report no type cost one fstatat.

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "app/ui.h"
#include "catalogue/find_subfolders_platform.h"

namespace catalogue::platform {
namespace {

// A link to a folder counts as a folder, as a directory junction or symbolic link does on Windows,
// where it carries the directory attribute. A dangling link is nothing.
bool IsFolderEntry(int dirFd, const dirent& entry) {
    switch (entry.d_type) {
    case DT_DIR:
        return true;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat info {};
        return ::fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    }
    default:
        return false;
    }
}

bool IsDotOrDotDot(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

} // namespace

std::vector<AppText> SubfolderNames(const AppText& parent) {
    std::vector<AppText> names;
    DIR* dir = ::opendir(parent.c_str());
    if (!dir) return names;
    const int dirFd = ::dirfd(dir);
    // readdir ends with nullptr both at the end and on a read error; either way what was found stands.
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsFolderEntry(dirFd, *entry)) continue;
        if (!IsDotOrDotDot(entry->d_name)) names.emplace_back(entry->d_name);
        ui::ProcessPendingEvents();
    }
    ::closedir(dir);
    return names;
}

} // namespace catalogue::platform
