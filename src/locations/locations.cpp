#include "locations/locations.h"

#include "app/state.h"
#include "locations/config_ini.h"
#include "locations/platform.h"

namespace locations {
namespace {

constexpr std::string_view kConfigFile = "config.ini";
constexpr std::string_view kSection = "参数";
constexpr std::string_view kSaveFolderKey = "存档地址";

// The folder-copy service treats a destination that ends with a separator as an existing folder to
// copy into, so a configured folder loses the one the user may have typed. Only one: a value ending
// in two keeps one.
AppText WithoutTrailingSeparator(AppText value) {
    if (!value.empty() && value.back() == app::kPathSeparator) value.pop_back();
    return value;
}

} // namespace

void ResolveLocations() { ResolveLocationsIn(CurrentEnvironment()); }

void ResolveLocationsIn(const Environment& environment) {
    app::SharedState& state = app::State();
    state.RunDirectory = ChooseRunDirectory(environment);
    state.BackupRoot = state.RunDirectory + app::kPathSeparator + "save" + app::kPathSeparator;

    const AppText configFile = state.RunDirectory + app::kPathSeparator + AppText(kConfigFile);
    AppText configured;
    if (ini::Exists(configFile)) {
        configured = ini::ReadValue(configFile, kSection, kSaveFolderKey);
    } else {
        // Written once so the user finds the key to fill in; a folder that cannot take it simply gets
        // another try at the next start.
        ini::CreateNewFile(configFile, kSection, kSaveFolderKey, "");
    }
    // The default is only looked for when it is needed: on Linux that means searching Steam's libraries.
    state.SaveDirectory = configured.empty() ? DefaultSaveFolder(environment) : WithoutTrailingSeparator(configured);

    EnsureFolderPath(state.BackupRoot);
}

} // namespace locations
