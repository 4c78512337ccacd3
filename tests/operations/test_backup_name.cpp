#include <string>

#include <gtest/gtest.h>

#include "operations/backup_name.h"
#include "operations/commands.h"

namespace {

using operations::BackupNameFor;
using operations::MakeBackupStamp;
using operations::SanitizeNote;

std::tm At(int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = 124;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

std::size_t Utf16Units(const std::string& text) { return app::ToUtf16(text).size(); }

TEST(BackupStamp, WritesEveryFieldWithTwoDigitsAndFullWidthColons) {
    struct Case {
        std::tm time;
        const char* stamp;
    } cases[] = {
        {At(3, 1, 9, 5, 7), "03月01日 09：05：07"},
        {At(2, 4, 2, 41, 31), "02月04日 02：41：31"},
        {At(12, 31, 23, 59, 59), "12月31日 23：59：59"},
        {At(1, 1, 0, 0, 0), "01月01日 00：00：00"},
    };
    for (const Case& c : cases) EXPECT_EQ(MakeBackupStamp(c.time), c.stamp);
}

TEST(BackupStamp, CurrentTimeHasTheSameShape) {
    const std::string stamp = MakeBackupStamp();
    // "MM月DD日 hh：mm：ss": ten digits, 月 日 and two ：, one space.
    EXPECT_EQ(stamp.size(), 10u + 3 + 3 + 1 + 3 + 3);
    EXPECT_EQ(stamp.substr(2, 3), "月");
    EXPECT_EQ(stamp.substr(10, 1), " ");
}

TEST(BackupName, JoinsStampAndNoteWithOneSpace) {
    EXPECT_EQ(BackupNameFor("02月04日 02：41：31", "before patch"), "02月04日 02：41：31 before patch");
    EXPECT_EQ(BackupNameFor("02月04日 02：41：31", SanitizeNote("")), "02月04日 02：41：31 无备注");
    EXPECT_EQ(BackupNameFor("02月04日 02：41：31", "boss", 2), "02月04日 02：41：31 boss (2)");
    EXPECT_EQ(BackupNameFor("02月04日 02：41：31", "boss", 13), "02月04日 02：41：31 boss (13)");
}

TEST(BackupNote, IsMadeFitForOneFolderName) {
    struct Case {
        const char* typed;
        const char* note;
    } cases[] = {
        {"before patch", "before patch"},
        {"  leading blanks stay", "  leading blanks stay"},
        {"", "无备注"},
        {R"(a\b/c:d*e?f"g<h>i|j)", "a＼b／c：d＊e？f＂g＜h＞i｜j"},
        {"../..", "..／"}, // no parent step survives: the slash goes full width, trailing dots go
        {"tab\there\nnew\x7f"
         "line",
         "tabherenewline"},
        {"\xc2\x85next line", "next line"}, // C1 control U+0085
        {"ends with dots...", "ends with dots"},
        {"ends with blanks . . ", "ends with blanks"},
        {"...", "无备注"},
        {" \t ", "无备注"},
        {"中文备注。", "中文备注。"}, // the ideographic full stop is no dot
        {"bad \xff byte", "bad \xef\xbf\xbd byte"},
    };
    for (const Case& c : cases) EXPECT_EQ(SanitizeNote(c.typed), c.note) << "typed: " << c.typed;
}

TEST(BackupName, LongNotesAreCutToFitBothNameLimits) {
    const std::string stamp = "02月04日 02：41：31";
    struct Case {
        const char* what;
        std::string note;
        std::size_t widestCharacter; // in bytes, plus what a cut at dots and blanks may also drop
    } cases[] = {
        {"ASCII", std::string(300, 'a'), 1},
        {"CJK, three bytes each",
         [] {
             std::string s;
             for (int i = 0; i < 200; ++i) s += "存";
             return s;
         }(),
         3},
        {"astral characters, never split",
         [] {
             std::string s;
             for (int i = 0; i < 100; ++i) s += "😀"; // four UTF-8 bytes, two UTF-16 units
             return s;
         }(),
         4},
        {"a cut that exposes dots and blanks", std::string(220, 'a') + " . . . . . . . . . . . . . . . bbbbbb", 40},
    };
    for (const Case& c : cases) {
        for (int copy : {1, 2, 100}) {
            const std::string name = BackupNameFor(stamp, c.note, copy);
            SCOPED_TRACE(std::string(c.what) + ", copy " + std::to_string(copy));
            EXPECT_LE(name.size(), 255u);
            EXPECT_LE(Utf16Units(name), 255u);
            EXPECT_TRUE(app::IsValidUtf8(name));
            EXPECT_EQ(name.rfind(stamp + " ", 0), 0u);
            const std::string suffix = copy > 1 ? " (" + std::to_string(copy) + ")" : "";
            ASSERT_GE(name.size(), suffix.size());
            EXPECT_EQ(name.substr(name.size() - suffix.size()), suffix);
            const std::string note = name.substr(0, name.size() - suffix.size());
            EXPECT_NE(note.back(), '.');
            EXPECT_NE(note.back(), ' ');
            // Cut no shorter than needed: one more character of the note would not have fitted.
            EXPECT_GT(name.size() + c.widestCharacter, 255u);
        }
    }
}

TEST(BackupName, ShortNoteIsNeverCut) {
    const std::string note(255 - 24, 'x'); // stamp (23 bytes) + space + note = 255 bytes exactly
    EXPECT_EQ(BackupNameFor("02月04日 02：41：31", note).size(), 255u);
    EXPECT_EQ(BackupNameFor("02月04日 02：41：31", note + "y").size(), 255u);
}

} // namespace
