// Pure rules of the Archive page: which names it accepts, the remote path it
// shows, and the name a folder chosen with "Browse..." gives the local archive.
#pragma once

#include <string>
#include <string_view>

namespace kelpo {

// What the local archive's name becomes when a folder is chosen for a name
// without fields: one picture a second, in a folder per day.
inline constexpr wchar_t kDefaultArchiveFields[] = L"%Y\\%m\\%d\\%H%M%S.jpg";

// A full local path: a drive's root ("C:\") or a share ("\\server\share"),
// and no character Windows refuses in a name (< > : " | ? * and controls)
// after it. Anything else would depend on the folder Kelpo happens to start
// in, or fail at every picture.
bool IsFullLocalPath(std::wstring_view name);

// Whether a remote archive name stays under the remote directory: it holds no
// ".." folder (a leading slash still means the directory itself).
bool StaysUnderDirectory(std::wstring_view name);

// The path an upload of `name` reaches within `directory`, as the user reads it.
// Slashes before the name add nothing to it.
std::wstring RemotePathOf(std::wstring_view directory, std::wstring_view name);

// The local archive in `folder`: the current name's levels from the first
// that holds a field on, or kDefaultArchiveFields when it has none.
std::wstring ArchiveInFolder(std::wstring_view folder, std::wstring_view current);

// The folder part of a name before its first field (the one "Browse..."
// starts in); the folder of the name when it has no field.
std::wstring FixedFolderOf(std::wstring_view name);

}  // namespace kelpo
