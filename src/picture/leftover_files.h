// Temporary pictures that outlived their run: WinInet may still hold the file
// of a stalled transfer when Kelpo ends (Wine keeps it until its wait for the
// server's reply is over). Such files are remembered under Kelpo's registry
// key and deleted by the next start, when nothing holds them any more.
#pragma once

#include <string>
#include <vector>

namespace kelpo {

// The registry key, under HKEY_CURRENT_USER, that lists them: one value per
// file, named by its path, holding its creation time.
constexpr wchar_t kLeftoverFilesKey[] = L"Software\\Marrowby\\Kelpo\\Leftovers";

// Remembers files that could not be deleted.
void RememberLeftoverFiles(const std::vector<std::wstring>& paths);

// Deletes the files remembered by earlier runs and forgets them; one that is
// still held (its run is still ending) stays remembered. A file that was
// replaced by another of the same name since is forgotten, not deleted.
void DeleteRememberedLeftoverFiles();

}  // namespace kelpo
