#include <algorithm>
#include <numeric>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/find_subfolders_platform.h"

namespace catalogue {
namespace {

bool EndsWithSeparator(const AppText& path) {
    return !path.empty() && (path.back() == app::kPathSeparator || path.back() == '/');
}

// The order NTFS keeps a directory in: the UTF-16 code units of the upper-cased name, compared as
// numbers (app::CompareNamesIgnoringCase). Each name is upper-cased once here rather than once per
// comparison, which keeps a listing of thousands of backups cheap. Names that only NTFS would call
// equal (case-sensitive file systems allow "Test" beside "test") fall back to their bytes, so the
// order never depends on what the file system yielded first.
void SortInNameOrder(std::vector<AppText>& names) {
    std::vector<std::u16string> keys;
    keys.reserve(names.size());
    for (const AppText& name : names) {
        std::u16string key = app::ToUtf16(name);
        for (char16_t& unit : key) unit = app::UpperCaseUnit(unit);
        keys.push_back(std::move(key));
    }
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int c = keys[a].compare(keys[b]); c != 0) return c < 0;
        return names[a] < names[b];
    });
    std::vector<AppText> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order) sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}

} // namespace

std::vector<AppText> FindSubfolders(const AppText& parent) {
    // An empty parent (BackupRoot before the locations are known) names no folder; it must never be
    // taken for the current folder, and the paths built from it would start at a root.
    if (parent.empty()) return {};
    std::vector<AppText> names = platform::SubfolderNames(parent);
    SortInNameOrder(names);
    const std::size_t stem = parent.size() + (EndsWithSeparator(parent) ? 0 : 1);
    for (AppText& name : names) {
        AppText path;
        path.reserve(stem + name.size());
        path.append(parent);
        if (!EndsWithSeparator(parent)) path.push_back(app::kPathSeparator);
        path.append(name);
        name = std::move(path);
    }
    return names;
}

} // namespace catalogue
