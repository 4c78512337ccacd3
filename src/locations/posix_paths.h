#pragma once
// Linux-only helpers shared by the run folder, the default save folder and the environment.

#include <string_view>

#include "app/text.h"

namespace locations {

// The home folder of the real user from the passwd database; empty when there is no entry.
AppText PasswdHomeFolder();

// An XDG base folder: `value` when it is absolute (the only kind the XDG rules accept), otherwise
// home + `belowHome`; empty when neither is known.
AppText XdgBaseFolder(const AppText& value, const AppText& home, std::string_view belowHome);

} // namespace locations
