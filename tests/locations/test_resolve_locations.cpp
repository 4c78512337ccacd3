#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/state.h"
#include "locations/locations.h"
#include "locations/platform.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using test_support::ReadFile;
using test_support::TempFolder;
using test_support::TreeOf;
using test_support::WriteFile;

const std::string kNewConfig = "\xEF\xBB\xBF[参数]\r\n存档地址=\r\n";

// A path written with '/' in the platform's own separator.
AppText Native(std::string path) {
    for (char& c : path)
        if (c == '/') c = app::kPathSeparator;
    return path;
}

// Every test starts from a fresh shared state and a run folder with a Chinese name (the program is
// often unpacked into one), with a fake home that holds no game.
class ResolveLocations : public ::testing::Test {
protected:
    void SetUp() override {
        app::State() = app::SharedState{};
        fake_ui::Reset();
        fs::create_directories(temp / "程序 目录");
        fs::create_directories(temp / "home");
        environment.executableFolder = app::FromPath(temp / "程序 目录");
        environment.userName = "测试用户";
        environment.home = app::FromPath(temp / "home");
    }

    AppText RunFolder() const { return environment.executableFolder; }
    fs::path ConfigFile() const { return temp / "程序 目录/config.ini"; }
    AppText DefaultSave() const { return locations::DefaultSaveFolder(environment); }

    void Resolve() {
        locations::ResolveLocationsIn(environment);
        EXPECT_TRUE(fake_ui::Messages().empty()) << "resolving the locations must not show anything";
    }

    // Old enough that any write during the test shows.
    void BackDate(const fs::path& file) {
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(48));
    }

    TempFolder temp;
    locations::Environment environment;
};

TEST_F(ResolveLocations, FirstStartWritesConfigAndCreatesSave) {
    Resolve();
    const app::SharedState& state = app::State();
    EXPECT_EQ(state.RunDirectory, RunFolder());
    EXPECT_EQ(state.BackupRoot, RunFolder() + app::kPathSeparator + "save" + app::kPathSeparator);
    EXPECT_EQ(state.SaveDirectory, DefaultSave());
    EXPECT_EQ(ReadFile(ConfigFile()), kNewConfig);
    EXPECT_TRUE(fs::is_directory(temp / "程序 目录/save"));
    EXPECT_TRUE(fs::is_empty(temp / "程序 目录/save"));
}

TEST_F(ResolveLocations, WrittenConfigIsReadAndNeverRewrittenAtLaterStarts) {
    Resolve();
    // The user fills in the key the first start wrote.
    const std::string edited = "\xEF\xBB\xBF[参数]\r\n存档地址=" + Native("/游戏/存档/") + "\r\n";
    WriteFile(ConfigFile(), edited);
    BackDate(ConfigFile());
    const auto stamp = fs::last_write_time(ConfigFile());

    app::State() = app::SharedState{};
    Resolve();
    EXPECT_EQ(app::State().SaveDirectory, Native("/游戏/存档"));
    EXPECT_EQ(ReadFile(ConfigFile()), edited);
    EXPECT_EQ(fs::last_write_time(ConfigFile()), stamp);
}

TEST_F(ResolveLocations, ConfiguredFolderLosesOneTrailingSeparator) {
    struct Case {
        std::string value;
        AppText expected;
    };
    const Case cases[] = {
        {Native("/Saves/"), Native("/Saves")},
        {Native("/Saves"), Native("/Saves")},
        {Native("/Saves//"), Native("/Saves/")},
        {Native("\"/Saves/\""), Native("/Saves")},
        {Native("  /存档 备份/  "), Native("/存档 备份")},
#if defined(_WIN32)
        {"D:\\Saves\\", "D:\\Saves"},
        {"D:\\Saves", "D:\\Saves"},
        {"D:/Saves/", "D:/Saves/"}, // only the platform's own separator counts
#else
        {"/home/me/Saves\\", "/home/me/Saves\\"}, // a backslash is part of a Linux name
#endif
    };
    for (const Case& c : cases) {
        app::State() = app::SharedState{};
        WriteFile(ConfigFile(), "[参数]\n存档地址=" + c.value + "\n");
        Resolve();
        EXPECT_EQ(app::State().SaveDirectory, c.expected) << "value " << c.value;
    }
}

TEST_F(ResolveLocations, ConfigWithoutAFolderGivesTheDefaultAndIsLeftAlone) {
    const std::string contents[] = {
        "[参数]\r\n存档地址=\r\n",
        "[参数]\n存档地址=   \n",
        "[参数]\n存档地址=\"\"\n",
        "[参数]\n",
        "[其他]\n存档地址=" + Native("/elsewhere") + "\n",
        "",
        "; just a note\n",
    };
    for (const std::string& content : contents) {
        app::State() = app::SharedState{};
        WriteFile(ConfigFile(), content);
        BackDate(ConfigFile());
        const auto stamp = fs::last_write_time(ConfigFile());
        Resolve();
        EXPECT_EQ(app::State().SaveDirectory, DefaultSave()) << content;
        EXPECT_EQ(ReadFile(ConfigFile()), content) << content;
        EXPECT_EQ(fs::last_write_time(ConfigFile()), stamp) << content;
    }
}

TEST_F(ResolveLocations, ChinesePathIsReadFromEveryEncoding) {
    const AppText folder = Native("/游戏存档/Steam");
    const std::u16string text16 =
        u"[参数]\r\n存档地址=" + app::ToUtf16(folder) + static_cast<char16_t>(app::kPathSeparator) + u"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t unit : text16) {
        utf16.push_back(static_cast<char>(unit & 0xFF));
        utf16.push_back(static_cast<char>(unit >> 8));
    }
    const std::string gbk = Native("/\xD3\xCE\xCF\xB7\xB4\xE6\xB5\xB5/Steam");
    const std::string files[] = {
        "[参数]\r\n存档地址=" + folder + app::kPathSeparator + "\r\n",
        "\xEF\xBB\xBF[参数]\r\n存档地址=" + folder + app::kPathSeparator + "\r\n",
        utf16,
        "[\xB2\xCE\xCA\xFD]\r\n\xB4\xE6\xB5\xB5\xB5\xD8\xD6\xB7=" + gbk + app::kPathSeparator + "\r\n",
    };
    int index = 0;
    for (const std::string& bytes : files) {
        app::State() = app::SharedState{};
        WriteFile(ConfigFile(), bytes);
        Resolve();
        EXPECT_EQ(app::State().SaveDirectory, folder) << "file " << index++;
        EXPECT_EQ(ReadFile(ConfigFile()), bytes);
    }
}

TEST_F(ResolveLocations, ExistingSaveFolderAndItsBackupsAreLeftAlone) {
    WriteFile(temp / "程序 目录/save/02月04日 02：41：31 无备注/slot1.sav", "progress");
    fs::create_directories(temp / "程序 目录/save/空的备份");
    const auto before = TreeOf(temp / "程序 目录/save");
    Resolve();
    EXPECT_EQ(TreeOf(temp / "程序 目录/save"), before);
}

TEST_F(ResolveLocations, RunFolderThatCannotBeWrittenLeavesTheDefaultsAndReportsNothing) {
    // A file where the folders should be: nothing below it can be created, whoever runs the test.
    WriteFile(temp / "blocker", "not a folder");
    environment.executableFolder = app::FromPath(temp / "blocker/program");
    environment.xdgDataHome = app::FromPath(temp / "blocker/data"); // so Linux has nowhere else to go
    Resolve();
    const app::SharedState& state = app::State();
    EXPECT_EQ(state.RunDirectory, environment.executableFolder);
    EXPECT_EQ(state.SaveDirectory, DefaultSave());
    EXPECT_EQ(state.BackupRoot, environment.executableFolder + app::kPathSeparator + "save" + app::kPathSeparator);
    EXPECT_EQ(ReadFile(temp / "blocker"), "not a folder");
}

TEST(EnsureFolderPath, CreatesEveryMissingFolderAlongThePath) {
    TempFolder temp;
    struct Case {
        const char* relative;
        bool trailingSeparator;
    };
    const Case cases[] = {{"a/b/c", true}, {"d/e/f", false}, {"存档/备份 1", true}, {"a/b/c/d", false}};
    for (const Case& c : cases) {
        AppText path = app::FromPath(temp / c.relative);
        if (c.trailingSeparator) path += app::kPathSeparator;
        EXPECT_TRUE(locations::EnsureFolderPath(path)) << c.relative;
        EXPECT_TRUE(fs::is_directory(temp / c.relative)) << c.relative;
    }
}

TEST(EnsureFolderPath, LeavesExistingFoldersAndTheirContentAlone) {
    TempFolder temp;
    WriteFile(temp / "save/backup/file.sav", "data");
    EXPECT_TRUE(locations::EnsureFolderPath(app::FromPath(temp / "save") + app::kPathSeparator));
    EXPECT_EQ(ReadFile(temp / "save/backup/file.sav"), "data");
}

TEST(EnsureFolderPath, FailsWhenAFileIsInTheWay) {
    TempFolder temp;
    WriteFile(temp / "file", "x");
    EXPECT_FALSE(locations::EnsureFolderPath(app::FromPath(temp / "file")));
    EXPECT_FALSE(locations::EnsureFolderPath(app::FromPath(temp / "file/below") + app::kPathSeparator));
    EXPECT_FALSE(locations::EnsureFolderPath(""));
    EXPECT_EQ(ReadFile(temp / "file"), "x");
}

TEST(CurrentEnvironment, RunFolderIsTheFolderOfThisProgram) {
    const locations::Environment environment = locations::CurrentEnvironment();
    const AppText& folder = environment.executableFolder;
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), app::kPathSeparator);
    bool found = false;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(app::ToPath(folder), ec))
        if (app::FromPath(entry.path().filename()).starts_with("locations_tests")) found = true;
    EXPECT_TRUE(found) << folder << " does not hold this test program";
    EXPECT_EQ(environment.userName, locations::CurrentUserName());
}

TEST(CurrentUserName, FitsTheFiftyByteBuffer) {
    const AppText name = locations::CurrentUserName();
    std::size_t characters = 0;
    for (char c : name)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    EXPECT_LE(characters, 49u);
    EXPECT_TRUE(app::IsValidUtf8(name));
}

} // namespace
