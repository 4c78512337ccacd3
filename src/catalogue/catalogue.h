#pragma once
// The backup catalogue: the folders directly inside BackupRoot, shown in the list by name.

#include <vector>

#include "app/text.h"

namespace catalogue {

// Every folder directly inside `parent`, as parent + separator + name, in NTFS name order.
// Empty when the parent is missing or unreadable.
std::vector<AppText> FindSubfolders(const AppText& parent);

// The text the list shows for a backup folder: its name exactly as on disk.
AppText DisplayNameOf(const AppText& path);

// Rebuilds BackupPaths and the list from disk, highlighting RememberedSelection again.
void RefreshBackupList();

} // namespace catalogue
