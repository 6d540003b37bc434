#include "remote/configure_dialog.h"

#include "common/win32.h"

#include <commdlg.h>

#include <array>

#include "remote/remote_module.h"
#include "remote/remote_registry.h"
#include "remote/remote_resource.h"
#include "remote/remote_rules.h"
#include "remote/remote_sound.h"

namespace kelpo::remote {
namespace {

// Room for 511 characters and the terminating zero, as the file dialog gets.
constexpr int kPathCapacity = 512;
constexpr char kSoundFilter[] = "Sound Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0";
constexpr char kDefaultExtension[] = "wav";

}  // namespace

INT_PTR ConfigureDialog::Run(HWND owner) {
  // The host may hand us any value; a stale window cannot own a dialog.
  if (owner != nullptr && !::IsWindow(owner)) return -1;
  ConfigureDialog state;
  return ::DialogBoxParamA(RemoteModule(), MAKEINTRESOURCEA(IDD_REMOTE_CONFIGURE), owner,
                           &ConfigureDialog::DialogProc, reinterpret_cast<LPARAM>(&state));
}

INT_PTR CALLBACK ConfigureDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<ConfigureDialog*>(lParam);
      (void)::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      self->dialog_ = dialog;
      self->OnInitDialog();
      return TRUE;
    }
    auto* self = reinterpret_cast<ConfigureDialog*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    return self->Dispatch(message, wParam);
  } catch (...) {
    // Nothing may escape into the host's message loop.
    return FALSE;
  }
}

INT_PTR ConfigureDialog::Dispatch(UINT message, WPARAM wParam) {
  if (message == WM_CLOSE) {
    OnCancel();
    return TRUE;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_NO_SOUND:
    case IDC_DEFAULT_BEEP:
    case IDC_SOUND_FILE:
      OnSoundChoice(LOWORD(wParam));
      return TRUE;
    case IDC_BROWSE:
      OnBrowse();
      return TRUE;
    case IDC_PLAY:
      OnPlay();
      return TRUE;
    case IDOK:
      OnOk();
      return TRUE;
    case IDCANCEL:
      OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}

void ConfigureDialog::OnInitDialog() {
  if (const auto path = ReadSoundFile()) {
    (void)::SetDlgItemTextA(dialog_, IDC_SOUND_FILE_NAME, path->c_str());
  }
  const int choice = SoundChoiceControl(ReadSound(kSoundDefaultBeep));
  (void)::CheckRadioButton(dialog_, IDC_NO_SOUND, IDC_SOUND_FILE, choice);
  EnableFileButtons(choice == IDC_SOUND_FILE);
}

void ConfigureDialog::OnSoundChoice(int control) { EnableFileButtons(control == IDC_SOUND_FILE); }

void ConfigureDialog::OnBrowse() {
  std::array<char, kPathCapacity> path{};
  (void)::GetDlgItemTextA(dialog_, IDC_SOUND_FILE_NAME, path.data(), kPathCapacity);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = dialog_;
  dialog.lpstrFilter = kSoundFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathCapacity;
  dialog.lpstrDefExt = kDefaultExtension;
  dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
  if (::GetOpenFileNameA(&dialog)) {
    (void)::SetDlgItemTextA(dialog_, IDC_SOUND_FILE_NAME, path.data());
  }
}

void ConfigureDialog::OnPlay() {
  const std::string path = SoundFileText();
  if (path.empty()) return;
  WriteSoundFile(path);
  PlaySoundFile(path);
}

void ConfigureDialog::OnOk() {
  WriteSoundFile(SoundFileText());
  WriteSound(SoundFromChoice(::IsDlgButtonChecked(dialog_, IDC_NO_SOUND) == BST_CHECKED,
                             ::IsDlgButtonChecked(dialog_, IDC_SOUND_FILE) == BST_CHECKED));
  OnCancel();
}

void ConfigureDialog::OnCancel() {
  StopOwnSounds();
  (void)::EndDialog(dialog_, 0);
}

void ConfigureDialog::EnableFileButtons(bool enable) {
  (void)::EnableWindow(::GetDlgItem(dialog_, IDC_PLAY), enable);
  (void)::EnableWindow(::GetDlgItem(dialog_, IDC_BROWSE), enable);
}

std::string ConfigureDialog::SoundFileText() const {
  std::array<char, kPathCapacity> text{};
  if (::GetDlgItemTextA(dialog_, IDC_SOUND_FILE_NAME, text.data(), kPathCapacity) == 0) return {};
  return text.data();
}

}  // namespace kelpo::remote
