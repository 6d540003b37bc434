// The names of one picture and its archive: the moment the picture is taken
// fixes what the date and time fields of every name say, and whether this
// picture goes to the archive. The cycle asks it for the local copies and the
// upload jobs; the local archive's limit runs beside it.
#pragma once

#include "picture/archive_retention.h"
#include "picture/name_field_rules.h"
#include "upload/uploader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelpo {

struct Settings;

class PictureArchive {
 public:
  explicit PictureArchive(const Settings& settings);

  // A limit pass over the local archive as the settings now name it.
  void StartLimit();

  // The picture is taken now.
  void BeginPicture();

  struct LocalCopies {
    bool written = false;  // every copy wanted was
    // What became of the archive copy: none wanted, saved, failed.
    int archiveStatus = 0;
  };
  // The picture is made: its local copy (savetofile is on) and, when due,
  // its archive copy; the archive's limit pass follows an archived picture.
  LocalCopies SaveLocalCopies(const std::wstring& picture);

  // Aims an upload job at the fresh picture's remote name.
  void AimFresh(UploadJob& job) const;
  // Aims the job at the archive's remote name when this picture goes there.
  bool AimArchive(UploadJob& job) const;

 private:
  const Settings& settings_;
  NameTime moment_{};
  std::int64_t momentSeconds_ = 0;
  bool due_ = false;
  // In memory only: a new run archives its first picture.
  std::optional<std::int64_t> lastArchived_;
  ArchiveRetention retention_;
};

}  // namespace kelpo
