#include "locations/platform.h"

namespace locations {

// Built from fixed pieces, not from the profile folder the system reports, so the default is the same
// path on every machine; a user whose profile lives elsewhere names the folder in config.ini.
AppText DefaultSaveFolder(const Environment& environment) {
    return "C:\\Users\\" + environment.userName + "\\AppData\\LocalLow\\ostrelworks\\lanternmoor\\Steam";
}

} // namespace locations
