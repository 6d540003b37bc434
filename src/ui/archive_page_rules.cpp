#include "ui/archive_page_rules.h"

#include "picture/name_field_rules.h"

namespace kelpo {

namespace {

constexpr bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

constexpr bool IsDriveLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// A character no file or folder name may hold.
constexpr bool IsRefused(wchar_t c) {
  return c < L' ' || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos;
}

}  // namespace

bool IsFullLocalPath(std::wstring_view name) {
  const bool drive =
      name.size() >= 3 && IsDriveLetter(name[0]) && name[1] == L':' && IsSeparator(name[2]);
  for (std::size_t i = drive ? 2 : 0; i < name.size(); ++i) {
    if (IsRefused(name[i])) return false;
  }
  if (drive) return true;
  // A share needs its server's name and its own after the two backslashes.
  if (name.size() < 5 || !IsSeparator(name[0]) || !IsSeparator(name[1])) return false;
  const std::size_t share = name.find_first_of(L"\\/", 2);
  return share != std::wstring_view::npos && share > 2 && share + 1 < name.size();
}

bool StaysUnderDirectory(std::wstring_view name) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of(L"\\/", start);
    if (end == std::wstring_view::npos) end = name.size();
    if (name.substr(start, end - start) == L"..") return false;
    start = end + 1;
  }
  return true;
}

std::wstring RemotePathOf(std::wstring_view directory, std::wstring_view name) {
  const bool rooted = !directory.empty() && IsSeparator(directory.front());
  while (!directory.empty() && IsSeparator(directory.back())) directory.remove_suffix(1);
  std::wstring path(directory);
  if (!path.empty() || rooted) path += L'/';
  while (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
  path += name;
  return path;
}

std::wstring ArchiveInFolder(std::wstring_view folder, std::wstring_view current) {
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.remove_suffix(1);
  const FieldPath split = SplitAtFirstField(current, kLocalSeparators);
  std::wstring name(folder);
  if (name.empty() || !IsSeparator(name.back())) name += L'\\';
  name += split.fielded.empty() ? std::wstring_view(kDefaultArchiveFields) : split.fielded;
  return name;
}

std::wstring FixedFolderOf(std::wstring_view name) {
  const FieldPath split = SplitAtFirstField(name, kLocalSeparators);
  std::wstring folder(split.fielded.empty() ? FolderOf(name, kLocalSeparators)
                                            : FolderOf(split.fixed, kLocalSeparators));
  // "C:" alone is the drive's current folder, not its root.
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

}  // namespace kelpo
