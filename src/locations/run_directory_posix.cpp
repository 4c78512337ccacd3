#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "locations/platform.h"
#include "locations/posix_paths.h"

namespace fs = std::filesystem;

namespace locations {

AppText ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.is_absolute()) return {};
    AppText folder = app::FromPath(exe.parent_path());
    // In the root folder names join straight onto the separator, so the folder itself is empty.
    if (folder == "/") folder.clear();
    return folder;
}

// An installed program sits in a folder its user cannot write, which is no place for config.ini and
// the backups; they then live in the user's data folder. Should that fail too, the program's folder
// stays, and the writes into it fail quietly as they would on Windows.
AppText ChooseRunDirectory(const Environment& environment) {
    const AppText& folder = environment.executableFolder;
    const AppText probe = folder.empty() ? AppText("/") : folder;
    if (access(probe.c_str(), W_OK | X_OK) == 0) return folder;

    const AppText dataHome = XdgBaseFolder(environment.xdgDataHome, environment.home, ".local/share");
    if (dataHome.empty()) return folder;
    const AppText own = app::JoinPath(dataHome, "save-manager");
    std::error_code ec;
    fs::create_directories(app::ToPath(own), ec);
    if (!fs::is_directory(app::ToPath(own), ec) || access(own.c_str(), W_OK | X_OK) != 0) return folder;
    return own;
}

} // namespace locations
