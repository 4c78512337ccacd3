#pragma once
// What find_subfolders.cpp asks of the platform file (find_subfolders_posix.cpp or
// find_subfolders_win32.cpp): one pass over one folder, nothing sorted, nothing joined.

#include <vector>

#include "app/text.h"

namespace catalogue::platform {

// The names of the folders directly inside `parent` (never "." or ".."), in the order the file system
// yields them. Handles pending user-interface events once after every folder entry. `parent` is not
// empty here. Empty when the parent is missing, is not a folder or cannot be read.
std::vector<AppText> SubfolderNames(const AppText& parent);

} // namespace catalogue::platform
