#include "ui/file_transfer_page.h"

#include "resources/resource.h"
#include "ui/common_dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

namespace kelpo {

namespace {

constexpr int kTimeUnitCount = 3;  // seconds, minutes, hours
constexpr int kIntervalMin = 1;
constexpr int kIntervalMax = 999;

constexpr wchar_t kLocalFileFilter[] =
    L"JPEG Images\0*.jpg;*.jpe;*.jpeg;*.jif\0"
    L"All Files\0*.*\0";
constexpr wchar_t kJpegExtension[] = L"jpg";

}  // namespace

FileTransferPage::FileTransferPage(SettingsSheetHost& host)
    : SettingsPage(host, FileTransferLayout()) {}

void FileTransferPage::OnCreated() {
  FillList(IDC_TIME_UNIT, IDS_SECONDS, kTimeUnitCount);
  (void)::SendDlgItemMessageW(window(), IDC_TIME_VALUE_SPIN, UDM_SETRANGE32, kIntervalMin,
                              kIntervalMax);
  ShowBindings();
  ApplyEnableRules();
}

void FileTransferPage::OnCommand(int controlId, int notification) {
  if (notification != BN_CLICKED) return;
  if (controlId == IDC_LOCAL_FILE_BROWSE) ChooseLocalFile();
  if (controlId == IDC_LOCAL_FILE_OPEN) OpenLocalFile();
}

void FileTransferPage::ChooseLocalFile() {
  FileDialogOptions options;
  options.filter = kLocalFileFilter;
  options.defaultExtension = kJpegExtension;
  options.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  const std::optional<std::wstring> chosen =
      AskForFile(window(), FileDialogKind::kSave, ControlText(IDC_LOCAL_FILE), options);
  if (!chosen) return;
  SetControlText(IDC_LOCAL_FILE, *chosen);
  MarkChanged();
}

void FileTransferPage::OpenLocalFile() {
  const std::wstring file = ControlText(IDC_LOCAL_FILE);
  if (file.empty()) return;
  // No message of the shell's own: a file that cannot be opened is no error of Kelpo's.
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof(execute);
  execute.fMask = SEE_MASK_FLAG_NO_UI;
  execute.hwnd = window();
  execute.lpFile = file.c_str();
  execute.nShow = SW_SHOWNORMAL;
  (void)::ShellExecuteExW(&execute);
}

void FileTransferPage::OnApplied() {
  ReadBindings();
  // A local copy needs a file to go to: without one the box is cleared, and
  // shown cleared, rather than kept on for copies that could never be made.
  if (settings().savetofile && settings().localfilename.empty()) {
    settings().savetofile = false;
    (void)::CheckDlgButton(window(), IDC_SAVE_TO_FILE, BST_UNCHECKED);
    ApplyEnableRules();
  }
  SaveGroup();
  // The new interval counts from now.
  host().RestartCaptureTimer();
  CancelToClose();
}

}  // namespace kelpo
