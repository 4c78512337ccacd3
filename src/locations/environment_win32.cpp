#include "locations/locations.h"
#include "locations/platform.h"

namespace locations {

// Windows needs nothing but the program's folder and the user name: the default save folder is a
// fixed path under C:\Users.
Environment CurrentEnvironment() {
    Environment environment;
    environment.executableFolder = ExecutableFolder();
    environment.userName = CurrentUserName();
    return environment;
}

} // namespace locations
