#include "support/temp_folder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace test_support {

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("sm-test-" + std::to_string(rd()) + "-" +
                                                                std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            // Canonical, so tests compare against the same spelling the program builds.
            path_ = fs::weakly_canonical(candidate);
            return;
        }
    }
    ADD_FAILURE() << "could not create a temporary folder";
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    // A test may leave read-only files behind; make everything writable before removing it.
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

fs::path TempFolder::operator/(std::string_view relative) const { return path_ / app::ToPath(relative); }

void WriteFile(const fs::path& file, std::string_view content) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    ASSERT_TRUE(out.good()) << "could not write " << file;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::map<std::string, std::string> TreeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string relative = app::FromPath(it->path().lexically_relative(root));
        for (char& c : relative)
            if (c == '\\') c = '/';
        if (it->is_symlink())
            tree[relative] = "-> " + app::FromPath(fs::read_symlink(it->path()));
        else if (it->is_directory())
            tree[relative + "/"] = "";
        else
            tree[relative] = ReadFile(it->path());
    }
    return tree;
}

} // namespace test_support
