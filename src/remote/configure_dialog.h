// The plug-in's configuration dialog: which sound a key press gives.
#pragma once

#include "common/win32.h"

#include <string>

namespace kelpo::remote {

class ConfigureDialog {
 public:
  // Runs the dialog modally; 0 when it was closed, -1 when it could not be shown.
  static INT_PTR Run(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  ConfigureDialog() = default;

  INT_PTR Dispatch(UINT message, WPARAM wParam);
  void OnInitDialog();
  void OnSoundChoice(int control);
  void OnBrowse();
  void OnPlay();
  void OnOk();
  void OnCancel();

  void EnableFileButtons(bool enable);
  std::string SoundFileText() const;

  HWND dialog_ = nullptr;
};

}  // namespace kelpo::remote
