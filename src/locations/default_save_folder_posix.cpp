#include "locations/platform.h"
#include "locations/posix_paths.h"
#include "locations/steam.h"

namespace locations {

// The game runs either through Proton, which keeps its Windows save folder inside a prefix of some
// Steam library, or as a native Linux build, which keeps it where Unity puts it. The native place is
// also the answer when neither exists yet.
AppText DefaultSaveFolder(const Environment& environment) {
    if (!environment.home.empty()) {
        AppText proton = steam::FindProtonSaveFolder(steam::SteamRoots(environment.home));
        if (!proton.empty()) return proton;
    }
    const AppText configHome = XdgBaseFolder(environment.xdgConfigHome, environment.home, ".config");
    // With no home at all there is no sensible guess; an empty folder makes a backup ask for config.ini.
    if (configHome.empty()) return {};
    return app::JoinPath(configHome, "unity3d/ostrelworks/lanternmoor/Steam");
}

} // namespace locations
