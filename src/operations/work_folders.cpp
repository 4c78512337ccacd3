#include "operations/work_folders.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "app/state.h"
#include "operations/backup_name.h"
#include "operations/commands.h"
#include "operations/messages.h"

namespace fs = std::filesystem;

namespace operations {
namespace {

AppText WithoutTrailingSeparators(AppText path) {
    while (path.size() > 1 && (path.back() == app::kPathSeparator || path.back() == '/')) path.pop_back();
    return path;
}

// The game's own files never end in these: they are ours, and start-up repairs whatever it finds under
// them (restore.cpp). "-new" is the backup's complete or partial copy, "-old" the replaced live folder,
// "-done" a replaced live folder whose copy already stands in `save` and only needs removing.
constexpr char kRestoreNewSuffix[] = ".save-manager-restore-new";
constexpr char kRestoreOldSuffix[] = ".save-manager-restore-old";
constexpr char kRestoreDoneSuffix[] = ".save-manager-restore-done";

// True when `inner` is `outer` or lies below it. By identity where both exist (links, letter case and
// "..\" cannot hide a match), and by spelling after normalising where they do not.
bool IsSameOrBelow(const AppText& inner, const AppText& outer) {
    std::error_code ec;
    const fs::path outerPath = fs::weakly_canonical(app::ToPath(outer), ec).lexically_normal();
    if (ec) return false;
    fs::path current = fs::weakly_canonical(app::ToPath(inner), ec).lexically_normal();
    if (ec) return false;
    for (int depth = 0; depth < 4096; ++depth) {
        if (current == outerPath || fs::equivalent(current, outerPath, ec)) return true;
        const fs::path parent = current.parent_path();
        if (parent == current || parent.empty()) return false;
        current = parent;
    }
    return false;
}

bool IsEmptyFolder(const AppText& path) {
    std::error_code ec;
    return fs::is_empty(app::ToPath(path), ec) && !ec;
}

} // namespace

AppText BackupWorkFolder() {
    const AppText& run = app::State().RunDirectory;
    return run.empty() ? AppText() : WithoutTrailingSeparators(run) + app::kPathSeparator + "save.work";
}

AppText RestoreNewFolder(const AppText& live) { return WithoutTrailingSeparators(live) + kRestoreNewSuffix; }
AppText RestoreOldFolder(const AppText& live) { return WithoutTrailingSeparators(live) + kRestoreOldSuffix; }
AppText RestoreDoneFolder(const AppText& live) { return WithoutTrailingSeparators(live) + kRestoreDoneSuffix; }

AppText LiveSaveFolder() {
    const AppText save = WithoutTrailingSeparators(app::State().SaveDirectory);
    std::error_code ec;
    const fs::path given = app::ToPath(save);
    if (save.empty() || !fs::is_symlink(given, ec)) return save;
    // Resolved by hand rather than with canonical(): a restore interrupted mid-swap leaves the link
    // dangling, and start-up must still find the folders beside its target.
    fs::path target = fs::read_symlink(given, ec);
    if (ec) return save;
    if (target.is_relative()) target = given.parent_path() / target;
    const fs::path resolved = fs::weakly_canonical(target, ec);
    return ec ? save : app::FromPath(resolved.lexically_normal());
}

bool IsUnsafeSaveFolder(const AppText& save) {
    if (IsDriveOrFileSystemRoot(save)) return true;
    for (const AppText& guarded : {WithoutTrailingSeparators(app::State().BackupRoot), BackupWorkFolder()}) {
        if (guarded.empty()) continue;
        if (IsSameOrBelow(save, guarded) || IsSameOrBelow(guarded, save)) return true;
    }
    return false;
}

CopyOutcome FreeWorkSlot(const AppText& base, AppText& slot) {
    const AppText work = BackupWorkFolder();
    if (!IsFolder(work)) {
        CopyOutcome made = MakeFolder(work);
        if (!made.ok && !IsFolder(work)) return made;
    }
    for (int n = 1; n < 100000; ++n) {
        slot = work + app::kPathSeparator + base + (n > 1 ? "-" + std::to_string(n) : AppText());
        if (!PathExists(slot)) return {};
    }
    return {false, work, "工作文件夹中没有可用的名称"};
}

void TidyWorkFolder() {
    std::error_code ec;
    const AppText work = BackupWorkFolder();
    if (!work.empty() && IsEmptyFolder(work)) fs::remove(app::ToPath(work), ec);
}

StoreOutcome StoreAsBackup(const AppText& folder, const AppText& stamp, const AppText& note, bool copyIfCannotMove) {
    const AppText& root = app::State().BackupRoot;
    StoreOutcome result;
    AppText source = folder;
    bool triedCopy = false;
    for (int n = 1; n < 100000; ++n) {
        result.name = BackupNameFor(stamp, note, n);
        const AppText target = root + result.name;
        // Never into an existing backup: a second one in the same second gets the next number.
        if (PathExists(target)) continue;
        result.outcome = RenameFolder(source, target);
        if (result.outcome.ok) return result;
        if (PathExists(target)) continue;
        if (!copyIfCannotMove || triedCopy) {
            if (result.copied) {
                RemoveFolderTree(source);
                TidyWorkFolder();
                result.copied = false;
            }
            return result;
        }

        // Another volume: copy into the work folder beside `save` first, so that only a complete copy is
        // ever renamed into the list.
        triedCopy = true;
        AppText slot;
        result.outcome = FreeWorkSlot("keep", slot);
        if (result.outcome.ok) result.outcome = CopyFolderTree(folder, slot);
        if (!result.outcome.ok) {
            if (!slot.empty()) RemoveFolderTree(slot);
            TidyWorkFolder();
            return result;
        }
        result.copied = true;
        source = slot;
        --n; // the name just found is still free
    }
    result.outcome = {false, root, "没有可用的备份名称"};
    return result;
}

CopyOutcome KeepReplacedSave(const AppText& live) {
    const AppText old = RestoreOldFolder(live);
    if (!PathExists(old)) return {};
    if (IsEmptyFolder(old)) {
        if (RemoveFolderTree(old)) return {};
        return {false, old, "无法删除"};
    }
    StoreOutcome stored = StoreAsBackup(old, MakeBackupStamp(), messages::kAutoBackupNote, true);
    if (!stored.outcome.ok) return stored.outcome;
    if (stored.copied) {
        // Renamed out of the way first: a removal cut short must not look like a replaced save that
        // still needs keeping.
        const AppText done = RestoreDoneFolder(live);
        RemoveFolderTree(RenameFolder(old, done).ok ? done : old);
        TidyWorkFolder();
    }
    return {};
}

AppText FailureText(const CopyOutcome& outcome) {
    if (outcome.error.empty()) return outcome.failedPath;
    if (outcome.failedPath.empty()) return outcome.error;
    return outcome.failedPath + "\n" + outcome.error;
}

bool IsBackupName(const AppText& text) {
    if (text.empty() || text == "." || text == "..") return false;
    return text.find('/') == AppText::npos && text.find(app::kPathSeparator) == AppText::npos;
}

} // namespace operations
