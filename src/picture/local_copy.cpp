#include "picture/local_copy.h"

#include "common/win32.h"

namespace kelpo {

namespace {

// Each level of `folders` below `base` in turn, made where it is missing. A
// level that cannot be made (a drive, a server's name) is passed over: the
// copy's own failure tells whether a folder was missing.
void MakeFolders(const std::wstring& base, std::wstring_view folders) {
  std::size_t end = 0;
  while (end < folders.size()) {
    end = folders.find_first_of(kLocalSeparators, end + 1);
    if (end == std::wstring_view::npos) end = folders.size();
    (void)::CreateDirectoryW((base + std::wstring(folders.substr(0, end))).c_str(), nullptr);
  }
}

// Written beside the target, then renamed over it.
constexpr wchar_t kPartSuffix[] = L".kelpo-part";

// The copy is written beside the target and takes its name in one step, so a
// program reading the local copy (a web server, a viewer) never sees half a
// picture. Where the name cannot be taken that way (a reader holds the file
// without sharing its deletion), the target is overwritten in place, as the
// last error of a failure tells.
bool WriteCopy(const std::wstring& picture, const std::wstring& target) {
  const std::wstring part = target + kPartSuffix;
  if (::CopyFileW(picture.c_str(), part.c_str(), FALSE)) {
    if (::MoveFileExW(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    (void)::DeleteFileW(part.c_str());
  }
  return ::CopyFileW(picture.c_str(), target.c_str(), FALSE) != FALSE;
}

}  // namespace

bool CopyPictureTo(const std::wstring& picture, const std::wstring& pattern, const NameTime& when,
                   bool everyFolder) {
  if (pattern.empty()) return false;
  FieldPath split = SplitAtFirstField(pattern, kLocalSeparators);
  if (everyFolder) split = {L"", split.fixed + split.fielded};
  const std::wstring made = ExpandNameFields(split.fielded, when);
  const std::wstring target = split.fixed + made;
  // The archive's limit removes a folder its last old picture leaves empty:
  // one taken from under the copy is made again once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    MakeFolders(split.fixed, FolderOf(made, kLocalSeparators));
    if (WriteCopy(picture, target)) return true;
    if (::GetLastError() != ERROR_PATH_NOT_FOUND || made.empty()) return false;
  }
  return false;
}

}  // namespace kelpo
