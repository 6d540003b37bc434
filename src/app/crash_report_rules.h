// Pure rules of the crash reports: their file names, and which old ones go so
// that the folder keeps only the newest few.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kelpo {

// How many reports the folder keeps at most, the one being written included.
constexpr std::size_t kCrashReportsKept = 5;

// A moment in UTC, as the system clock gives it.
struct CrashTime {
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "kelpo-YYYYMMDD-HHMMSS-<process id>.dmp": names sort in the order of their
// times.
std::wstring CrashReportName(const CrashTime& time, unsigned long processId);

// Of the names in the folder, the reports to delete so that `keep` of the
// newest remain. Names that are not Kelpo's reports are never chosen.
std::vector<std::wstring> CrashReportsToDelete(std::vector<std::wstring> names, std::size_t keep);

}  // namespace kelpo
