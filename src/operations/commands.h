#pragma once
// The commands behind the buttons that change the disk.

#include "app/text.h"

namespace operations {

// The stamp for the current local time, e.g. "02月04日 02：41：31".
AppText MakeBackupStamp();

void CreateBackup();          // "创建备份"
void RestoreSelectedBackup(); // "恢复选中"
void DeleteSelectedBackup();  // "删除备份"

// Run at start-up once the locations are known: clears what an interrupted create or delete left in
// the work folder and completes or rolls back an interrupted restore.
void RecoverUnfinishedWork();

} // namespace operations
