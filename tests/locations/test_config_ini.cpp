#include <gtest/gtest.h>

#include <string>

#include "locations/config_ini.h"
#include "support/temp_folder.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using locations::ini::DecodeFileBytes;
using locations::ini::FindValue;
using locations::ini::kMaxValueBytes;
using test_support::ReadFile;
using test_support::TempFolder;
using test_support::WriteFile;

const std::string kSection = "参数";
const std::string kKey = "存档地址";

// The bytes of "游戏存档" in GBK, as a Chinese Windows tool would have written them.
const std::string kGbkGameSaves = "\xD3\xCE\xCF\xB7\xB4\xE6\xB5\xB5";

std::string Utf16Le(const std::u16string& text) {
    std::string out = "\xFF\xFE";
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}

std::string Utf16Be(const std::u16string& text) {
    std::string out = "\xFE\xFF";
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit >> 8));
        out.push_back(static_cast<char>(unit & 0xFF));
    }
    return out;
}

bool LegacyCodePageIsChinese() {
#if defined(_WIN32)
    return GetACP() == 936 || GetACP() == 54936;
#else
    return true; // GB18030 through iconv
#endif
}

TEST(IniValueRules, ReadsValuesTheWayProfileStringsDo) {
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", "[参数]\n存档地址=D:\\Saves\n", "D:\\Saves"},
        {"blanks around key, '=' and value", "[参数]\n  存档地址 \t=  D:\\My Saves \t\n", "D:\\My Saves"},
        {"blanks before the section line", "   [参数]  \n存档地址=x\n", "x"},
        {"blanks inside the brackets", "[ 参数 ]\n存档地址=x\n", "x"},
        {"double quotes dropped", "[参数]\n存档地址=\"D:\\My Saves\"\n", "D:\\My Saves"},
        {"single quotes dropped", "[参数]\n存档地址='D:\\My Saves'\n", "D:\\My Saves"},
        {"quotes inside blanks dropped", "[参数]\n存档地址=  \" D:\\x \"  \n", " D:\\x "},
        {"only one pair dropped", "[参数]\n存档地址=\"\"x\"\"\n", "\"x\""},
        {"mismatched quotes kept", "[参数]\n存档地址=\"x'\n", "\"x'"},
        {"quote at one end kept", "[参数]\n存档地址=\"x\n", "\"x"},
        {"lone quote kept", "[参数]\n存档地址=\"\n", "\""},
        {"empty quotes are empty", "[参数]\n存档地址=\"\"\n", ""},
        {"blanks only are empty", "[参数]\n存档地址=   \t\n", ""},
        {"value keeps '=' and ';'", "[参数]\n存档地址=a=b;c\n", "a=b;c"},
        {"missing key", "[参数]\n其他=1\n", ""},
        {"missing section", "[其他]\n存档地址=x\n", ""},
        {"key before any section", "存档地址=x\n[参数]\n", ""},
        {"key of another section", "[参数]\n其他=1\n[其他]\n存档地址=x\n", ""},
        {"other sections and keys around it", "[a]\nk=1\n[参数]\n;note\n其他=2\n存档地址=x\n[b]\n存档地址=y\n", "x"},
        {"first key wins", "[参数]\n存档地址=first\n存档地址=second\n", "first"},
        {"key without '=' reads empty and wins", "[参数]\n存档地址\n存档地址=second\n", ""},
        {"first section wins", "[参数]\n其他=1\n[参数]\n存档地址=second\n", ""},
        {"CRLF line ends", "[参数]\r\n存档地址=x\r\n", "x"},
        {"CR line ends", "[参数]\r存档地址=x\r其他=y", "x"},
        {"no final line end", "[参数]\n存档地址=x", "x"},
        {"longer key with the same start", "[参数]\n存档地址2=x\n", ""},
        {"unclosed section header still starts a section", "[参数\n存档地址=x\n", "x"},
        {"empty text", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FindValue(c.text, kSection, kKey), c.expected) << c.what;
}

TEST(IniValueRules, SectionAndKeyNamesIgnoreAsciiCaseOnly) {
    const std::string text = "[Settings]\nSaveDir=x\n[ＡＢ]\nk=full-width\n";
    EXPECT_EQ(FindValue(text, "settings", "SAVEDIR"), "x");
    EXPECT_EQ(FindValue(text, " SETTINGS ", " savedir "), "x");
    // Letters outside ASCII are compared exactly, as the code-page bytes always were.
    EXPECT_EQ(FindValue(text, "ａｂ", "k"), "");
    EXPECT_EQ(FindValue(text, "ＡＢ", "K"), "full-width");
}

TEST(IniValueRules, LongValuesAreCutAt10239BytesOnACharacterBoundary) {
    const std::string cjk = "存"; // three bytes
    std::string exactly;
    for (std::size_t i = 0; i < kMaxValueBytes / 3; ++i) exactly += cjk;
    ASSERT_EQ(exactly.size(), kMaxValueBytes);

    struct Case {
        const char* what;
        std::string value;
        std::string expected;
    };
    const Case cases[] = {
        {"ASCII at the limit", std::string(kMaxValueBytes, 'a'), std::string(kMaxValueBytes, 'a')},
        {"ASCII one over", std::string(kMaxValueBytes + 1, 'a'), std::string(kMaxValueBytes, 'a')},
        {"ASCII far over", std::string(50000, 'a'), std::string(kMaxValueBytes, 'a')},
        {"Chinese at the limit", exactly, exactly},
        {"Chinese one character over", exactly + cjk, exactly},
        // 1 + 3413 * 3 = 10240: the last character would straddle the limit and goes whole.
        {"character straddling the limit", "a" + exactly, "a" + exactly.substr(0, exactly.size() - 3)},
        {"quotes do not count", "\"" + std::string(kMaxValueBytes, 'b') + "\"", std::string(kMaxValueBytes, 'b')},
    };
    for (const Case& c : cases) {
        const std::string value = FindValue("[参数]\n存档地址=" + c.value + "\n", kSection, kKey);
        EXPECT_EQ(value.size(), c.expected.size()) << c.what;
        EXPECT_EQ(value, c.expected) << c.what;
    }
}

TEST(IniFileDecoding, ChinesePathSurvivesEveryEncoding) {
    const std::string utf8 = "[参数]\r\n存档地址=D:\\游戏存档\\Steam\r\n";
    const std::u16string utf16 = u"[参数]\r\n存档地址=D:\\游戏存档\\Steam\r\n";
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"UTF-8 without BOM", utf8},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-16 LE with BOM", Utf16Le(utf16)},
        {"UTF-16 BE with BOM", Utf16Be(utf16)},
    };
    if (LegacyCodePageIsChinese())
        cases.push_back({"legacy code page", "[\xB2\xCE\xCA\xFD]\r\n\xB4\xE6\xB5\xB5\xB5\xD8\xD6\xB7=D:\\" +
                                                 kGbkGameSaves + "\\Steam\r\n"});
    else
        ADD_FAILURE() << "the ANSI code page is not Chinese (under Wine, start with LC_ALL=zh_CN.UTF-8)";
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeFileBytes(c.bytes), utf8) << c.what;
        EXPECT_EQ(FindValue(DecodeFileBytes(c.bytes), kSection, kKey), "D:\\游戏存档\\Steam") << c.what;
    }
}

TEST(IniFileDecoding, DamagedBytesNeverReachTheTextAsTheyAre) {
    // A BOM promises UTF-8; a bad byte after it becomes U+FFFD rather than turning the file into GBK.
    EXPECT_EQ(DecodeFileBytes("\xEF\xBB\xBFk=a\xFFz"), "k=a\xEF\xBF\xBDz");
    // An odd byte at the end of UTF-16 is half a character and is dropped.
    EXPECT_EQ(DecodeFileBytes(Utf16Le(u"k=v") + "x"), "k=v");
    // The result is always well-formed, whatever the legacy decoder made of the bytes.
    EXPECT_TRUE(app::IsValidUtf8(DecodeFileBytes("k=\x80\xFF\xB4")));
    EXPECT_EQ(DecodeFileBytes(""), "");
}

TEST(IniFile, NewFileHoldsTheSectionAndKeyInUtf8WithBomAndCrlf) {
    EXPECT_EQ(locations::ini::NewFileBytes(kSection, kKey, ""), "\xEF\xBB\xBF[参数]\r\n存档地址=\r\n");
}

TEST(IniFile, CreateNeverReplacesAnExistingFile) {
    TempFolder temp;
    const auto file = temp / "config.ini";
    WriteFile(file, "[参数]\n存档地址=mine\n");
    EXPECT_FALSE(locations::ini::CreateNewFile(app::FromPath(file), kSection, kKey, ""));
    EXPECT_EQ(ReadFile(file), "[参数]\n存档地址=mine\n");

    // A folder of that name counts as existing too.
    std::filesystem::create_directory(temp / "folder.ini");
    EXPECT_FALSE(locations::ini::CreateNewFile(app::FromPath(temp / "folder.ini"), kSection, kKey, ""));
    EXPECT_TRUE(std::filesystem::is_directory(temp / "folder.ini"));
}

TEST(IniFile, ReadGivesEmptyForWhatCannotBeRead) {
    TempFolder temp;
    EXPECT_EQ(locations::ini::ReadValue(app::FromPath(temp / "missing.ini"), kSection, kKey), "");
    std::filesystem::create_directory(temp / "folder.ini");
    EXPECT_EQ(locations::ini::ReadValue(app::FromPath(temp / "folder.ini"), kSection, kKey), "");
}

TEST(IniFile, CreateIntoAMissingFolderWritesNothing) {
    TempFolder temp;
    const auto file = temp / "no such folder/config.ini";
    EXPECT_FALSE(locations::ini::CreateNewFile(app::FromPath(file), kSection, kKey, ""));
    EXPECT_FALSE(std::filesystem::exists(temp / "no such folder"));
}

TEST(IniFile, WrittenFileReadsBackThroughAChineseFolderName) {
    TempFolder temp;
    std::filesystem::create_directory(temp / "存档管理器");
    const AppText file = app::FromPath(temp / "存档管理器/config.ini");
    ASSERT_TRUE(locations::ini::CreateNewFile(file, kSection, kKey, "E:\\游戏存档"));
    EXPECT_EQ(locations::ini::ReadValue(file, kSection, kKey), "E:\\游戏存档");
}

} // namespace
