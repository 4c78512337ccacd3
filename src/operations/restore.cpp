// Restoring replaces the live save folder L with a backup, by a swap that a crash at any point leaves
// repairable:
//
//   1. copy the backup into N = L + ".save-manager-restore-new"      (L untouched; a failure removes N)
//   2. rename L to O = L + ".save-manager-restore-old"                (only after step 1 completed)
//   3. rename N to L                                                  (a failure renames O back)
//   4. file O in `save` as the "恢复前自动备份" backup                   (rename, or copy across volumes)
//
// So whenever O exists without L, N is a complete copy. RecoverUnfinishedWork reads the state at start:
//   L missing, O and N present   -> crashed between 2 and 3: finish step 3, then step 4
//   L missing, only O            -> put O back as L
//   L missing, only N            -> L did not exist before; N may be partial: remove it
//   L present, N present         -> crashed in step 1: remove N
//   L present, O present         -> crashed before or during step 4: do step 4
//   D = L + ".save-manager-restore-done" -> O was copied into `save` already: remove it
// At no point is the player's last save only in a folder that the repair would remove.

#include <filesystem>
#include <system_error>

#include "app/state.h"
#include "app/ui.h"
#include "catalogue/catalogue.h"
#include "operations/commands.h"
#include "operations/folder_tree.h"
#include "operations/messages.h"
#include "operations/work_folders.h"

namespace operations {
namespace {

// Steps 1 to 4 above. Ok once the backup's files stand at `live`; not ok means `live` is as it was.
CopyOutcome SwapIn(const AppText& backup, const AppText& live) {
    const AppText fresh = RestoreNewFolder(live);
    const AppText old = RestoreOldFolder(live);

    // What an earlier restore could not finish: its replaced save is kept first, so that step 2 has a
    // free name; its copy is stale.
    if (CopyOutcome kept = KeepReplacedSave(live); !kept.ok) return kept;
    if (!RemoveFolderTree(fresh)) return {false, fresh, "无法删除上次恢复留下的文件夹"};

    const bool liveExists = PathExists(live);
    if (liveExists) {
        if (!IsFolder(live)) return {false, live, "不是文件夹"};
        // Before the copy too, so a save the game holds open costs no copying time.
        if (CopyOutcome held = CheckNothingHeldOpen(live); !held.ok) return held;
    }

    if (CopyOutcome copied = CopyFolderTree(backup, fresh); !copied.ok) {
        RemoveFolderTree(fresh);
        return copied;
    }
    if (liveExists) {
        CopyOutcome aside = CheckNothingHeldOpen(live);
        if (aside.ok) {
            // Fails too while the game (or anything else) holds the folder or a file in it on Windows.
            aside = RenameFolder(live, old);
            if (!aside.ok) aside.failedPath = live;
        }
        if (!aside.ok) {
            RemoveFolderTree(fresh);
            return aside;
        }
    }
    if (CopyOutcome placed = RenameFolder(fresh, live); !placed.ok) {
        // Should putting O back fail too, N and O stay for the next start to finish the swap.
        if (!liveExists || RenameFolder(old, live).ok) RemoveFolderTree(fresh);
        placed.failedPath = live;
        return placed;
    }
    // A failure here leaves O beside the live folder, where the next start or restore files it again.
    KeepReplacedSave(live);
    return {};
}

} // namespace

void RestoreSelectedBackup() {
    app::SharedState& state = app::State();
    const AppText name = ui::BackupListView::ItemText(ui::BackupListView::SelectedIndex());
    if (!IsBackupName(name)) {
        ui::ShowMessage(messages::kNothingSelected);
        return;
    }
    if (state.SaveDirectory.empty()) {
        ui::ShowMessage(messages::kSaveFolderNotFound);
        return;
    }
    const AppText live = LiveSaveFolder();
    if (IsUnsafeSaveFolder(state.SaveDirectory) || IsUnsafeSaveFolder(live)) {
        ui::ShowMessage(messages::kUnsafeSaveFolder);
        return;
    }
    const AppText backup = state.BackupRoot + name;
    state.RememberedSelection = name;
    if (!IsFolder(backup)) {
        ui::ShowMessage(messages::kRestoreSourceGone);
        catalogue::RefreshBackupList();
        return;
    }

    const CopyOutcome outcome = SwapIn(backup, live);
    TidyWorkFolder();
    catalogue::RefreshBackupList();
    ui::ShowMessage(outcome.ok ? AppText(messages::kDone) : messages::kRestoreFailed + FailureText(outcome));
}

} // namespace operations
