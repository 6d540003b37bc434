// Date and time fields in file and folder names, so that one setting names a
// picture per moment: %Y (four digits), %m %d %H %M %S (two digits each) and
// %% for a percent sign. They expand to digits only, so a name they make is
// one Windows and FTP servers accept whenever the typed rest is. Any other
// '%' stays as typed, so a name without fields means exactly what it says.
#pragma once

#include <string>
#include <string_view>

namespace kelpo {

// The calendar moment a picture was taken, in local time.
struct NameTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Separators of a local path and of a remote one.
inline constexpr std::wstring_view kLocalSeparators = L"\\/";
inline constexpr std::wstring_view kRemoteSeparators = L"/";

// Whether `name` holds a field (an unknown "%x" is not one).
bool HasNameFields(std::wstring_view name);

// `name` with every field replaced by its value at `when`.
std::wstring ExpandNameFields(std::wstring_view name, const NameTime& when);

// A path cut before its first level that holds a field: `fixed` is the part
// that names the same folder at every moment (with its trailing separator,
// or empty), `fielded` the folders and file the fields make. Without a field
// the whole path is fixed.
struct FieldPath {
  std::wstring fixed;
  std::wstring fielded;
};
FieldPath SplitAtFirstField(std::wstring_view path, std::wstring_view separators);

// The folder part of a path (up to its last separator, without it), and its
// last level.
std::wstring_view FolderOf(std::wstring_view path, std::wstring_view separators);
std::wstring_view LeafOf(std::wstring_view path, std::wstring_view separators);

// Whether `name` is what the one-level `pattern` expands to at some moment:
// each field stands for its number of digits, letters compare without case.
bool MatchesNameFields(std::wstring_view pattern, std::wstring_view name);

// The same for a path of several levels: as many levels, each matching.
bool MatchesFieldPath(std::wstring_view pattern, std::wstring_view path,
                      std::wstring_view separators);

// Where a remote name goes at `when`: the user's `directory` up to its first
// field (it must exist), the folders below it to enter or make ('/'-separated,
// none at either end: the fielded rest of the directory, then the folders of
// `name`), and the file's own name.
struct RemotePlace {
  std::wstring directory;
  std::wstring folders;
  std::wstring filename;
};
RemotePlace ExpandRemoteName(std::wstring_view directory, std::wstring_view name,
                             const NameTime& when);

}  // namespace kelpo
