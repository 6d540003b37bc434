#include "app/picture_archive.h"

#include "common/message_catalogue.h"
#include "picture/archive_rules.h"
#include "picture/local_copy.h"
#include "settings/settings.h"

namespace kelpo {

namespace {

constexpr std::int64_t kFileTimeStepsPerSecond = 10000000;

}  // namespace

PictureArchive::PictureArchive(const Settings& settings) : settings_(settings) {}

void PictureArchive::StartLimit() {
  if (!settings_.savetofile) return;
  retention_.Start(settings_.archivelocal, settings_.archivekeepdays, settings_.archivekeepmb);
}

void PictureArchive::BeginPicture() {
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  moment_ = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const ULARGE_INTEGER steps{{now.dwLowDateTime, now.dwHighDateTime}};
  momentSeconds_ = static_cast<std::int64_t>(steps.QuadPart / kFileTimeStepsPerSecond);
  // Decided once, so that both archives hold the same pictures.
  due_ = ArchiveDue(lastArchived_, momentSeconds_, settings_.archiveminutes);
}

PictureArchive::LocalCopies PictureArchive::SaveLocalCopies(const std::wstring& picture) {
  // The picture is made: only now does it take the interval's turn.
  const bool archiveWanted = (settings_.savetofile && !settings_.archivelocal.empty()) ||
                             (!settings_.disableFTP && !settings_.archiveremote.empty());
  if (due_ && archiveWanted) lastArchived_ = momentSeconds_;
  LocalCopies copies;
  if (!settings_.savetofile) return copies;
  copies.written = CopyPictureTo(picture, settings_.localfilename, moment_, false);
  if (settings_.archivelocal.empty() || !due_) return copies;
  const bool archived = CopyPictureTo(picture, settings_.archivelocal, moment_, true);
  copies.archiveStatus = archived ? kMsgArchiveSaved : kMsgArchiveSaveFailed;
  copies.written = copies.written && archived;
  if (archived) StartLimit();
  return copies;
}

void PictureArchive::AimFresh(UploadJob& job) const {
  const RemotePlace target = ExpandRemoteName(settings_.directory, settings_.filename, moment_);
  job.directory = target.directory;
  job.createFolders = target.folders;
  job.filename = target.filename;
}

bool PictureArchive::AimArchive(UploadJob& job) const {
  if (settings_.archiveremote.empty() || !due_) return false;
  const RemotePlace target =
      ExpandRemoteName(settings_.directory, settings_.archiveremote, moment_);
  job.directory = target.directory;
  job.createFolders = target.folders;
  job.filename = target.filename;
  return true;
}

}  // namespace kelpo
