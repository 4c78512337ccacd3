#pragma once
// config.ini access: reading one value the way the platform's profile-string functions do, and writing
// a new file. The rules work on text; the file routines add decoding and the disk.

#include <cstddef>
#include <string>
#include <string_view>

#include "app/text.h"

namespace locations::ini {

// The longest value a read returns, in bytes.
inline constexpr std::size_t kMaxValueBytes = 10239;

// A whole file's bytes as UTF-8: UTF-8 with or without a byte-order mark, UTF-16 with one, and
// anything else as the legacy Chinese code page.
AppText DecodeFileBytes(std::string_view bytes);

// The value of `key` in `section` of an INI text; empty when either is missing.
AppText FindValue(std::string_view text, std::string_view section, std::string_view key);

// The bytes of a new file that holds one section with one key.
std::string NewFileBytes(std::string_view section, std::string_view key, std::string_view value);

// True when something (a file or a folder) is at `path`.
bool Exists(const AppText& path);

// The whole content of a regular file; empty when there is none or it cannot be read.
std::string ReadFileBytes(const AppText& path);

// FindValue over the file at `path`; empty when it cannot be read.
AppText ReadValue(const AppText& path, std::string_view section, std::string_view key);

// Writes a new file with one section and one key. Never replaces an existing file; false when nothing
// was written.
bool CreateNewFile(const AppText& path, std::string_view section, std::string_view key, std::string_view value);

} // namespace locations::ini
