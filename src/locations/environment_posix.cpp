#include <cstdlib>

#include "locations/locations.h"
#include "locations/platform.h"
#include "locations/posix_paths.h"

namespace locations {
namespace {

AppText EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? AppText(value) : AppText();
}

} // namespace

AppText XdgBaseFolder(const AppText& value, const AppText& home, std::string_view belowHome) {
    if (!value.empty() && value.front() == '/') return value;
    if (home.empty()) return {};
    return app::JoinPath(home, belowHome);
}

Environment CurrentEnvironment() {
    Environment environment;
    environment.executableFolder = ExecutableFolder();
    environment.userName = CurrentUserName();
    environment.home = EnvironmentValue("HOME");
    // Started without $HOME (some service managers do that): the passwd entry still knows it.
    if (environment.home.empty()) environment.home = PasswdHomeFolder();
    environment.xdgConfigHome = EnvironmentValue("XDG_CONFIG_HOME");
    environment.xdgDataHome = EnvironmentValue("XDG_DATA_HOME");
    return environment;
}

} // namespace locations
