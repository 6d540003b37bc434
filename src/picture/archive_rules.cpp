#include "picture/archive_rules.h"

#include "picture/name_field_rules.h"

#include <algorithm>

namespace kelpo {

bool ArchiveDue(std::optional<std::int64_t> lastArchived, std::int64_t now,
                std::uint32_t everyMinutes) {
  if (everyMinutes == 0 || !lastArchived || now < *lastArchived) return true;
  return now - *lastArchived + kArchiveEarlySeconds >= everyMinutes * kSecondsPerMinute;
}

std::vector<std::wstring> ArchivedFilesToDelete(std::wstring_view fieldedPattern,
                                                std::vector<ArchivedFile> files, std::int64_t now,
                                                std::uint32_t keepDays,
                                                std::uint32_t keepMegabytes) {
  files.erase(std::remove_if(files.begin(), files.end(),
                             [&](const ArchivedFile& file) {
                               return !MatchesFieldPath(fieldedPattern, file.path,
                                                        kLocalSeparators);
                             }),
              files.end());
  std::vector<std::wstring> doomed;
  if (files.size() < 2) return doomed;
  std::sort(files.begin(), files.end(), [](const ArchivedFile& a, const ArchivedFile& b) {
    return a.time != b.time ? a.time < b.time : a.path < b.path;
  });
  const bool clockTurnedBack = files.back().time > now;
  const std::int64_t oldestKept = now - static_cast<std::int64_t>(keepDays) * kSecondsPerDay;
  std::uint64_t total = 0;
  for (const ArchivedFile& file : files) total += file.bytes;
  const std::uint64_t sizeLimit = keepMegabytes * kBytesPerMegabyte;
  // The newest stays whatever the limits say.
  for (std::size_t i = 0; i + 1 < files.size(); ++i) {
    const bool tooOld = keepDays != 0 && files[i].time < oldestKept;
    const bool tooMuch = keepMegabytes != 0 && !clockTurnedBack && total > sizeLimit;
    if (!tooOld && !tooMuch) break;
    doomed.push_back(files[i].path);
    total -= files[i].bytes;
  }
  return doomed;
}

}  // namespace kelpo
