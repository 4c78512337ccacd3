#pragma once
// Finding the game's saves inside Steam's Proton prefixes.

#include <string_view>
#include <vector>

#include "app/text.h"

namespace locations::steam {

// The library folders listed in a steamapps/libraryfolders.vdf text, in file order. Understands the
// current layout ("0" { "path" "..." }) and the older one ("1" "...").
std::vector<AppText> ParseLibraryFolders(std::string_view vdf);

// The Steam installations looked at under a home folder, in the order they are searched.
std::vector<AppText> SteamRoots(const AppText& home);

// The first save folder of the game found in a Proton prefix of any library of `roots`, searched root
// by root and library by library; empty when there is none.
AppText FindProtonSaveFolder(const std::vector<AppText>& roots);

} // namespace locations::steam
