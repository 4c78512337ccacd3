#include "operations/backup_name.h"

#include <cstdio>
#include <string>

#include "operations/messages.h"

namespace operations {
namespace {

// One Unicode character of a UTF-16 text.
struct CodePoint {
    char32_t value;
    std::size_t units; // UTF-16 units it takes
};

std::size_t Utf8Bytes(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

std::u32string Decode(const AppText& text) {
    // ToUtf16 turns ill-formed bytes into U+FFFD, so what comes out is always a valid sequence.
    const std::u16string wide = app::ToUtf16(text);
    std::u32string out;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(wide[i + 1]) - 0xDC00));
            ++i;
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

AppText Encode(const std::u32string& text) {
    std::u16string wide;
    for (const char32_t c : text) {
        if (c >= 0x10000) {
            wide.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            wide.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(char16_t(c));
        }
    }
    return app::FromUtf16(wide);
}

// Windows removes trailing dots and spaces from a name when it creates the folder, so a note ending in
// them would be listed under a name that no longer matches the one we built.
void DropTrailingDotsAndBlanks(std::u32string& text) {
    while (!text.empty() && (text.back() == U'.' || text.back() == U' ')) text.pop_back();
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// The characters Windows refuses in a name, each replaced by its full-width twin (U+FF01 block), which
// reads the same and is allowed everywhere.
char32_t FullWidthFor(char32_t c) {
    switch (c) {
    case U'\\':
        return U'＼';
    case U'/':
        return U'／';
    case U':':
        return U'：';
    case U'*':
        return U'＊';
    case U'?':
        return U'？';
    case U'"':
        return U'＂';
    case U'<':
        return U'＜';
    case U'>':
        return U'＞';
    case U'|':
        return U'｜';
    default:
        return c;
    }
}

struct Size {
    std::size_t utf16 = 0;
    std::size_t utf8 = 0;
};

Size SizeOf(const std::u32string& text) {
    Size size;
    for (const char32_t c : text) {
        size.utf16 += c >= 0x10000 ? 2 : 1;
        size.utf8 += Utf8Bytes(c);
    }
    return size;
}

} // namespace

AppText MakeBackupStamp(const std::tm& time) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d月%02d日 %02d：%02d：%02d", time.tm_mon + 1, time.tm_mday, time.tm_hour,
                  time.tm_min, time.tm_sec);
    return stamp;
}

AppText SanitizeNote(const AppText& typed) {
    std::u32string note;
    for (const char32_t c : Decode(typed)) {
        if (!IsControl(c)) note.push_back(FullWidthFor(c));
    }
    DropTrailingDotsAndBlanks(note);
    return note.empty() ? AppText(messages::kDefaultNote) : Encode(note);
}

AppText BackupNameFor(const AppText& stamp, const AppText& note, int copyNumber) {
    const AppText suffix = copyNumber > 1 ? " (" + std::to_string(copyNumber) + ")" : AppText();
    const Size fixed = SizeOf(Decode(stamp + " " + suffix));
    std::u32string shortened = Decode(note);
    Size size = SizeOf(shortened);
    bool cut = false;
    while (!shortened.empty() && (fixed.utf16 + size.utf16 > kMaxNameUnits || fixed.utf8 + size.utf8 > kMaxNameUnits)) {
        const char32_t last = shortened.back();
        size.utf16 -= last >= 0x10000 ? 2 : 1;
        size.utf8 -= Utf8Bytes(last);
        shortened.pop_back();
        cut = true;
    }
    // A cut can expose a dot or blank that was inside the note; the name must still end cleanly.
    if (cut) DropTrailingDotsAndBlanks(shortened);
    if (shortened.empty()) shortened = Decode(messages::kDefaultNote);
    return stamp + " " + Encode(shortened) + suffix;
}

} // namespace operations
