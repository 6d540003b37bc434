// The File Transfer tab: where and how each picture is delivered (protocol,
// server, port, account, remote path, the server's identity), the capture
// interval, start-at-logon and the local copy of each picture.
#pragma once

#include "common/transfer_protocol.h"
#include "ui/settings_page.h"

#include <string>

namespace kelpo {

// The fresh picture's names as the File Transfer page's controls hold them,
// applied or not: other pages ask with PSM_QUERYSIBLINGS, wParam
// kFreshNamesQuery and lParam the record, which holds the settings' values
// where the page has no window.
struct FreshPictureNames {
  bool localCopy = false;
  std::wstring localFile;
  bool uploading = false;
  std::wstring directory;
  std::wstring filename;
};
constexpr WPARAM kFreshNamesQuery = 0x4E41;  // "NA"

class FileTransferPage final : public SettingsPage {
 public:
  explicit FileTransferPage(SettingsSheetHost& host);

 private:
  void OnCreated() override;
  bool AcceptsInput() override;
  void OnApplied() override;
  void OnCommand(int controlId, int notification) override;
  bool OnSiblingQuery(WPARAM what, LPARAM answer) override;

  // The protocol the list shows.
  TransferProtocol ChosenProtocol() const;
  // Enables the controls the chosen protocol uses (within what "Disable
  // Upload" allows) and hints at its own port in the empty port field.
  void ApplyProtocolRules();
  // The stored host key, or the note that there is none; "Forget" blanks it.
  void ShowHostKey();
  // 0 stands for the protocol's own port, which the empty field shows.
  void ShowPort();

  // "Browse...": the Save As dialog for the local copy.
  void ChooseLocalFile();
  // "Open File": the shell opens the file the page shows.
  void OpenLocalFile();

  // "Forget" was pressed: the next apply clears the stored host key. The key
  // itself is never read back from the page, so one the upload learns while
  // the sheet is open survives an apply.
  bool forgetHostKey_ = false;
};

}  // namespace kelpo
