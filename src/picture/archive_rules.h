// When a picture goes to the archive, and which archived pictures the local
// limit removes. Times are seconds on the wall clock (any one epoch).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelpo {

constexpr std::int64_t kSecondsPerMinute = 60;
constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;
constexpr std::uint64_t kBytesPerMegabyte = 1024 * 1024;
// Timers drift by a moment: a picture this much early still counts as due, so
// a picture a minute with an archived one a minute keeps every one.
constexpr std::int64_t kArchiveEarlySeconds = 5;

// Whether the picture taken `now` is archived, given when the last one was
// (none yet: it is) and `archiveminutes` (0: every picture). A last time
// after now means the clock was turned back: archiving goes on at once
// rather than waiting for the clock to catch up.
bool ArchiveDue(std::optional<std::int64_t> lastArchived, std::int64_t now,
                std::uint32_t everyMinutes);

// A file found in the archive's folders: its path below the archive's fixed
// folder, its last-write time and size.
struct ArchivedFile {
  std::wstring path;
  std::int64_t time = 0;
  std::uint64_t bytes = 0;
};

// The paths to delete so that at most `keepDays` days (counted back from now)
// and `keepMegabytes` remain, oldest first; 0 is no limit. Only files whose
// path matches the archive's `fieldedPattern` (picture/name_field_rules.h)
// count or go, and the newest of them always stays. A file dated after now
// means the clock was turned back, and the dates no longer tell old from
// new: such a file is never too old, and the size limit waits until the
// clock has passed it, so the newer pictures dated earlier are not taken.
std::vector<std::wstring> ArchivedFilesToDelete(std::wstring_view fieldedPattern,
                                                std::vector<ArchivedFile> files, std::int64_t now,
                                                std::uint32_t keepDays,
                                                std::uint32_t keepMegabytes);

}  // namespace kelpo
