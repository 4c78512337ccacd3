#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/text.h"
#include "catalogue/catalogue.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using test_support::TempFolder;

namespace {

void MakeFolder(const fs::path& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    ASSERT_FALSE(ec) << path << ": " << ec.message();
}

std::vector<AppText> Names(const std::vector<AppText>& paths) {
    std::vector<AppText> names;
    for (const AppText& path : paths) names.push_back(catalogue::DisplayNameOf(path));
    return names;
}

class FindSubfolders : public ::testing::Test {
protected:
    void SetUp() override { fake_ui::Reset(); }
    void TearDown() override { fake_ui::Reset(); }
    TempFolder temp;
};

TEST_F(FindSubfolders, EmptyMissingAndNonFolderParentsGiveNothing) {
    MakeFolder(temp / "empty");
    test_support::WriteFile(temp / "file.txt", "x");
    const AppText sep(1, app::kPathSeparator);
    const AppText cases[] = {
        "",
        temp.text() + sep + "empty",
        temp.text() + sep + "empty" + sep,
        temp.text() + sep + "missing",
        temp.text() + sep + "missing" + sep + "deeper" + sep,
        temp.text() + sep + "file.txt",
    };
    for (const AppText& parent : cases) EXPECT_TRUE(catalogue::FindSubfolders(parent).empty()) << parent;
}

TEST_F(FindSubfolders, ListsFoldersOnlyIncludingDotNamedOnes) {
    // Windows drops trailing dots from a name, so "..." and the like are left to the Linux-only tests.
    for (const char* name : {"b", "a", ".hidden", "..twodots", ".x.y"}) MakeFolder(temp / name);
    for (const char* name : {"file.txt", ".dotfile", "noext"}) test_support::WriteFile(temp / name, "data");
    test_support::WriteFile(temp / "a" / "inner.txt", "not listed either");
    MakeFolder(temp / "a" / "nested");

    const std::vector<AppText> expected = {"..twodots", ".hidden", ".x.y", "a", "b"};
    EXPECT_EQ(Names(catalogue::FindSubfolders(temp.text())), expected);
}

TEST_F(FindSubfolders, TrailingSeparatorGivesTheSamePathsWithOneSeparator) {
    MakeFolder(temp / "one");
    MakeFolder(temp / "two");
    const AppText sep(1, app::kPathSeparator);
    const std::vector<AppText> expected = {temp.text() + sep + "one", temp.text() + sep + "two"};
    EXPECT_EQ(catalogue::FindSubfolders(temp.text()), expected);
    EXPECT_EQ(catalogue::FindSubfolders(temp.text() + sep), expected);
}

TEST_F(FindSubfolders, ChineseAndLongNamesComeBackExactly) {
    // 20 Chinese characters and 190 ASCII ones: 210 characters, 250 bytes of UTF-8, inside what both
    // NTFS (255 UTF-16 units) and ext4 (255 bytes) allow.
    AppText longName;
    for (int i = 0; i < 20; ++i) longName += "备";
    longName += std::string(180, 'x') + ".txt.txt.";
    longName += 'z';
    ASSERT_EQ(app::ToUtf16(longName).size(), 210u);
    const AppText names[] = {"02月04日 02：41：31 无备注", longName, "a.txt.txt", "03月01日 10：00：00 v1.2 final"};
    for (const AppText& name : names) MakeFolder(temp / name);

    const std::vector<AppText> paths = catalogue::FindSubfolders(temp.text());
    ASSERT_EQ(paths.size(), std::size(names));
    for (const AppText& name : names) {
        const AppText path = app::JoinPath(temp.text(), name);
        EXPECT_NE(std::find(paths.begin(), paths.end(), path), paths.end()) << name;
        EXPECT_EQ(catalogue::DisplayNameOf(path), name);
        EXPECT_TRUE(fs::is_directory(app::ToPath(app::JoinPath(temp.text(), catalogue::DisplayNameOf(path)))));
    }
}

TEST_F(FindSubfolders, OrdersNamesAsNtfsDoes) {
    // Upper-cased UTF-16 code units, compared as numbers: digits before letters, '_' (0x5F) after the
    // capitals whatever the case of the letters around it, a prefix before its extensions, and
    // characters beyond U+FFFF (surrogates, D800-DFFF) before the full-width forms (FF00-FFEF) even though
    // their UTF-8 bytes sort the other way.
    const std::vector<AppText> expected = {
        "02月04日 02：41：31 无备注",
        "02月04日 02：41：31 无备注2",
        "02月10日 00：00：00 x",
        "10",
        "10月01日 08：00：00 早",
        "12月31日 23：59：59 年末",
        "9",
        "a",
        "B",
        "b1",
        "Z",
        "_x",
        "ç", // upper-cased to U+00C7, so before U+00D0 although its own unit is U+00E7
        "Ð",
        "日",
        "😀",
        "ｂ",
    };
    for (auto it = expected.rbegin(); it != expected.rend(); ++it) MakeFolder(temp / *it);

    const std::vector<AppText> names = Names(catalogue::FindSubfolders(temp.text()));
    EXPECT_EQ(names, expected);
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(app::CompareNamesIgnoringCase(names[i - 1], names[i]), 0) << names[i - 1] << " / " << names[i];
}

TEST_F(FindSubfolders, ParentLongerThanTheOldPathLimitIsListed) {
    fs::path deep = temp.path();
    for (int i = 0; i < 6; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    MakeFolder(deep / app::ToPath("02月04日 02：41：31 深"));
    MakeFolder(deep / "inner");
    const AppText parent = app::FromPath(deep);
    ASSERT_GT(parent.size(), 300u);
    const std::vector<AppText> expected = {app::JoinPath(parent, "02月04日 02：41：31 深"),
                                           app::JoinPath(parent, "inner")};
    EXPECT_EQ(catalogue::FindSubfolders(parent), expected);
}

TEST_F(FindSubfolders, HandlesPendingEventsBetweenFolderEntriesOnly) {
    for (const char* name : {"a", "b", "c"}) MakeFolder(temp / name);
    for (int i = 0; i < 20; ++i) test_support::WriteFile(temp / ("file" + std::to_string(i)), "x");
    int calls = 0;
    fake_ui::OnPendingEvents([&] { ++calls; });
    EXPECT_EQ(catalogue::FindSubfolders(temp.text()).size(), 3u);
    // Once after each folder entry, "." and ".." included; the twenty files never get there.
    EXPECT_EQ(calls, 5);
}

TEST(DisplayNameOf, IsTheLastComponentSpelledAsOnDisk) {
    const AppText s(1, app::kPathSeparator);
    const struct Case {
        AppText path, expected;
    } cases[] = {
        {s + "root" + s + "save" + s + "02月04日 02：41：31 无备注", "02月04日 02：41：31 无备注"},
        {s + "save" + s + "a.txt.txt", "a.txt.txt"},
        {s + "save" + s + "a.txt", "a.txt"},
        {s + "save" + s + ".hidden", ".hidden"},
        {s + "save" + s + "v1.2", "v1.2"},
        {s + "save" + s + "Trailing" + s, "Trailing"},
        {"plain", "plain"},
        {s + "save" + s + std::string(300, 'n'), std::string(300, 'n')},
        {"", ""},
        {s, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(catalogue::DisplayNameOf(c.path), c.expected) << c.path;
}

} // namespace
