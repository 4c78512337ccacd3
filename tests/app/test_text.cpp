#include <gtest/gtest.h>

#include "app/text.h"

namespace {

TEST(Text, Utf16RoundTripKeepsChineseAndAstralCharacters) {
    const AppText samples[] = {"", "abc", "存档管理器", "02月04日 02：41：31 无备注", "emoji \xF0\x9F\x98\x80 end"};
    for (const AppText& s : samples) EXPECT_EQ(app::FromUtf16(app::ToUtf16(s)), s) << s;
    EXPECT_EQ(app::ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\xD83D\xDE00"));
}

TEST(Text, IllFormedUtf8IsReplacedNotDropped) {
    struct Case {
        const char* bytes;
        const char16_t* utf16;
    } cases[] = {
        {"a\xFF" "b", u"a\uFFFDb"},          // a byte that never starts a character
        {"\xC0\xAF", u"\uFFFD\uFFFD"},       // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // a surrogate spelled in UTF-8
        {"\xE5\xAD", u"\uFFFD"},             // cut short at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::ToUtf16(c.bytes), std::u16string(c.utf16)) << c.bytes;
        EXPECT_FALSE(app::IsValidUtf8(c.bytes)) << c.bytes;
    }
    EXPECT_TRUE(app::IsValidUtf8("存档 \xEF\xBF\xBD ok"));
    // GBK bytes of "存档" are not UTF-8: the config reader relies on this to spot legacy files.
    EXPECT_FALSE(app::IsValidUtf8("\xB4\xE6\xB5\xB5"));
}

TEST(Text, PathConversionKeepsUtf8OnAnyLocale) {
    const AppText name = "存档 ＼ 备注";
    EXPECT_EQ(app::FromPath(app::ToPath(name)), name);
    EXPECT_EQ(app::ToPath(name).filename().u8string(), std::u8string(u8"存档 ＼ 备注"));
}

TEST(Text, JoinPathPutsExactlyOneSeparator) {
    const char sep = app::kPathSeparator;
    const AppText folder = AppText("root") + sep + "save";
    EXPECT_EQ(app::JoinPath(folder, "a"), folder + sep + "a");
    EXPECT_EQ(app::JoinPath(folder + sep, "a"), folder + sep + "a");
}

TEST(Text, NamesOrderLikeNtfs) {
    // Upper-cased code units: '_' (0x5F) sorts after the letters' capitals, digits before them,
    // and case never decides.
    EXPECT_LT(app::CompareNamesIgnoringCase("abc", "ABD"), 0);
    EXPECT_EQ(app::CompareNamesIgnoringCase("Straße", "STRAßE"), 0);
    EXPECT_LT(app::CompareNamesIgnoringCase("Z", "_"), 0);
    EXPECT_LT(app::CompareNamesIgnoringCase("1", "a"), 0);
    EXPECT_LT(app::CompareNamesIgnoringCase("ab", "abc"), 0);
    EXPECT_EQ(app::CompareNamesIgnoringCase("ÀÉÎ ăĹЖ σς ｂ", "àéî ĂĺЖ ΣΣ Ｂ"), 0);
    EXPECT_LT(app::CompareNamesIgnoringCase("02月04日", "03月01日"), 0);
}

TEST(Text, PrefixMatchIgnoresCase) {
    EXPECT_TRUE(app::StartsWithIgnoringCase("03月05日 10：00：00 Test2", "03月05日 10：00：00 tEST"));
    EXPECT_TRUE(app::StartsWithIgnoringCase("abc", ""));
    EXPECT_FALSE(app::StartsWithIgnoringCase("ab", "abc"));
    EXPECT_FALSE(app::StartsWithIgnoringCase("02月", "03月"));
}

} // namespace
