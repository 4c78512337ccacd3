#include "app/text.h"

#include <algorithm>
#include <array>

namespace app {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point starting at `i` and advances `i`; ill-formed input yields U+FFFD and consumes
// the maximal bad prefix (one byte at least), as Unicode recommends.
char32_t DecodeOne(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else {
        ++i;
        return kReplacement;
    }
    std::size_t k = i + 1;
    for (int n = 1; n < length; ++n, ++k) {
        if (k >= s.size()) {
            i = k;
            return kReplacement;
        }
        const unsigned char b = byte(k);
        const unsigned char min = n == 1 ? lo : 0x80;
        const unsigned char max = n == 1 ? hi : 0xBF;
        if (b < min || b > max) {
            i = k;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i = k;
    return cp;
}

void AppendUtf8(AppText& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::u16string ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = DecodeOne(text, i);
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

AppText FromUtf16(std::u16string_view text) {
    AppText out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement; // a lone surrogate has no UTF-8 form
        }
        AppendUtf8(out, cp);
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t start = i;
        if (DecodeOne(bytes, i) == kReplacement) {
            // U+FFFD itself, spelled correctly, is valid.
            if (i - start != 3 || bytes.substr(start, 3) != "\xEF\xBF\xBD") return false;
        }
    }
    return true;
}

std::filesystem::path ToPath(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

AppText FromPath(const std::filesystem::path& path) {
    const std::u8string u8 = path.u8string();
    return AppText(u8.begin(), u8.end());
}

AppText JoinPath(std::string_view folder, std::string_view name) {
    AppText out(folder);
    if (!out.empty() && out.back() != kPathSeparator) out.push_back(kPathSeparator);
    out.append(name);
    return out;
}

char16_t UpperCaseUnit(char16_t c) {
    // Blocks where lower and upper case sit at a fixed distance.
    if (c >= u'a' && c <= u'z') return c - 0x20;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20; // Latin-1
    if (c == 0xFF) return 0x178;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20; // Greek
    if (c == 0x3C2) return 0x3A3;                                 // final sigma
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;               // Cyrillic а-я
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;               // Cyrillic ѐ-џ
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;             // full-width ａ-ｚ
    if (c >= 0x24D0 && c <= 0x24E9) return c - 0x1A;             // circled ⓐ-ⓩ
    if (c >= 0x2170 && c <= 0x217F) return c - 0x10;             // small roman numerals
    // Latin Extended-A, Latin Extended Additional and Cyrillic pair each capital with the small letter
    // right after it.
    struct Range {
        char16_t first, last; // first is a capital
    };
    static constexpr std::array<Range, 11> kPairs{{{0x100, 0x12F},
                                                   {0x132, 0x137},
                                                   {0x139, 0x148},
                                                   {0x14A, 0x177},
                                                   {0x179, 0x17E},
                                                   {0x460, 0x481},
                                                   {0x48A, 0x4BF},
                                                   {0x4C1, 0x4CE},
                                                   {0x4D0, 0x52F},
                                                   {0x1E00, 0x1E95},
                                                   {0x1EA0, 0x1EFF}}};
    for (const Range& r : kPairs)
        if (c >= r.first && c <= r.last && ((c - r.first) & 1) == 1) return c - 1;
    if (c == 0x131) return u'I';
    return c;
}

int CompareNamesIgnoringCase(std::string_view a, std::string_view b) {
    const std::u16string ua = ToUtf16(a);
    const std::u16string ub = ToUtf16(b);
    const std::size_t n = std::min(ua.size(), ub.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = UpperCaseUnit(ua[i]);
        const char16_t y = UpperCaseUnit(ub[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (ua.size() == ub.size()) return 0;
    return ua.size() < ub.size() ? -1 : 1;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    const std::u16string ut = ToUtf16(text);
    const std::u16string up = ToUtf16(prefix);
    if (up.size() > ut.size()) return false;
    return std::equal(up.begin(), up.end(), ut.begin(),
                      [](char16_t x, char16_t y) { return UpperCaseUnit(x) == UpperCaseUnit(y); });
}

#if defined(_WIN32)
std::wstring ToWide(std::string_view text) {
    const std::u16string u16 = ToUtf16(text);
    return std::wstring(u16.begin(), u16.end());
}

AppText FromWide(std::wstring_view text) {
    return FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}
#endif

} // namespace app
