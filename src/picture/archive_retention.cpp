#include "picture/archive_retention.h"

#include "picture/archive_rules.h"
#include "picture/name_field_rules.h"

#include <vector>

namespace kelpo {

namespace {

// FILETIME counts 100-nanosecond steps.
constexpr std::int64_t kFileTimeStepsPerSecond = 10000000;

std::int64_t Seconds(const FILETIME& time) {
  const ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
  return static_cast<std::int64_t>(value.QuadPart / kFileTimeStepsPerSecond);
}

std::vector<std::wstring> Levels(const std::wstring& path) {
  std::vector<std::wstring> levels(1);
  for (wchar_t c : path) {
    if (kLocalSeparators.find(c) != std::wstring_view::npos) {
      levels.emplace_back();
    } else {
      levels.back() += c;
    }
  }
  return levels;
}

// Lists below `root` + `relative` what the pattern's levels from `level` on
// match: folders for every level but the last, files for the last.
void List(const std::wstring& root, const std::wstring& relative,
          const std::vector<std::wstring>& levels, std::size_t level,
          std::vector<ArchivedFile>& found) {
  WIN32_FIND_DATAW entry{};
  const std::wstring query = root + relative + L"*";
  const unique_hfind find(::FindFirstFileExW(query.c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr, 0));
  if (!find) return;
  const bool last = level + 1 == levels.size();
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L".." || !MatchesNameFields(levels[level], name)) continue;
    const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A linked folder may lead anywhere: the pass keeps to the archive's own.
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
    if (last && !folder) {
      const ULARGE_INTEGER size{{entry.nFileSizeLow, entry.nFileSizeHigh}};
      found.push_back({relative + name, Seconds(entry.ftLastWriteTime), size.QuadPart});
    } else if (!last && folder) {
      List(root, relative + name + L"\\", levels, level + 1, found);
    }
  } while (::FindNextFileW(find.get(), &entry));
}

}  // namespace

ArchiveRetention::ArchiveRetention() : work_(::CreateThreadpoolWork(&Work, this, nullptr)) {}

ArchiveRetention::~ArchiveRetention() {
  if (work_) ::WaitForThreadpoolWorkCallbacks(work_.get(), FALSE);
}

void ArchiveRetention::Start(const std::wstring& pattern, std::uint32_t keepDays,
                             std::uint32_t keepMegabytes) {
  // Without a work object there is no pass: the archive is kept, not limited.
  if (!work_ || (keepDays == 0 && keepMegabytes == 0) || !HasNameFields(pattern)) return;
  {
    const std::lock_guard<std::mutex> lock(requestMutex_);
    request_ = {pattern, keepDays, keepMegabytes};
  }
  ::SubmitThreadpoolWork(work_.get());
}

void CALLBACK ArchiveRetention::Work(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK) {
  auto& self = *static_cast<ArchiveRetention*>(context);
  try {
    Request request;
    {
      const std::lock_guard<std::mutex> lock(self.requestMutex_);
      request = self.request_;
    }
    (void)self.RunPass(request.pattern, request.keepDays, request.keepMegabytes);
  } catch (...) {
    // Out of memory listing a huge folder: the next pass tries again.
  }
}

std::size_t ArchiveRetention::RunPass(const std::wstring& pattern, std::uint32_t keepDays,
                                      std::uint32_t keepMegabytes) {
  const std::lock_guard<std::mutex> lock(passMutex_);
  const FieldPath split = SplitAtFirstField(pattern, kLocalSeparators);
  if (split.fielded.empty()) return 0;
  std::vector<ArchivedFile> found;
  List(split.fixed, L"", Levels(split.fielded), 0, found);
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  std::size_t deleted = 0;
  for (const std::wstring& path : ArchivedFilesToDelete(split.fielded, std::move(found),
                                                        Seconds(now), keepDays, keepMegabytes)) {
    if (!::DeleteFileW((split.fixed + path).c_str())) continue;
    ++deleted;
    // The folders a field made go with their last picture; one still holding
    // anything stays (RemoveDirectory takes only empty ones).
    for (std::size_t end = path.find_last_of(kLocalSeparators); end != std::wstring::npos;
         end = path.find_last_of(kLocalSeparators, end - 1)) {
      if (!::RemoveDirectoryW((split.fixed + path.substr(0, end)).c_str()) || end == 0) break;
    }
  }
  return deleted;
}

}  // namespace kelpo
