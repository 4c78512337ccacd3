#include <filesystem>
#include <system_error>

#include "locations/locations.h"

namespace fs = std::filesystem;

namespace locations {

// Every folder along the path is made from the top down, the last one included whether or not the
// path ends with a separator.
bool EnsureFolderPath(const AppText& path) {
    if (path.empty()) return false;
    fs::path folder = app::ToPath(path);
    // "a/b/" names the same folder as "a/b"; the empty last element would only confuse the checks.
    if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

} // namespace locations
