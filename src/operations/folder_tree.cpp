#include "operations/folder_tree.h"

#include "operations/folder_tree_platform.h"

namespace operations {

CopyOutcome CopyFolderTree(const AppText& source, const AppText& destination) {
    // An empty path would be taken relative to the working folder, which is never what a caller meant.
    if (source.empty() || destination.empty()) {
        return {false, source.empty() ? source : destination, "路径为空"};
    }
    return platform::CopyTree(source, destination);
}

bool RemoveFolderTree(const AppText& path) {
    // The one guard that must never fail: a bad configuration or an empty list item must not be able
    // to empty a whole drive.
    if (path.empty() || IsDriveOrFileSystemRoot(path)) return false;
    return platform::RemoveTree(path);
}

} // namespace operations
