#include "ui/sheet_test_support.h"

#include "common/unique_handle.h"
#include "support/kelpo_process.h"

#include <commctrl.h>
#include <colordlg.h>
#include <dlgs.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <vector>

namespace kelpo::test {

namespace {

constexpr wchar_t kHelperClass[] = L"KelpoTestCall";
constexpr UINT kCallMessage = WM_APP + 100;
// The sheet's Apply button; the platform gives it this ID.
constexpr int kApplyButtonId = 0x3021;
// The colour dialog's red, green and blue fields.
constexpr int kColourFields[] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};

LRESULT CALLBACK HelperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kCallMessage) return ::DefWindowProcW(window, message, wParam, lParam);
  (*reinterpret_cast<const std::function<void()>*>(lParam))();
  return 0;
}

void RegisterHelperClass() {
  WNDCLASSW helper{};
  helper.lpfnWndProc = HelperProc;
  helper.hInstance = ::GetModuleHandleW(nullptr);
  helper.lpszClassName = kHelperClass;
  (void)::RegisterClassW(&helper);  // a second registration fails harmlessly
}

struct CaptionSearch {
  const std::wstring* caption;
  HWND found;
};

HWND FindOwnWindow(const std::wstring& caption) {
  CaptionSearch search{&caption, nullptr};
  (void)::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& search = *reinterpret_cast<CaptionSearch*>(context);
        DWORD process = 0;
        (void)::GetWindowThreadProcessId(window, &process);
        if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
        if (TextOf(window) != *search.caption) return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The file dialog's file-name field: an edit of its own in some versions of
// the dialog, the edit inside a combo box in others.
HWND FileNameField(HWND dialog) {
  struct Search {
    HWND found = nullptr;
  } search;
  (void)::EnumChildWindows(
      dialog,
      [](HWND control, LPARAM context) -> BOOL {
        wchar_t name[16] = {};
        (void)::GetClassNameW(control, name, 16);
        const int id = ::GetDlgCtrlID(control);
        if (::lstrcmpiW(name, L"Edit") != 0 || (id != edt1 && id != cmb13)) return TRUE;
        reinterpret_cast<Search*>(context)->found = control;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

KelpoThread::KelpoThread() {
  RegisterHelperClass();
  started_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  thread_ = std::thread([this] {
    helper_ = ::CreateWindowExW(0, kHelperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    try {
      Application application;
      application_ = &application;
      (void)::SetEvent(started_.get());
      application.Start();
      MSG message{};
      while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(application.window().handle(), &message)) {
          ::TranslateMessage(&message);
          ::DispatchMessageW(&message);
        }
      }
    } catch (...) {
      failure_ = std::current_exception();
    }
    application_ = nullptr;
    (void)::SetEvent(started_.get());
    (void)::DestroyWindow(helper_.exchange(nullptr));
  });
  (void)::WaitForSingleObject(started_.get(), INFINITE);
  (void)WaitFor(
      [this] { return (mainWindow_ = FindKelpoWindow(::GetCurrentProcessId())) != nullptr; },
      kStartTimeout);
  EXPECT_NE(mainWindow_, nullptr) << "Kelpo's main window did not appear";
}

KelpoThread::~KelpoThread() {
  Call([](Application&) { ::PostQuitMessage(0); });
  thread_.join();
  EXPECT_FALSE(failure_) << "Kelpo's thread ended with an error";
}

void KelpoThread::Call(const std::function<void(Application&)>& work) {
  const std::function<void()> call = [this, &work] {
    if (Application* application = application_.load()) work(*application);
  };
  if (const HWND helper = helper_.load()) {
    (void)::SendMessageW(helper, kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
  }
}

Settings KelpoThread::SettingsNow() {
  Settings copy;
  Call([&copy](Application& application) { copy = application.settings(); });
  return copy;
}

HWND WaitForOwnWindow(const std::wstring& caption, DWORD timeoutMs) {
  HWND window = nullptr;
  (void)WaitFor([&] { return (window = FindOwnWindow(caption)) != nullptr; }, timeoutMs);
  return window;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
  return WaitFor([window] { return !::IsWindow(window); }, timeoutMs);
}

std::wstring TextOf(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::vector<wchar_t> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  (void)::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

void Type(HWND field, const std::wstring& text) {
  (void)::SendMessageW(field, EM_SETSEL, 0, -1);
  (void)::SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND button) { (void)::SendMessageW(button, BM_CLICK, 0, 0); }

void ClickLater(HWND button) { (void)::PostMessageW(button, BM_CLICK, 0, 0); }

void PressKey(HWND control, UINT virtualKey) {
  (void)::SendMessageW(control, WM_KEYDOWN, virtualKey, 0);
  (void)::SendMessageW(control, WM_KEYUP, virtualKey, 0);
}

COLORREF PixelOf(HWND control, int x, int y) {
  (void)::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const HDC dc = ::GetDC(control);
  const COLORREF colour = ::GetPixel(dc, x, y);
  (void)::ReleaseDC(control, dc);
  return colour;
}

HWND SheetDriver::Page(int index) const {
  return reinterpret_cast<HWND>(::SendMessageW(sheet_, PSM_INDEXTOHWND, index, 0));
}

HWND SheetDriver::ShowTab(int index) const {
  (void)::SendMessageW(sheet_, PSM_SETCURSEL, index, 0);
  return Page(index);
}

HWND SheetDriver::ApplyButton() const { return Button(kApplyButtonId); }

void SheetDriver::Ok() const {
  Click(Button(IDOK));
  EXPECT_TRUE(WaitUntilGone(sheet_));
}

void SheetDriver::CloseBox() const {
  (void)::SendMessageW(sheet_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntilGone(sheet_));
}

void ConfirmFileDialog(const std::wstring& caption, const std::wstring& path) {
  const HWND dialog = WaitForOwnWindow(caption);
  ASSERT_NE(dialog, nullptr) << "no dialog " << std::string(caption.begin(), caption.end());
  const HWND field = FileNameField(dialog);
  ASSERT_NE(field, nullptr);
  (void)::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Click(::GetDlgItem(dialog, IDOK));
  EXPECT_TRUE(WaitUntilGone(dialog));
}

void CancelDialog(const std::wstring& caption) {
  const HWND dialog = WaitForOwnWindow(caption);
  ASSERT_NE(dialog, nullptr);
  Click(::GetDlgItem(dialog, IDCANCEL));
  EXPECT_TRUE(WaitUntilGone(dialog));
}

void ConfirmColourDialog(COLORREF colour) {
  const HWND dialog = WaitForOwnWindow(L"Color");
  ASSERT_NE(dialog, nullptr);
  const BYTE components[] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
  for (int i = 0; i < 3; ++i) {
    const std::wstring text = std::to_wstring(components[i]);
    (void)::SendDlgItemMessageW(dialog, kColourFields[i], WM_SETTEXT, 0,
                                reinterpret_cast<LPARAM>(text.c_str()));
  }
  Click(::GetDlgItem(dialog, IDOK));
  EXPECT_TRUE(WaitUntilGone(dialog));
}

}  // namespace kelpo::test
