#pragma once
// What folder_tree.cpp asks of the platform file (folder_tree_posix.cpp or folder_tree_win32.cpp). The
// portable file does the argument checks; these do the walking.

#include "operations/folder_tree.h"

namespace operations::platform {

CopyOutcome CopyTree(const AppText& source, const AppText& destination);

// `path` is neither empty nor a root here.
bool RemoveTree(const AppText& path);

} // namespace operations::platform
