#pragma once
// The parts of the resolution that differ between Windows and Linux, one implementation per platform.

#include "app/text.h"
#include "locations/locations.h"

namespace locations {

// The folder that holds the running program, no trailing separator; empty when it cannot be found.
AppText ExecutableFolder();

// The folder that holds config.ini and save/.
AppText ChooseRunDirectory(const Environment& environment);

// The game's save folder when config.ini names none.
AppText DefaultSaveFolder(const Environment& environment);

// The logon name as the platform reports it, before the length rule; empty on failure.
AppText PlatformUserName();

// Bytes in the legacy Chinese code page (the ANSI code page on Windows, GB18030 elsewhere) as UTF-8.
AppText DecodeLegacyCodePage(std::string_view bytes);

} // namespace locations
