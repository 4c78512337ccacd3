#pragma once
// The one process-wide record the whole program shares. Created empty before the main window exists,
// released at shutdown after it has closed.

#include <vector>

#include "app/text.h"

namespace app {

struct SharedState {
    AppText RunDirectory;        // folder of the executable, no trailing separator
    AppText SaveDirectory;       // the game's live save folder
    AppText BackupRoot;          // folder holding one subfolder per backup; ends with a separator
    AppText RememberedSelection; // item text the next refresh highlights again
    std::vector<AppText> BackupPaths; // full paths found by the last refresh, in listing order
};

SharedState& State();

} // namespace app
