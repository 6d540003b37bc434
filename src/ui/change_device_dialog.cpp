#include "ui/change_device_dialog.h"

#include "ui/device_choice.h"
#include "common/message_catalogue.h"
#include "resources/resource.h"
#include "settings/settings_rules.h"
#include "settings/settings_store.h"
#include "ui/common_dialogs.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace kelpo {

namespace {

constexpr wchar_t kImageDialogTitle[] = L"Image File";
constexpr wchar_t kJpegExtension[] = L"jpg";

class ChangeDeviceDialog {
 public:
  explicit ChangeDeviceDialog(const Settings& inUse) : inUse_(inUse) {}

  void Run(HWND owner) {
    const INT_PTR result =
        ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHANGE_DEVICE), owner,
                          &ChangeDeviceDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (failure_) std::rethrow_exception(failure_);
    if (result == 0 || result == -1)
      Raise(kMsgChangeDeviceFailed, static_cast<long>(::GetLastError()));
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(window, DWLP_USER, lParam);
      reinterpret_cast<ChangeDeviceDialog*>(lParam)->window_ = window;
    }
    auto* dialog = reinterpret_cast<ChangeDeviceDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;
    try {
      return dialog->Dispatch(message, wParam);
    } catch (...) {
      // Carried past the dialog's procedure and raised where it was opened.
      dialog->failure_ = std::current_exception();
      (void)::EndDialog(window, IDCANCEL);
      return TRUE;
    }
  }

  INT_PTR Dispatch(UINT message, WPARAM wParam) {
    switch (message) {
      case WM_INITDIALOG:
        OnInit();
        return TRUE;  // the system sets the focus
      case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
      default:
        return FALSE;
    }
  }

  HWND Control(int id) const { return ::GetDlgItem(window_, id); }

  // The camera list goes with "Camera:", Browse with "Image File:".
  void EnableForImageFile(bool imageFile) {
    (void)::EnableWindow(Control(IDC_DEVICE_LIST), imageFile ? FALSE : TRUE);
    (void)::EnableWindow(Control(IDC_DEVICE_BROWSE), imageFile ? TRUE : FALSE);
  }

  void OnInit() {
    FillDeviceList(Control(IDC_DEVICE_LIST), inUse_, devices_);
    const bool imageFile = inUse_.deviceType == kDeviceImageFile;
    (void)::CheckDlgButton(window_, imageFile ? IDC_DEVICE_IMAGE_FILE : IDC_DEVICE_CAMERA,
                           BST_CHECKED);
    if (imageFile) (void)::SetDlgItemTextW(window_, IDC_DEVICE_FILE, inUse_.devicePath.c_str());
    EnableForImageFile(imageFile);
  }

  void OnCommand(int id, int notification) {
    switch (id) {
      case IDOK:
        Store();
        (void)::EndDialog(window_, IDOK);
        return;
      case IDCANCEL:
        (void)::EndDialog(window_, IDCANCEL);
        return;
      default:
        break;
    }
    if (notification != BN_CLICKED) return;
    if (id == IDC_DEVICE_CAMERA) EnableForImageFile(false);
    if (id == IDC_DEVICE_IMAGE_FILE) EnableForImageFile(true);
    if (id == IDC_DEVICE_BROWSE) ChooseImageFile();
  }

  // The path as shown, however long: a stored path is never cut here.
  std::wstring ShownPath() const {
    const HWND control = Control(IDC_DEVICE_FILE);
    const int length = ::GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::vector<wchar_t> path(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, path.data(), length + 1);
    return std::wstring(path.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
  }

  void ChooseImageFile() {
    const std::wstring folder = PicturesFolder();
    FileDialogOptions options;
    options.filter = kImageFileFilter;
    options.defaultExtension = kJpegExtension;
    options.title = kImageDialogTitle;
    options.initialFolder = folder.empty() ? nullptr : folder.c_str();
    options.flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    const std::optional<std::wstring> chosen =
        AskForFile(window_, FileDialogKind::kOpen, ShownPath(), options);
    // Shown only: nothing is stored before OK.
    if (chosen) (void)::SetDlgItemTextW(window_, IDC_DEVICE_FILE, chosen->c_str());
  }

  // Writes the choice for the next start and tells the user when it differs
  // from the source in use.
  void Store() {
    std::uint32_t type = inUse_.deviceType;
    bool changed = false;
    if (::IsDlgButtonChecked(window_, IDC_DEVICE_IMAGE_FILE) == BST_CHECKED) {
      type = kDeviceImageFile;
      const std::wstring path = ShownPath();
      SaveDevicePath(path);
      changed = inUse_.deviceType == kDeviceImageFile && path != inUse_.devicePath;
    } else if (::IsDlgButtonChecked(window_, IDC_DEVICE_CAMERA) == BST_CHECKED) {
      type = kDeviceCamera;
      const LRESULT item = ::SendDlgItemMessageW(window_, IDC_DEVICE_LIST, CB_GETCURSEL, 0, 0);
      const LRESULT index = item == CB_ERR
                                ? CB_ERR
                                : ::SendDlgItemMessageW(window_, IDC_DEVICE_LIST, CB_GETITEMDATA,
                                                        static_cast<WPARAM>(item), 0);
      // Without a camera chosen the stored path stays.
      if (index >= 0 && static_cast<std::size_t>(index) < devices_.size()) {
        const std::wstring& path = devices_[static_cast<std::size_t>(index)].path;
        SaveDevicePath(path);
        changed = inUse_.deviceType == kDeviceCamera && path != inUse_.devicePath;
      }
    }
    SaveDeviceType(type);
    if (type != inUse_.deviceType) changed = true;
    if (!changed) return;
    const std::wstring text = LoadText(kMsgRestartNeeded, kErrorTextCapacity);
    const std::wstring caption = LoadText(kMsgDeviceChangedCaption, kErrorTextCapacity);
    (void)::MessageBoxW(window_, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
  }

  const Settings& inUse_;
  // The cameras as enumerated; each list item's data is its index here.
  std::vector<DeviceRecord> devices_;
  HWND window_ = nullptr;
  std::exception_ptr failure_;
};

}  // namespace

void ShowChangeVideoDeviceDialog(HWND owner, const Settings& inUse) {
  ChangeDeviceDialog dialog(inUse);
  dialog.Run(owner);
}

}  // namespace kelpo
