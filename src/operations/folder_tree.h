#pragma once
// Copying and removing whole folder trees.

#include "app/text.h"

namespace operations {

struct CopyOutcome {
    bool ok = true;
    AppText failedPath; // what the copy stopped at
    AppText error;      // the system's words for why
};

// Copies `source` with everything inside it to `destination`: created when missing (no extra folder
// level), merged into when present (same-named files replaced, others kept). Stops at the first error
// and reports it; what was copied before stays.
CopyOutcome CopyFolderTree(const AppText& source, const AppText& destination);

// Removes `path` with everything inside it, depth first, passing over what cannot be deleted. Refuses
// the empty path and a bare drive or root. True when the folder itself is gone.
bool RemoveFolderTree(const AppText& path);

} // namespace operations
