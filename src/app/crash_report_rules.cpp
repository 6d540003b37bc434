#include "app/crash_report_rules.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace kelpo {

namespace {

constexpr wchar_t kPrefix[] = L"kelpo-";
constexpr wchar_t kSuffix[] = L".dmp";
// "kelpo-" + "YYYYMMDD-HHMMSS-" + at least one digit + ".dmp"
constexpr std::size_t kStampLength = 16;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsCrashReportName(const std::wstring& name) {
  const std::wstring prefix = kPrefix;
  const std::wstring suffix = kSuffix;
  if (name.size() < prefix.size() + kStampLength + 1 + suffix.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size() - suffix.size(); ++i) {
    const std::size_t at = i - prefix.size();
    const bool dash = at == 8 || at == 15;
    if (dash ? name[i] != L'-' : !IsDigit(name[i])) return false;
  }
  return true;
}

}  // namespace

std::wstring CrashReportName(const CrashTime& time, unsigned long processId) {
  wchar_t name[64] = {};
  (void)std::swprintf(name, std::size(name), L"%ls%04u%02u%02u-%02u%02u%02u-%lu%ls", kPrefix,
                      time.year, time.month, time.day, time.hour, time.minute, time.second,
                      processId, kSuffix);
  return name;
}

std::vector<std::wstring> CrashReportsToDelete(std::vector<std::wstring> names, std::size_t keep) {
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::wstring& name) { return !IsCrashReportName(name); }),
              names.end());
  if (names.size() <= keep) return {};
  // The time stamp comes first, so the oldest sort first.
  std::sort(names.begin(), names.end());
  names.resize(names.size() - keep);
  return names;
}

}  // namespace kelpo
