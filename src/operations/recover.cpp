#include "app/state.h"
#include "operations/commands.h"
#include "operations/folder_tree.h"
#include "operations/work_folders.h"

namespace operations {

// The repair table is written out with the swap it repairs, in restore.cpp.
void RecoverUnfinishedWork() {
    const app::SharedState& state = app::State();
    if (state.RunDirectory.empty()) return;
    // A save folder that overlaps the work folder is refused by every command; its contents are the
    // player's, not leftovers.
    if (!state.SaveDirectory.empty() && IsUnsafeSaveFolder(state.SaveDirectory)) return;

    // Partial copies of creates, backups on their way out of deletes, copies of replaced saves.
    RemoveFolderTree(BackupWorkFolder());
    if (state.SaveDirectory.empty()) return;

    const AppText live = LiveSaveFolder();
    if (IsUnsafeSaveFolder(live)) return;
    const AppText fresh = RestoreNewFolder(live);
    const AppText old = RestoreOldFolder(live);
    RemoveFolderTree(RestoreDoneFolder(live));

    if (!PathExists(live) && PathExists(old)) {
        // Set aside only after the copy completed, so a copy beside it is whole: finish the swap, or
        // else put the old folder back.
        if (!(PathExists(fresh) && RenameFolder(fresh, live).ok)) RenameFolder(old, live);
    }
    if (PathExists(live)) KeepReplacedSave(live);
    RemoveFolderTree(fresh);
}

} // namespace operations
