#pragma once
// Copying and removing whole folder trees, and the few single-step file-system services the commands
// build on. Every path is an absolute AppText in the program's separator convention; none of these
// routines throws.

#include "app/text.h"

namespace operations {

struct CopyOutcome {
    bool ok = true;
    AppText failedPath; // what the copy stopped at
    AppText error;      // the system's words for why
};

// Copies `source` with everything inside it to `destination`: created when missing (no extra folder
// level), merged into when present (same-named files replaced, others kept). Contents are kept byte for
// byte with each file's last-write time; symbolic links (and on Windows junctions) inside the tree are
// copied as links, never followed. `source` itself may be a link to a folder. Stops at the first error
// and reports it; what was copied before stays. A missing source is an error and creates nothing.
CopyOutcome CopyFolderTree(const AppText& source, const AppText& destination);

// Removes `path` with everything inside it, depth first, passing over what cannot be deleted. Never
// follows a link, junction or other reparse point: a link is removed as a link, including `path`
// itself. Refuses the empty path and a bare drive or file-system root. True when the folder itself is
// gone (also when there was nothing there to begin with).
bool RemoveFolderTree(const AppText& path);

// Gives the folder `from` the new path `to` on the same volume, in one step: never copies, never
// replaces or merges into an existing `to` (that is an error).
CopyOutcome RenameFolder(const AppText& from, const AppText& to);

// Creates the folder `path`; its parent must exist. An existing folder at `path` is an error too, so a
// caller that gets ok owns a fresh, empty folder.
CopyOutcome MakeFolder(const AppText& path);

// True when `path` names an existing folder, following a link to one (as the save folder may be).
bool IsFolder(const AppText& path);

// True when anything (file, folder, link, even a dangling link) exists at `path`; links not followed.
bool PathExists(const AppText& path);

// True for the root of a drive or file system: "/" and mount points on Linux; "C:", "C:\",
// "\\server\share" and volume mount points on Windows. Such a folder is never copied or removed whole.
bool IsDriveOrFileSystemRoot(const AppText& path);

} // namespace operations
