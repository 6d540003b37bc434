#include "ui/archive_page.h"

#include "common/message_catalogue.h"
#include "picture/name_field_rules.h"
#include "resources/resource.h"
#include "ui/archive_page_rules.h"
#include "ui/common_dialogs.h"
#include "ui/file_transfer_page.h"

#include <prsht.h>

namespace kelpo {

namespace {

// The examples follow the clock, so a name with seconds shows them passing.
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockPeriodMs = 1000;

// The name as a picture taken at this moment would have it.
std::wstring ExpandedNow(const std::wstring& name) {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return ExpandNameFields(name,
                          {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

// What a name makes now; with the delivery it belongs to turned off, why it
// makes nothing.
std::wstring Example(bool used, const std::wstring& name, int offText) {
  if (name.empty()) return LoadText(IDS_EXAMPLE_NONE, kListLabelCapacity);
  if (!used) return LoadText(offText, kListLabelCapacity);
  return LoadTextWith(IDS_EXAMPLE_NAME, kStatusTextCapacity, name);
}

}  // namespace

ArchivePage::ArchivePage(SettingsSheetHost& host) : SettingsPage(host, ArchiveLayout()) {}

void ArchivePage::OnCreated() {
  ShowBindings();
  // Without the timer the examples still follow every edit.
  (void)::SetTimer(window(), kClockTimer, kClockPeriodMs, nullptr);
}

void ArchivePage::OnTimer(UINT_PTR timerId) {
  // Only the page in front shows its examples.
  if (timerId == kClockTimer && ::IsWindowVisible(window())) ShowExamples();
}

void ArchivePage::OnDestroyed() { (void)::KillTimer(window(), kClockTimer); }

// Shown at creation too, and again after the File Transfer tab may have changed.
void ArchivePage::OnShown() { ShowExamples(); }

void ArchivePage::OnCommand(int controlId, int notification) {
  if ((controlId == IDC_ARCHIVE_LOCAL || controlId == IDC_ARCHIVE_REMOTE) &&
      notification == EN_CHANGE) {
    ShowExamples();
  }
  if (controlId == IDC_ARCHIVE_BROWSE && notification == BN_CLICKED) ChooseFolder();
}

void ArchivePage::ShowExamples() {
  // The settings' names, replaced by the File Transfer page's controls as
  // they stand when its window exists.
  FreshPictureNames names{settings().savetofile, settings().localfilename, !settings().disableFTP,
                          settings().directory, settings().filename};
  (void)::SendMessageW(::GetParent(window()), PSM_QUERYSIBLINGS, kFreshNamesQuery,
                       reinterpret_cast<LPARAM>(&names));
  const std::wstring directory = ExpandedNow(names.directory);
  const auto remote = [&](const std::wstring& name) {
    return name.empty() ? name : RemotePathOf(directory, ExpandedNow(name));
  };
  // Rewritten only when changed: the clock asks every second.
  const auto show = [this](int id, const std::wstring& text) {
    if (ControlText(id) != text) SetControlText(id, text);
  };
  // The local archive goes with the local copy, the remote one with the upload.
  const std::wstring local = ExpandedNow(ControlText(IDC_ARCHIVE_LOCAL));
  const std::wstring fresh = ExpandedNow(names.localFile);
  show(IDC_ARCHIVE_LOCAL_EXAMPLE, Example(names.localCopy, local, IDS_EXAMPLE_NO_COPY));
  show(IDC_FRESH_LOCAL_EXAMPLE, Example(names.localCopy, fresh, IDS_EXAMPLE_NO_COPY));
  show(IDC_ARCHIVE_REMOTE_EXAMPLE,
       Example(names.uploading, remote(ControlText(IDC_ARCHIVE_REMOTE)), IDS_EXAMPLE_NO_UPLOAD));
  show(IDC_FRESH_REMOTE_EXAMPLE,
       Example(names.uploading, remote(names.filename), IDS_EXAMPLE_NO_UPLOAD));
}

void ArchivePage::ChooseFolder() {
  const std::wstring current = ControlText(IDC_ARCHIVE_LOCAL);
  const std::wstring title = LoadText(IDS_ARCHIVE_FOLDER_TITLE, kListLabelCapacity);
  const std::optional<std::wstring> folder = AskForFolder(window(), title, FixedFolderOf(current));
  if (!folder) return;
  // Written by the page, the name raised no edit of its own.
  SetControlText(IDC_ARCHIVE_LOCAL, ArchiveInFolder(*folder, current));
  ShowExamples();
  MarkChanged();
}

bool ArchivePage::AcceptsInput() {
  const std::wstring local = ControlText(IDC_ARCHIVE_LOCAL);
  if (!local.empty() && !IsFullLocalPath(local)) {
    Refuse(kMsgArchiveLocalNotFull, IDC_ARCHIVE_LOCAL);
    return false;
  }
  if (!StaysUnderDirectory(ControlText(IDC_ARCHIVE_REMOTE))) {
    Refuse(kMsgArchiveRemoteOutside, IDC_ARCHIVE_REMOTE);
    return false;
  }
  return true;
}

void ArchivePage::Refuse(int messageId, int controlId) {
  const std::wstring text = LoadText(messageId, kErrorTextCapacity);
  const std::wstring caption = LoadText(kMsgProductName, kErrorTextCapacity);
  (void)::MessageBoxW(::GetParent(window()), text.c_str(), caption.c_str(), MB_ICONWARNING);
  (void)::SendMessageW(window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(controlId)), TRUE);
}

void ArchivePage::OnApplied() {
  ReadBindings();
  SaveGroup();
  ShowExamples();
  CancelToClose();
}

}  // namespace kelpo
