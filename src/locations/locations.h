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

// Everything outside the program that the resolution depends on.
struct Environment {
    AppText executableFolder; // folder of the running program, no trailing separator
    AppText userName;         // as CurrentUserName gives it
    // Linux only: where the game's saves and, for an installed program, our own data are looked for.
    AppText home;
    AppText xdgConfigHome; // empty: home + "/.config"
    AppText xdgDataHome;   // empty: home + "/.local/share"
};

// The real values for this process.
Environment CurrentEnvironment();

// ResolveLocations over the given values instead of the real ones.
void ResolveLocationsIn(const Environment& environment);

} // namespace locations
