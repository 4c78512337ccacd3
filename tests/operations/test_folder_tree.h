#pragma once
// What the portable folder-tree tests need from each platform's test file.

#include <filesystem>
#include <string>
#include <vector>

namespace folder_tree_test {

// Makes `file` impossible for the program to delete (read-only on Windows; immutable, or its folder
// closed for writing, on Linux). False when this system cannot do that for the current user.
bool MakeUndeletable(const std::filesystem::path& file);
// Undoes MakeUndeletable, so the temporary folder can be cleaned up.
void MakeDeletable(const std::filesystem::path& file);

// Spellings of a drive or file-system root on this platform, and of paths that are not one.
std::vector<std::string> RootSpellings();
std::vector<std::string> NonRootSpellings();

} // namespace folder_tree_test
