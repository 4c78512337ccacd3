// The copy and removal services on real folders: what a backup, a restore and a delete rely on.

#include "operations/folder_tree.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "test_folder_tree.h"

namespace fs = std::filesystem;
using operations::CopyFolderTree;
using operations::RemoveFolderTree;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::TreeOf;
using test_support::WriteFile;

namespace {

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(engine() & 0xFF);
    return bytes;
}

fs::path Below(const fs::path& root, std::string_view relative) { return root / app::ToPath(relative); }

AppText Text(const fs::path& path) { return app::FromPath(path); }

// A path below `root` as the program spells it: `relative` is written with '/', the result uses the
// platform's separator throughout, as the reports must.
AppText Under(const TempFolder& root, std::string relative) {
    for (char& c : relative)
        if (c == '/') c = app::kPathSeparator;
    return app::JoinPath(root.text(), relative);
}

// What a game leaves in its save folder: nested and empty folders, binary and empty files, Chinese
// names and spaces.
void MakeSampleSave(const fs::path& root) {
    WriteFile(Below(root, "profile.sav"), RandomBytes(70'000, 1));
    WriteFile(Below(root, "empty.dat"), "");
    WriteFile(Below(root, "slots/槽位 1/数据.bin"), RandomBytes(3'000, 2));
    WriteFile(Below(root, "slots/settings.ini"), "[a]\r\nb=1\r\n");
    fs::create_directories(Below(root, "screenshots/empty"));
}

// A symbolic link, or a skip when this system does not let the current user make one.
#define MAKE_LINK_OR_SKIP(call)                                                                                        \
    do {                                                                                                               \
        std::error_code linkError;                                                                                     \
        call;                                                                                                          \
        if (linkError) GTEST_SKIP() << "cannot make symbolic links here: " << linkError.message();                     \
    } while (0)

} // namespace

TEST(CopyFolderTree, NewDestinationGetsTheWholeTreeWithNoExtraLevel) {
    TempFolder tmp;
    MakeSampleSave(tmp / "save");
    const AppText destination = app::JoinPath(tmp.text(), "02月04日 02：41：31 无备注");

    const auto outcome = CopyFolderTree(Text(tmp / "save"), destination);

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    EXPECT_EQ(TreeOf(app::ToPath(destination)), TreeOf(tmp / "save"));
    EXPECT_FALSE(fs::exists(app::ToPath(destination) / "save"));
}

TEST(CopyFolderTree, ExistingDestinationIsMergedIntoReplacingSameNamedFiles) {
    TempFolder tmp;
    WriteFile(tmp / "src/a.txt", "new a");
    WriteFile(tmp / "src/sub/b.txt", "new b");
    WriteFile(tmp / "dst/a.txt", "old a");
    WriteFile(tmp / "dst/keep.txt", "keep");
    WriteFile(tmp / "dst/sub/b.txt", "old b");
    WriteFile(tmp / "dst/sub/c.txt", "old c");
    // A read-only file in the way is replaced too, as the overwriting copy it stands for would.
    fs::permissions(tmp / "dst/sub/b.txt", fs::perms::owner_read);

    const auto outcome = CopyFolderTree(Text(tmp / "src"), Text(tmp / "dst"));

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    const std::map<std::string, std::string> expected{
        {"a.txt", "new a"}, {"keep.txt", "keep"}, {"sub/", ""}, {"sub/b.txt", "new b"}, {"sub/c.txt", "old c"}};
    EXPECT_EQ(TreeOf(tmp / "dst"), expected);
}

TEST(CopyFolderTree, ReplacedFileIsNotWrittenThroughAHardLink) {
    TempFolder tmp;
    WriteFile(tmp / "elsewhere.txt", "another backup's bytes");
    fs::create_directories(tmp / "dst");
    std::error_code ec;
    fs::create_hard_link(tmp / "elsewhere.txt", tmp / "dst/shared.txt", ec);
    if (ec) GTEST_SKIP() << "no hard links here: " << ec.message();
    WriteFile(tmp / "src/shared.txt", "new");

    ASSERT_TRUE(CopyFolderTree(Text(tmp / "src"), Text(tmp / "dst")).ok);

    EXPECT_EQ(ReadFile(tmp / "dst/shared.txt"), "new");
    EXPECT_EQ(ReadFile(tmp / "elsewhere.txt"), "another backup's bytes");
}

TEST(CopyFolderTree, KeepsContentsByteForByteAndLastWriteTimes) {
    TempFolder tmp;
    struct File {
        const char* name;
        std::size_t size;
    };
    // Sizes around the copy's own chunking, and one big enough to need several rounds.
    const File files[] = {
        {"zero.bin", 0}, {"one.bin", 1}, {"page.bin", 4096}, {"odd.bin", 131'073}, {"big/large.bin", 5'000'001}};
    const auto base = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    int index = 0;
    for (const File& f : files) {
        WriteFile(tmp / "src" / f.name, RandomBytes(f.size, 10 + index));
        // Whole seconds would hide a copy that drops the fraction; 100 ns is the finest Windows keeps.
        const auto when = std::chrono::time_point_cast<std::chrono::seconds>(base + std::chrono::hours(index)) +
                          std::chrono::microseconds(123'456) + std::chrono::nanoseconds(100 * (index + 1));
        fs::last_write_time(tmp / "src" / f.name, when);
        ++index;
    }

    ASSERT_TRUE(CopyFolderTree(Text(tmp / "src"), Text(tmp / "dst")).ok);

    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(ReadFile(tmp / "dst" / f.name), ReadFile(tmp / "src" / f.name));
        EXPECT_EQ(fs::file_size(tmp / "dst" / f.name), f.size);
        EXPECT_EQ(fs::last_write_time(tmp / "dst" / f.name), fs::last_write_time(tmp / "src" / f.name));
    }
}

TEST(CopyFolderTree, ReportsWhereItFailedAndLeavesTheSourceAlone) {
    struct Case {
        const char* what;
        std::string source;      // below the temp folder
        std::string destination; // below the temp folder
        std::string failedPath;  // below the temp folder
        bool destinationCreated; // whether the destination's top folder exists afterwards
    };
    const Case cases[] = {
        {"missing source", "nothing here", "dst", "nothing here", false},
        {"source is a file", "save/profile.sav", "dst", "save/profile.sav", false},
        {"destination's parent missing", "save", "no/such/dst", "no/such/dst", false},
        {"destination is a file", "save", "blocker.txt", "blocker.txt", false},
        {"a file stands where a folder goes", "save", "merge", "merge/slots", true},
        {"destination inside the source", "save", "save/slots/copy", "save/slots/copy", false},
        {"source inside the destination", "save/slots", "save", "save", true},
        {"source and destination the same", "save", "save", "save", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder tmp;
        MakeSampleSave(tmp / "save");
        WriteFile(tmp / "blocker.txt", "x");
        WriteFile(tmp / "merge/slots", "a file, not a folder");
        const auto before = TreeOf(tmp / "save");

        const auto outcome = CopyFolderTree(Under(tmp, c.source), Under(tmp, c.destination));

        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.failedPath, Under(tmp, c.failedPath));
        EXPECT_FALSE(outcome.error.empty());
        EXPECT_EQ(TreeOf(tmp / "save"), before);
        EXPECT_EQ(fs::is_directory(Below(tmp.path(), c.destination)), c.destinationCreated);
    }
}

TEST(CopyFolderTree, RefusesEmptyPaths) {
    TempFolder tmp;
    MakeSampleSave(tmp / "save");
    EXPECT_FALSE(CopyFolderTree("", Text(tmp / "dst")).ok);
    EXPECT_FALSE(CopyFolderTree(Text(tmp / "save"), "").ok);
    EXPECT_FALSE(fs::exists(tmp / "dst"));
}

TEST(CopyFolderTree, LinksInsideTheTreeAreCopiedAsLinksNotFollowed) {
    TempFolder tmp;
    WriteFile(tmp / "outside/secret.txt", "not part of the save");
    WriteFile(tmp / "save/real.txt", "save data");
    MAKE_LINK_OR_SKIP(fs::create_directory_symlink(tmp / "outside", tmp / "save/to folder", linkError));
    MAKE_LINK_OR_SKIP(fs::create_symlink(app::ToPath("../outside/secret.txt"), tmp / "save/to file", linkError));
    MAKE_LINK_OR_SKIP(fs::create_symlink(app::ToPath("gone.txt"), tmp / "save/dangling", linkError));

    const auto outcome = CopyFolderTree(Text(tmp / "save"), Text(tmp / "dst"));

    ASSERT_TRUE(outcome.ok) << outcome.failedPath << ": " << outcome.error;
    for (const char* link : {"to folder", "to file", "dangling"}) {
        SCOPED_TRACE(link);
        EXPECT_TRUE(fs::is_symlink(tmp / "dst" / link));
        EXPECT_EQ(fs::read_symlink(tmp / "dst" / link), fs::read_symlink(tmp / "save" / link));
    }
    EXPECT_EQ(TreeOf(tmp / "dst"), TreeOf(tmp / "save"));
}

TEST(RemoveFolderTree, RemovesTheWholeTree) {
    TempFolder tmp;
    MakeSampleSave(tmp / "save");
    EXPECT_TRUE(RemoveFolderTree(Text(tmp / "save")));
    EXPECT_FALSE(fs::exists(tmp / "save"));
    EXPECT_TRUE(fs::exists(tmp.path()));
}

TEST(RemoveFolderTree, AFolderThatIsAlreadyGoneCountsAsRemoved) {
    TempFolder tmp;
    EXPECT_TRUE(RemoveFolderTree(Text(tmp / "never there")));
}

TEST(RemoveFolderTree, UndeletableFileKeepsItsFolderChainAndTheFolder) {
    TempFolder tmp;
    WriteFile(tmp / "save/keep/deep/locked.sav", "locked");
    WriteFile(tmp / "save/keep/other.sav", "x");
    WriteFile(tmp / "save/keep/sibling.sav", "x");
    WriteFile(tmp / "save/gone/inner.sav", "x");
    WriteFile(tmp / "save/top.sav", "x");
    fs::create_directories(tmp / "save/keep/empty");
    if (!folder_tree_test::MakeUndeletable(tmp / "save/keep/deep/locked.sav"))
        GTEST_SKIP() << "cannot make a file undeletable here";

    const bool removed = RemoveFolderTree(Text(tmp / "save"));
    const auto left = TreeOf(tmp / "save");
    folder_tree_test::MakeDeletable(tmp / "save/keep/deep/locked.sav");

    EXPECT_FALSE(removed);
    const std::map<std::string, std::string> expected{
        {"keep/", ""}, {"keep/deep/", ""}, {"keep/deep/locked.sav", "locked"}};
    EXPECT_EQ(left, expected);
}

TEST(RemoveFolderTree, RemovesLinksButNeverWhatTheyPointAt) {
    TempFolder tmp;
    WriteFile(tmp / "outside/secret.txt", "not part of the save");
    WriteFile(tmp / "outside/deeper/more.txt", "neither");
    WriteFile(tmp / "save/real.txt", "save data");
    WriteFile(tmp / "save/sub/real.txt", "save data");
    MAKE_LINK_OR_SKIP(fs::create_directory_symlink(tmp / "outside", tmp / "save/to folder", linkError));
    MAKE_LINK_OR_SKIP(fs::create_symlink(tmp / "outside/secret.txt", tmp / "save/sub/to file", linkError));
    MAKE_LINK_OR_SKIP(fs::create_directory_symlink(tmp / "outside", tmp / "link to outside", linkError));
    const auto outside = TreeOf(tmp / "outside");

    EXPECT_TRUE(RemoveFolderTree(Text(tmp / "save")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp / "save")));
    // Given a link itself, the link goes and the folder it names stays whole.
    EXPECT_TRUE(RemoveFolderTree(Text(tmp / "link to outside")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp / "link to outside")));

    EXPECT_EQ(TreeOf(tmp / "outside"), outside);
}

TEST(RemoveFolderTree, RefusesTheEmptyPathAndEveryRootSpelling) {
    TempFolder tmp;
    // With an empty path the working folder must not be what goes.
    const fs::path previous = fs::current_path();
    WriteFile(tmp / "work/file.txt", "x");
    fs::current_path(tmp / "work");
    const bool removed = RemoveFolderTree("");
    fs::current_path(previous);
    EXPECT_FALSE(removed);
    EXPECT_TRUE(fs::exists(tmp / "work/file.txt"));

    // Removing a real root is not something a test may try; the refusal rests on this judgement (and
    // the platform tests remove a mounted root for real).
    for (const std::string& root : folder_tree_test::RootSpellings())
        EXPECT_TRUE(operations::IsDriveOrFileSystemRoot(root)) << root;
    for (const std::string& path : folder_tree_test::NonRootSpellings())
        EXPECT_FALSE(operations::IsDriveOrFileSystemRoot(path)) << path;
    EXPECT_FALSE(operations::IsDriveOrFileSystemRoot(""));
    EXPECT_FALSE(operations::IsDriveOrFileSystemRoot(tmp.text()));
}

TEST(RenameFolder, MovesTheFolderButNeverOntoSomethingThatExists) {
    struct Case {
        const char* what;
        const char* to; // below the temp folder; "taken" is an empty folder, "file" a file
        bool ok;
        const char* failedPath;
    };
    const Case cases[] = {
        {"free name", "renamed", true, ""},
        {"an empty folder has the name", "taken", false, "taken"},
        {"a file has the name", "file", false, "file"},
        {"the parent is missing", "no/such", false, "no/such"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder tmp;
        MakeSampleSave(tmp / "save.work");
        fs::create_directories(tmp / "taken");
        WriteFile(tmp / "file", "x");
        const auto tree = TreeOf(tmp / "save.work");

        const auto outcome = operations::RenameFolder(Under(tmp, "save.work"), Under(tmp, c.to));

        EXPECT_EQ(outcome.ok, c.ok);
        if (c.ok) {
            EXPECT_FALSE(fs::exists(tmp / "save.work"));
            EXPECT_EQ(TreeOf(Below(tmp.path(), c.to)), tree);
        } else {
            EXPECT_EQ(outcome.failedPath, Under(tmp, c.failedPath));
            EXPECT_FALSE(outcome.error.empty());
            EXPECT_EQ(TreeOf(tmp / "save.work"), tree);
            EXPECT_TRUE(fs::is_empty(tmp / "taken"));
        }
    }
}

TEST(RenameFolder, AMissingSourceIsNamedInTheReport) {
    TempFolder tmp;
    const auto outcome = operations::RenameFolder(Text(tmp / "missing"), Text(tmp / "target"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedPath, Text(tmp / "missing"));
    EXPECT_FALSE(fs::exists(tmp / "target"));
}

TEST(MakeFolder, CreatesOnlyAFreshFolder) {
    TempFolder tmp;
    EXPECT_TRUE(operations::MakeFolder(Text(tmp / "new")).ok);
    EXPECT_TRUE(fs::is_directory(tmp / "new"));

    const auto again = operations::MakeFolder(Text(tmp / "new"));
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.failedPath, Text(tmp / "new"));
    EXPECT_FALSE(again.error.empty());

    EXPECT_FALSE(operations::MakeFolder(Text(tmp / "no/parent")).ok);
    EXPECT_FALSE(operations::MakeFolder("").ok);
}

TEST(IsFolderAndPathExists, TellWhatIsThere) {
    TempFolder tmp;
    fs::create_directories(tmp / "folder");
    WriteFile(tmp / "file", "x");
    struct Case {
        const char* name;
        bool folder;
        bool exists;
    };
    std::vector<Case> cases{{"folder", true, true}, {"file", false, true}, {"missing", false, false}};
    std::error_code ec;
    fs::create_directory_symlink(tmp / "folder", tmp / "link to folder", ec);
    if (!ec) cases.push_back({"link to folder", true, true});
    fs::create_symlink(tmp / "gone", tmp / "dangling", ec);
    if (!ec) cases.push_back({"dangling", false, true});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(operations::IsFolder(Text(tmp / c.name)), c.folder);
        EXPECT_EQ(operations::PathExists(Text(tmp / c.name)), c.exists);
    }
    EXPECT_FALSE(operations::IsFolder(""));
    EXPECT_FALSE(operations::PathExists(""));
}
