#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/state.h"
#include "locations/locations.h"
#include "locations/platform.h"
#include "locations/steam.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

constexpr const char* kInPrefix = "pfx/drive_c/users/steamuser/AppData/LocalLow/ostrelworks/lanternmoor/Steam";

// Makes the game's save folder inside the Proton prefix `appId` of a Steam library.
AppText PutGameInPrefix(const fs::path& library, const std::string& appId) {
    const fs::path saves = library / "steamapps/compatdata" / appId / kInPrefix;
    fs::create_directories(saves);
    return app::FromPath(saves);
}

// The current layout of libraryfolders.vdf, as Steam writes it.
void WriteLibraryList(const fs::path& root, const std::vector<fs::path>& libraries) {
    std::string vdf = "\"libraryfolders\"\n{\n";
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        vdf += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + app::FromPath(libraries[i]) +
               "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"123\"\n\t\t}\n\t}\n";
    }
    WriteFile(root / "steamapps/libraryfolders.vdf", vdf + "}\n");
}

// Public, so the table's arrange steps can build inside the fake home.
class LinuxDefaultSaveFolder : public ::testing::Test {
public:
    void SetUp() override {
        fs::create_directories(home);
        environment.home = app::FromPath(home);
        environment.userName = "player";
    }

    AppText Default() const { return locations::DefaultSaveFolder(environment); }
    AppText Unity() const { return app::FromPath(home / ".config/unity3d/ostrelworks/lanternmoor/Steam"); }

    TempFolder temp;
    fs::path home = temp / "home";
    fs::path secondLibrary = temp / "mnt/games/SteamLibrary";
    locations::Environment environment;
};

TEST_F(LinuxDefaultSaveFolder, FindsTheProtonPrefixInASecondSteamLibrary) {
    const fs::path root = home / ".local/share/Steam";
    fs::create_directories(root / "steamapps/compatdata/228980/pfx"); // another game's prefix
    WriteLibraryList(root, {root, secondLibrary});
    const AppText saves = PutGameInPrefix(secondLibrary, "2345670");
    EXPECT_EQ(Default(), saves);
}

TEST_F(LinuxDefaultSaveFolder, SearchesEverySteamRootAndItsLibraries) {
    struct Case {
        const char* what;
        std::function<AppText(LinuxDefaultSaveFolder&)> arrange;
    };
    const Case cases[] = {
        {"the root's own library, without a list",
         [](LinuxDefaultSaveFolder& t) { return PutGameInPrefix(t.home / ".local/share/Steam", "2345670"); }},
        {"~/.steam/steam linked to the real root: found once, named without the link",
         [](LinuxDefaultSaveFolder& t) {
             const fs::path real = t.home / ".local/share/Steam";
             fs::create_directories(real);
             fs::create_directories(t.home / ".steam");
             fs::create_directory_symlink(real, t.home / ".steam/steam");
             WriteLibraryList(real, {real, t.secondLibrary});
             return PutGameInPrefix(t.secondLibrary, "2345670");
         }},
        {"the Flatpak root",
         [](LinuxDefaultSaveFolder& t) {
             const fs::path root = t.home / ".var/app/com.valvesoftware.Steam/.local/share/Steam";
             WriteLibraryList(root, {root, t.secondLibrary});
             return PutGameInPrefix(t.secondLibrary, "2345670");
         }},
        {"the older list layout",
         [](LinuxDefaultSaveFolder& t) {
             const fs::path root = t.home / ".local/share/Steam";
             WriteFile(
                 root / "steamapps/libraryfolders.vdf",
                 "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1700000000\"\n\t\"ContentStatsID\"\t\"-1\"\n"
                 "\t\"1\"\t\t\"" +
                     app::FromPath(t.secondLibrary) + "\"\n}\n");
             return PutGameInPrefix(t.secondLibrary, "2345670");
         }},
        {"listed libraries that are missing or relative are passed over",
         [](LinuxDefaultSaveFolder& t) {
             const fs::path root = t.home / ".local/share/Steam";
             WriteLibraryList(root, {t.temp / "unplugged disk", "relative/library", t.secondLibrary});
             fs::create_directories(root / "relative/library");
             PutGameInPrefix(root / "relative/library", "1");
             return PutGameInPrefix(t.secondLibrary, "2345670");
         }},
        {"a prefix without the game is passed over",
         [](LinuxDefaultSaveFolder& t) {
             const fs::path root = t.home / ".local/share/Steam";
             fs::create_directories(root / "steamapps/compatdata/100/pfx/drive_c/users/steamuser/AppData/LocalLow");
             return PutGameInPrefix(root, "2345670");
         }},
        {"two prefixes with the game: the lower app id, in numeric order",
         [](LinuxDefaultSaveFolder& t) {
             const fs::path root = t.home / ".local/share/Steam";
             PutGameInPrefix(root, "1000");
             return PutGameInPrefix(root, "999");
         }},
        {"a Proton prefix wins over the native folder",
         [](LinuxDefaultSaveFolder& t) {
             fs::create_directories(t.Unity());
             return PutGameInPrefix(t.home / ".local/share/Steam", "2345670");
         }},
        {"no Steam at all: the native folder", [](LinuxDefaultSaveFolder& t) { return t.Unity(); }},
        {"Steam without the game: the native folder, even though it does not exist",
         [](LinuxDefaultSaveFolder& t) {
             const fs::path root = t.home / ".local/share/Steam";
             WriteLibraryList(root, {root, t.secondLibrary});
             fs::create_directories(t.secondLibrary / "steamapps/compatdata/5/pfx");
             return t.Unity();
         }},
    };
    for (const Case& c : cases) {
        fs::remove_all(home);
        fs::remove_all(temp / "mnt");
        fs::create_directories(home);
        const AppText expected = c.arrange(*this);
        EXPECT_EQ(Default(), expected) << c.what;
    }
}

TEST_F(LinuxDefaultSaveFolder, NativeFolderFollowsXdgConfigHome) {
    environment.xdgConfigHome = app::FromPath(temp / "config");
    EXPECT_EQ(Default(), app::FromPath(temp / "config/unity3d/ostrelworks/lanternmoor/Steam"));
    // The XDG rules ignore a relative value.
    environment.xdgConfigHome = "relative/config";
    EXPECT_EQ(Default(), Unity());
    // Without any home there is no guess at all.
    environment.home.clear();
    EXPECT_EQ(Default(), "");
}

TEST(SteamLibraryList, ReadsEveryLayoutSteamHasWritten) {
    struct Case {
        const char* what;
        std::string vdf;
        std::vector<AppText> expected;
    };
    const Case cases[] = {
        {"current layout",
         "\"libraryfolders\"\n{\n\"0\"\n{\n\"path\" \"/home/u/.local/share/Steam\"\n\"apps\"\n{\n\"1\" \"2\"\n}\n}\n"
         "\"1\" { \"PATH\" \"/mnt/游戏\" \"label\" \"big disk\" }\n}\n",
         {"/home/u/.local/share/Steam", "/mnt/游戏"}},
        {"older layout",
         "\"LibraryFolders\" { \"TimeNextStatsReport\" \"17\" \"1\" \"/mnt/a\" \"2\" \"/mnt/b\" }",
         {"/mnt/a", "/mnt/b"}},
        {"escapes, comments and conditions",
         "// written by Steam\n\"libraryfolders\" { \"0\" { \"path\" \"/mnt/with \\\"quote\\\" and \\\\\" [$LINUX] } }",
         {"/mnt/with \"quote\" and \\"}},
        {"unquoted words", "libraryfolders { 0 { path /mnt/plain } }", {"/mnt/plain"}},
        {"paths outside library blocks are not libraries",
         "\"libraryfolders\" { \"path\" \"/not/one\" \"0\" { \"apps\" { \"path\" \"/nor/this\" } } }",
         {}},
        {"broken file", "\"libraryfolders\" { \"0\" { \"path\" \"/mnt/a", {"/mnt/a"}},
        {"stray closing braces", "} } \"libraryfolders\" { \"1\" \"/mnt/a\" }", {"/mnt/a"}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(locations::steam::ParseLibraryFolders(c.vdf), c.expected) << c.what;
}

// A folder its owner cannot write: permissions for an ordinary user, the immutable flag for root (who
// ignores permissions). Undone when the test ends, so the temp folder can go.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const fs::path& folder) : folder_(folder) {
        if (geteuid() != 0) {
            fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
        } else {
            fd_ = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (fd_ >= 0 && ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
                flags |= FS_IMMUTABLE_FL;
                ioctl(fd_, FS_IOC_SETFLAGS, &flags);
            }
        }
    }
    ~ReadOnlyFolder() {
        if (fd_ >= 0) {
            int flags = 0;
            if (ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd_, FS_IOC_SETFLAGS, &flags);
            }
            close(fd_);
        }
        std::error_code ec;
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool Effective() const { return access(folder_.c_str(), W_OK) != 0; }

private:
    fs::path folder_;
    int fd_ = -1;
};

class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override {
        app::State() = app::SharedState{};
        fake_ui::Reset();
        fs::create_directories(temp / "usr/bin");
        fs::create_directories(temp / "home");
        environment.executableFolder = app::FromPath(temp / "usr/bin");
        environment.home = app::FromPath(temp / "home");
        environment.userName = "player";
    }

    TempFolder temp;
    locations::Environment environment;
};

TEST_F(InstalledProgram, KeepsConfigAndBackupsInTheUserDataFolder) {
    ReadOnlyFolder readOnly(temp / "usr/bin");
    if (!readOnly.Effective()) GTEST_SKIP() << "this file system cannot make a folder read-only";

    struct Case {
        const char* what;
        AppText xdgDataHome;
        fs::path expected;
    };
    const Case cases[] = {
        {"default data folder", "", temp / "home/.local/share/save-manager"},
        {"XDG_DATA_HOME", app::FromPath(temp / "data"), temp / "data/save-manager"},
        {"relative XDG_DATA_HOME is ignored", "data", temp / "home/.local/share/save-manager"},
    };
    for (const Case& c : cases) {
        app::State() = app::SharedState{};
        environment.xdgDataHome = c.xdgDataHome;
        locations::ResolveLocationsIn(environment);
        const app::SharedState& state = app::State();
        EXPECT_EQ(state.RunDirectory, app::FromPath(c.expected)) << c.what;
        EXPECT_EQ(state.BackupRoot, app::FromPath(c.expected) + "/save/") << c.what;
        EXPECT_EQ(ReadFile(c.expected / "config.ini"), "\xEF\xBB\xBF[参数]\r\n存档地址=\r\n") << c.what;
        EXPECT_TRUE(fs::is_directory(c.expected / "save")) << c.what;
        EXPECT_EQ(state.SaveDirectory, locations::DefaultSaveFolder(environment)) << c.what;
    }
    EXPECT_TRUE(fs::is_empty(temp / "usr/bin"));
    EXPECT_TRUE(fake_ui::Messages().empty());
}

TEST_F(InstalledProgram, ReadOnlyEverywhereLeavesTheDefaultsAndReportsNothing) {
    fs::create_directories(temp / "home/.local/share");
    ReadOnlyFolder program(temp / "usr/bin");
    ReadOnlyFolder data(temp / "home/.local/share");
    if (!program.Effective() || !data.Effective()) GTEST_SKIP() << "this file system cannot make a folder read-only";

    locations::ResolveLocationsIn(environment);
    const app::SharedState& state = app::State();
    EXPECT_EQ(state.RunDirectory, environment.executableFolder);
    EXPECT_EQ(state.BackupRoot, environment.executableFolder + "/save/");
    EXPECT_EQ(state.SaveDirectory, locations::DefaultSaveFolder(environment));
    EXPECT_TRUE(fs::is_empty(temp / "usr/bin"));
    EXPECT_TRUE(fs::is_empty(temp / "home/.local/share"));
    EXPECT_TRUE(fake_ui::Messages().empty());
}

TEST_F(InstalledProgram, ConfigBesideAnInstalledProgramIsNotTheOneInForce) {
    WriteFile(temp / "usr/bin/config.ini", "[参数]\n存档地址=/srv/saves/\n");
    ReadOnlyFolder readOnly(temp / "usr/bin");
    if (!readOnly.Effective()) GTEST_SKIP() << "this file system cannot make a folder read-only";
    // The program's own folder is unusable, so its config.ini is not the one in force: the data
    // folder's is, written fresh with an empty value.
    locations::ResolveLocationsIn(environment);
    EXPECT_EQ(app::State().RunDirectory, app::FromPath(temp / "home/.local/share/save-manager"));
    EXPECT_EQ(app::State().SaveDirectory, locations::DefaultSaveFolder(environment));
}

} // namespace
