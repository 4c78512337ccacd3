#pragma once
// Text as the program holds it: UTF-8 in a std::string. Conversions happen only where text meets the
// platform: std::filesystem paths, and on Windows the UTF-16 of the W functions.

#include <filesystem>
#include <string>
#include <string_view>

using AppText = std::string;

namespace app {

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Ill-formed UTF-8 becomes U+FFFD rather than being dropped, so a bad byte never merges two names.
std::u16string ToUtf16(std::string_view text);
AppText FromUtf16(std::u16string_view text);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

std::filesystem::path ToPath(std::string_view text);
AppText FromPath(const std::filesystem::path& path);

// Joins a folder path and a name with exactly one separator between them.
AppText JoinPath(std::string_view folder, std::string_view name);

// The upper-case form of one UTF-16 code unit, as NTFS upper-cases names for its index: simple
// one-to-one mappings only, so lengths never change.
char16_t UpperCaseUnit(char16_t unit);

// Orders two names the way NTFS keeps a directory: code unit by code unit after upper-casing.
int CompareNamesIgnoringCase(std::string_view a, std::string_view b);

// Whether `text` begins with `prefix`, letter case ignored (same folding as CompareNamesIgnoringCase).
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

#if defined(_WIN32)
std::wstring ToWide(std::string_view text);
AppText FromWide(std::wstring_view text);
#endif

} // namespace app
