#include "ui/file_transfer_page.h"

#include "common/message_catalogue.h"
#include "resources/resource.h"
#include "ui/common_dialogs.h"
#include "ui/file_transfer_rules.h"

#include <commctrl.h>
#include <shellapi.h>

namespace kelpo {

namespace {

constexpr int kTimeUnitCount = 3;  // seconds, minutes, hours
constexpr int kProtocolCount = static_cast<int>(kLastTransferProtocol) + 1;
// Enough for a whole fingerprint with a colon between every two digits.
constexpr int kCertPinFieldLength = 128;
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
  FillList(IDC_PROTOCOL, IDS_PROTOCOL_FTP, kProtocolCount);
  (void)::SendDlgItemMessageW(window(), IDC_TIME_VALUE_SPIN, UDM_SETRANGE32, kIntervalMin,
                              kIntervalMax);
  ShowBindings();
  (void)::SendDlgItemMessageW(window(), IDC_CERT_PIN, EM_SETLIMITTEXT, kCertPinFieldLength, 0);
  ShowPort();
  ShowHostKey();
  ApplyEnableRules();
  ApplyProtocolRules();
}

void FileTransferPage::OnCommand(int controlId, int notification) {
  if (controlId == IDC_PROTOCOL && notification == CBN_SELCHANGE) ApplyProtocolRules();
  if (notification != BN_CLICKED) return;
  // Every click has just brought the check boxes' rules back in force.
  ApplyProtocolRules();
  if (controlId == IDC_FORGET_HOST_KEY) {
    forgetHostKey_ = true;
    ShowHostKey();
    // The button goes grey now; the focus stays with the key it cleared.
    ApplyProtocolRules();
    (void)::SendMessageW(window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_HOST_KEY)),
                         TRUE);
    MarkChanged();
  }
  if (controlId == IDC_LOCAL_FILE_BROWSE) ChooseLocalFile();
  if (controlId == IDC_LOCAL_FILE_OPEN) OpenLocalFile();
}

bool FileTransferPage::OnSiblingQuery(WPARAM what, LPARAM answer) {
  if (what != kFreshNamesQuery || answer == 0) return false;
  auto& names = *reinterpret_cast<FreshPictureNames*>(answer);
  names.localCopy = Checked(IDC_SAVE_TO_FILE);
  names.localFile = ControlText(IDC_LOCAL_FILE);
  names.uploading = !Checked(IDC_DISABLE_FTP);
  names.directory = ControlText(IDC_FTP_DIRECTORY);
  names.filename = ControlText(IDC_FTP_FILENAME);
  return true;
}

TransferProtocol FileTransferPage::ChosenProtocol() const {
  const LRESULT selection = ::SendDlgItemMessageW(window(), IDC_PROTOCOL, CB_GETCURSEL, 0, 0);
  return TransferProtocolOf(selection < 0 ? 0 : static_cast<std::uint32_t>(selection));
}

void FileTransferPage::ApplyProtocolRules() {
  const TransferProtocol protocol = ChosenProtocol();
  const bool uploading = !Checked(IDC_DISABLE_FTP);
  const auto enable = [this](int id, bool on) { (void)::EnableWindow(Control(id), on); };
  // Kept, not cleared, for a protocol that has no use for it.
  enable(IDC_PASSIVE_FTP, uploading && UsesPassiveMode(protocol));
  const bool hostKey = uploading && UsesHostKey(protocol);
  enable(IDC_HOST_KEY_LABEL, hostKey);
  enable(IDC_HOST_KEY, hostKey);
  enable(IDC_FORGET_HOST_KEY, hostKey && !forgetHostKey_ && !settings().hostkey.empty());
  const bool certPin = uploading && UsesCertificatePin(protocol);
  enable(IDC_CERT_PIN_LABEL, certPin);
  enable(IDC_CERT_PIN, certPin);
  const std::wstring ownPort = std::to_wstring(TransferPort(protocol, 0));
  (void)::SendDlgItemMessageW(window(), IDC_PORT, EM_SETCUEBANNER, TRUE,
                              reinterpret_cast<LPARAM>(ownPort.c_str()));
}

void FileTransferPage::ShowHostKey() {
  const bool none = forgetHostKey_ || settings().hostkey.empty();
  SetControlText(IDC_HOST_KEY,
                 none ? LoadText(kMsgNoHostKey, kListLabelCapacity) : settings().hostkey);
}

void FileTransferPage::ShowPort() {
  if (settings().port == 0) SetControlText(IDC_PORT, L"");
}

bool FileTransferPage::AcceptsInput() {
  // A pin the protocol does not use is not asked for: bad text there keeps the stored pin.
  const bool used = ::IsWindowEnabled(Control(IDC_CERT_PIN)) != FALSE;
  if (!used || CertPinFromText(ControlText(IDC_CERT_PIN))) return true;
  const std::wstring text = LoadText(kMsgCertPinInvalid, kErrorTextCapacity);
  const std::wstring caption = LoadText(kMsgProductName, kErrorTextCapacity);
  (void)::MessageBoxW(::GetParent(window()), text.c_str(), caption.c_str(), MB_ICONWARNING);
  // WM_NEXTDLGCTL moves the focus as the dialog manager does, text selected.
  (void)::SendMessageW(window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_CERT_PIN)),
                       TRUE);
  return false;
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
  // The sheet has asked AcceptsInput first; nothing valid keeps the stored pin.
  const std::optional<std::wstring> pin = CertPinFromText(ControlText(IDC_CERT_PIN));
  const std::wstring storedPin = settings().certpin;
  ReadBindings();
  settings().certpin = pin.value_or(storedPin);
  SetControlText(IDC_CERT_PIN, settings().certpin);
  ShowPort();
  if (forgetHostKey_) settings().hostkey.clear();
  forgetHostKey_ = false;
  ShowHostKey();
  // A local copy needs a file to go to: without one the box is cleared, and
  // shown cleared, rather than kept on for copies that could never be made.
  if (settings().savetofile && settings().localfilename.empty()) {
    settings().savetofile = false;
    (void)::CheckDlgButton(window(), IDC_SAVE_TO_FILE, BST_UNCHECKED);
    ApplyEnableRules();
  }
  ApplyProtocolRules();
  SaveGroup();
  // The new interval counts from now.
  host().RestartCaptureTimer();
  CancelToClose();
}

}  // namespace kelpo
