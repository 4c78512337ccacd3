#include "app/state.h"
#include "app/ui.h"
#include "catalogue/catalogue.h"
#include "operations/backup_name.h"
#include "operations/commands.h"
#include "operations/folder_tree.h"
#include "operations/messages.h"
#include "operations/work_folders.h"

namespace operations {

// The copy is made in the work folder and renamed into `save` only once it is complete, so the list
// never shows a partial backup and "完成" always means a whole one exists.
void CreateBackup() {
    app::SharedState& state = app::State();
    if (!IsFolder(state.SaveDirectory)) {
        ui::ShowMessage(messages::kSaveFolderNotFound);
        return;
    }
    if (IsUnsafeSaveFolder(state.SaveDirectory)) {
        ui::ShowMessage(messages::kUnsafeSaveFolder);
        return;
    }
    const ui::AskTextResult answer = ui::AskText(messages::kNoteTitle, {});
    if (!answer.confirmed) return;

    const AppText note = SanitizeNote(answer.text);
    const AppText stamp = MakeBackupStamp();
    AppText slot;
    CopyOutcome outcome = FreeWorkSlot("create", slot);
    if (outcome.ok) outcome = CopyFolderTree(state.SaveDirectory, slot);
    if (outcome.ok) outcome = StoreAsBackup(slot, stamp, note, false).outcome;
    if (!outcome.ok) {
        if (!slot.empty()) RemoveFolderTree(slot);
        TidyWorkFolder();
        ui::ShowMessage(messages::kCreateFailed + FailureText(outcome));
        return;
    }
    TidyWorkFolder();

    state.RememberedSelection = ui::BackupListView::ItemText(ui::BackupListView::SelectedIndex());
    catalogue::RefreshBackupList();
    ui::ShowMessage(messages::kDone);
}

} // namespace operations
