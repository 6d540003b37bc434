// The File Transfer tab: the FTP destination, the capture interval,
// start-at-logon and the local copy of each picture.
#pragma once

#include "ui/settings_page.h"

namespace kelpo {

class FileTransferPage final : public SettingsPage {
 public:
  explicit FileTransferPage(SettingsSheetHost& host);

 private:
  void OnCreated() override;
  void OnApplied() override;
  void OnCommand(int controlId, int notification) override;

  // "Browse...": the Save As dialog for the local copy.
  void ChooseLocalFile();
  // "Open File": the shell opens the file the page shows.
  void OpenLocalFile();
};

}  // namespace kelpo
