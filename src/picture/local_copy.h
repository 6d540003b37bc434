// A copy of the finished picture under a local name that may hold date and
// time fields (picture/name_field_rules.h).
#pragma once

#include "picture/name_field_rules.h"

#include <string>

namespace kelpo {

// Copies `picture` to `pattern` expanded at `when`, first making the folders
// its fields make, or with `everyFolder` every folder of it that is missing
// (otherwise the part before the first field must exist, as for a name
// without fields). False when the copy could not be written.
bool CopyPictureTo(const std::wstring& picture, const std::wstring& pattern, const NameTime& when,
                   bool everyFolder);

}  // namespace kelpo
