#pragma once
// Real folders on the real disk for tests, removed again when the test ends.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "app/text.h"

namespace test_support {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as the program holds paths: UTF-8, no trailing separator.
    AppText text() const { return app::FromPath(path_); }
    // A path below the folder, given in UTF-8 with '/' between components.
    std::filesystem::path operator/(std::string_view relative) const;

private:
    std::filesystem::path path_;
};

// Writes `content` to `file`, creating the folders above it.
void WriteFile(const std::filesystem::path& file, std::string_view content);
std::string ReadFile(const std::filesystem::path& file);

// Every file below `root` with its content, keyed by its path relative to `root` ('/' separated);
// folders appear with a trailing '/' and no content. Lets a test compare whole trees in one assertion.
std::map<std::string, std::string> TreeOf(const std::filesystem::path& root);

} // namespace test_support
