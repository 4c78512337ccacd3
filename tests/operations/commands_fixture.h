#pragma once
// A program folder with its `save` folder and a game's live save folder, all in one temp folder, with
// the shared state pointing at them and the scripted UI reset. Every command test starts from here.

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/state.h"
#include "catalogue/catalogue.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace commands_test {

namespace fs = std::filesystem;

// Relative path → content; a key ending in '/' is a folder (TreeOf's form).
using Tree = std::map<std::string, std::string>;

inline void WriteTree(const fs::path& root, const Tree& tree) {
    fs::create_directories(root);
    for (const auto& [relative, content] : tree) {
        if (!relative.empty() && relative.back() == '/')
            fs::create_directories(root / app::ToPath(relative));
        else
            test_support::WriteFile(root / app::ToPath(relative), content);
    }
}

// "02月04日 02：41：31" followed by `rest`, for names whose second the test cannot know.
inline bool IsStampedName(const std::string& name, const std::string& rest) {
    static const std::regex stamp("^[0-9]{2}月[0-9]{2}日 [0-9]{2}：[0-9]{2}：[0-9]{2} ");
    std::smatch match;
    return std::regex_search(name, match, stamp) && name.substr(match.length()) == rest;
}

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_ui::Reset();
        app::State() = app::SharedState{};
        fs::create_directories(Backups());
        fs::create_directories(Live().parent_path());
        PointStateAt(Run(), Live());
    }
    void TearDown() override {
        fake_ui::Reset();
        app::State() = app::SharedState{};
    }

    void PointStateAt(const fs::path& run, const fs::path& live) {
        app::SharedState& state = app::State();
        state.RunDirectory = app::FromPath(run);
        state.BackupRoot = state.RunDirectory + app::kPathSeparator + "save" + app::kPathSeparator;
        state.SaveDirectory = app::FromPath(live);
    }

    fs::path Run() const { return temp_ / "run"; }
    fs::path Backups() const { return Run() / "save"; }
    fs::path Backup(const std::string& name) const { return Backups() / app::ToPath(name); }
    fs::path WorkFolder() const { return Run() / "save.work"; }
    fs::path Live() const { return temp_ / "game/Steam"; }
    fs::path Beside(const fs::path& live, const std::string& suffix) const {
        return live.parent_path() / app::ToPath(app::FromPath(live.filename()) + suffix);
    }
    fs::path RestoreNew() const { return Beside(Live(), ".save-manager-restore-new"); }
    fs::path RestoreOld() const { return Beside(Live(), ".save-manager-restore-old"); }
    fs::path RestoreDone() const { return Beside(Live(), ".save-manager-restore-done"); }

    // Folder names directly inside `save`, sorted.
    std::vector<std::string> BackupNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Backups()))
            names.push_back(app::FromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

    // Lists `save` into the fake list and highlights `name`, as the user would before a command.
    void ListAndHighlight(const std::string& name) {
        catalogue::RefreshBackupList();
        ASSERT_TRUE(fake_ui::Select(name)) << name << " is not listed";
    }

    // Nothing of a command's own is left anywhere: no work folder, nothing beside the live folder.
    void ExpectNoWorkLeft() const {
        EXPECT_FALSE(fs::exists(WorkFolder()));
        EXPECT_FALSE(fs::exists(RestoreNew()));
        EXPECT_FALSE(fs::exists(RestoreOld()));
        EXPECT_FALSE(fs::exists(RestoreDone()));
    }

    test_support::TempFolder temp_;
};

} // namespace commands_test
