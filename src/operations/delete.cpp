#include "app/state.h"
#include "app/ui.h"
#include "catalogue/catalogue.h"
#include "operations/commands.h"
#include "operations/folder_tree.h"
#include "operations/messages.h"
#include "operations/work_folders.h"

namespace operations {

// The backup leaves the list in one rename, into the work folder, before anything inside it is
// removed: a removal that stops part-way then leaves leftovers there (cleared at the next start), never
// a damaged backup that looks whole.
void DeleteSelectedBackup() {
    app::SharedState& state = app::State();
    const AppText name = ui::BackupListView::ItemText(ui::BackupListView::SelectedIndex());
    if (!IsBackupName(name)) {
        ui::ShowMessage(messages::kNothingSelected);
        return;
    }
    const AppText backup = state.BackupRoot + name;
    if (PathExists(backup)) {
        AppText slot;
        CopyOutcome outcome = CheckNothingHeldOpen(backup);
        if (outcome.ok) outcome = FreeWorkSlot("delete", slot);
        if (outcome.ok) {
            outcome = RenameFolder(backup, slot);
            // The user knows the backup, not the work folder it was headed for.
            if (!outcome.ok) outcome.failedPath = backup;
        }
        if (!outcome.ok) {
            TidyWorkFolder();
            ui::ShowMessage(messages::kDeleteFailed + FailureText(outcome));
            return;
        }
        RemoveFolderTree(slot);
        TidyWorkFolder();
    }
    state.RememberedSelection = name;
    catalogue::RefreshBackupList();
}

} // namespace operations
