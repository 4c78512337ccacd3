#pragma once
// Where the live save folder and the backups are, decided once when the main window is created.

#include "app/text.h"

namespace locations {

// Fills RunDirectory, SaveDirectory and BackupRoot of the shared state, writes config.ini when it is
// missing and makes sure the backup folder exists. Shows nothing; failures leave the defaults.
void ResolveLocations();

// The logon name of the user running the program, or empty when it cannot be had.
AppText CurrentUserName();

// Creates every missing folder along `path`. True when the whole path exists afterwards.
bool EnsureFolderPath(const AppText& path);

} // namespace locations
