#pragma once
// What the backup commands share: where unfinished work is kept, the save-folder safety rule, and
// filing a finished folder away as a backup.

#include "app/text.h"
#include "operations/folder_tree.h"

namespace operations {

// RunDirectory + "save.work": beside `save`, so on its volume, and never listed as a backup.
AppText BackupWorkFolder();

// The folders a restore keeps beside the live save folder while it swaps; see restore.cpp.
AppText RestoreNewFolder(const AppText& live);
AppText RestoreOldFolder(const AppText& live);
AppText RestoreDoneFolder(const AppText& live);

// SaveDirectory with a link in its last step resolved, so the swap replaces the real folder rather than
// the link to it.
AppText LiveSaveFolder();

// A drive or file-system root, or a folder that holds or lies in BackupRoot or the work folder: copying
// it would copy the backups into themselves, replacing it would destroy them.
bool IsUnsafeSaveFolder(const AppText& save);

// A path inside the work folder (created when missing) at which nothing exists yet.
CopyOutcome FreeWorkSlot(const AppText& base, AppText& slot);

// Removes the work folder again when it is empty, so a finished command leaves no trace.
void TidyWorkFolder();

// Gives `folder` a backup's name in BackupRoot: stamp + note, numbered when the name is taken. Moves it
// when it can; when it cannot (another volume) and `copyIfCannotMove`, copies it by way of the work
// folder and reports `copied`, leaving the original for the caller.
struct StoreOutcome {
    CopyOutcome outcome;
    bool copied = false;
    AppText name;
};
StoreOutcome StoreAsBackup(const AppText& folder, const AppText& stamp, const AppText& note, bool copyIfCannotMove);

// Turns the folder that a restore set aside into the "恢复前自动备份" backup (an empty one is just
// removed). Ok when nothing is left beside the live folder.
CopyOutcome KeepReplacedSave(const AppText& live);

// Ok when no file in the tree is held open in a way that stops it from being moved or deleted. Windows
// refuses to move a folder while such a file is in it; checking first makes every system (Wine too)
// refuse before anything moves, instead of moving the folder and then failing to empty it.
CopyOutcome CheckNothingHeldOpen(const AppText& folder);

// "path\nsystem text", what the failure messages append.
AppText FailureText(const CopyOutcome& outcome);

// A list item that names a folder directly inside BackupRoot: not empty, no separator, not "." or "..".
bool IsBackupName(const AppText& text);

} // namespace operations
