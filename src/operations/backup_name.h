#pragma once
// How a backup folder is named: "<stamp> <note>", e.g. "02月04日 02：41：31 before patch", with " (2)",
// " (3)", ... after the note when that name is already taken.

#include <ctime>

#include "app/text.h"

namespace operations {

// Month, day, hour, minute and second of `time`, two digits each: "03月01日 09：05：07".
AppText MakeBackupStamp(const std::tm& time);

// The typed note made fit for a folder name: characters Windows forbids in names become their
// full-width forms, control characters go, trailing dots and blanks go. Empty afterwards: "无备注".
AppText SanitizeNote(const AppText& typed);

// stamp + " " + note, plus " (n)" when copyNumber > 1. The note (already sanitised) is shortened on a
// character boundary so that the whole name stays within 255 UTF-16 units and 255 UTF-8 bytes.
AppText BackupNameFor(const AppText& stamp, const AppText& note, int copyNumber = 1);

// Longest name, in either unit, that every file system we meet accepts for one folder.
inline constexpr std::size_t kMaxNameUnits = 255;

} // namespace operations
