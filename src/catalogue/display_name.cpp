#include <string_view>

#include "catalogue/catalogue.h"

namespace catalogue {

// The commands rebuild a backup's path as BackupRoot + the shown text, so the name is shown exactly as
// it is spelled on disk: nothing shortened, no extension hidden, nothing cut for its length.
AppText DisplayNameOf(const AppText& path) {
    // Windows accepts '/' between components as well as '\'.
    constexpr std::string_view separators = app::kPathSeparator == '/' ? std::string_view("/") : "\\/";
    const std::size_t end = path.find_last_not_of(separators);
    if (end == AppText::npos) return {};
    const std::size_t slash = path.find_last_of(separators, end);
    const std::size_t start = slash == AppText::npos ? 0 : slash + 1;
    return path.substr(start, end + 1 - start);
}

} // namespace catalogue
