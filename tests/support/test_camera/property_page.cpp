#include "support/test_camera/property_page.h"

#include <dshow.h>
#include <wrl/client.h>

#include <cstring>
#include <new>
#include <vector>

#include "common/unique_handle.h"
#include "support/test_camera/com_support.h"
#include "support/test_camera/test_camera.h"

namespace kelpo::test_camera {

namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kWindowClass[] = L"KelpoTestCameraPage";
constexpr int kButtonId = 1;
constexpr SIZE kPageSize{200, 80};
constexpr int kButtonLeft = 10;
constexpr int kButtonTop = 10;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 24;
constexpr LONG kSmallWidth = 320;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  (void)::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// Switches a capture pin between its first two sizes (640 x 480 and
// 320 x 240), using the device's own capability.
void SwitchSize(IAMStreamConfig& config) {
  AM_MEDIA_TYPE* current = nullptr;
  if (FAILED(config.GetFormat(&current)) || current == nullptr) return;
  const auto* info = current->cbFormat >= sizeof(VIDEOINFOHEADER) && current->pbFormat != nullptr
                         ? reinterpret_cast<const VIDEOINFOHEADER*>(current->pbFormat)
                         : nullptr;
  const LONG width = info != nullptr ? info->bmiHeader.biWidth : 0;
  ::CoTaskMemFree(current->pbFormat);
  ::CoTaskMemFree(current);
  const int wanted = width == kSmallWidth ? 0 : 1;
  int count = 0;
  int size = 0;
  if (FAILED(config.GetNumberOfCapabilities(&count, &size)) || wanted >= count || size <= 0) {
    return;
  }
  std::vector<BYTE> caps(static_cast<std::size_t>(size));
  AM_MEDIA_TYPE* type = nullptr;
  if (config.GetStreamCaps(wanted, &type, caps.data()) != S_OK || type == nullptr) return;
  (void)config.SetFormat(type);
  ::CoTaskMemFree(type->pbFormat);
  ::CoTaskMemFree(type);
}

class PropertyPage final : public IPropertyPage {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPropertyPage) return Hand<IPropertyPage>(this, out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = references_.Remove();
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override {
    site_ = site;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL) override {
    if (rect == nullptr) return E_POINTER;
    if (!RegisterWindowClass()) return E_FAIL;
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD, rect->left, rect->top,
                                rect->right - rect->left, rect->bottom - rect->top, parent, nullptr,
                                ThisModule(), this);
    if (window_ == nullptr) return E_FAIL;
    (void)::CreateWindowExW(0, L"BUTTON", kPageButtonText, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                            kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), ThisModule(),
                            nullptr);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Deactivate() override {
    if (window_ != nullptr) (void)::DestroyWindow(window_);
    window_ = nullptr;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override {
    if (info == nullptr) return E_POINTER;
    *info = PROPPAGEINFO{};
    info->cb = sizeof(*info);
    const std::size_t bytes = sizeof(kPageTitle);
    info->pszTitle = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (info->pszTitle == nullptr) return E_OUTOFMEMORY;
    std::memcpy(info->pszTitle, kPageTitle, bytes);
    info->size = kPageSize;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override {
    if (count != 0 && objects == nullptr) return E_POINTER;
    return Guard([&] {
      objects_.clear();
      for (ULONG i = 0; i < count; ++i) objects_.emplace_back(objects[i]);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE Show(UINT command) override {
    if (window_ != nullptr) (void)::ShowWindow(window_, static_cast<int>(command));
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override {
    if (rect == nullptr) return E_POINTER;
    if (window_ != nullptr) {
      (void)::MoveWindow(window_, rect->left, rect->top, rect->right - rect->left,
                         rect->bottom - rect->top, TRUE);
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE IsPageDirty() override { return dirty_ ? S_OK : S_FALSE; }

  HRESULT STDMETHODCALLTYPE Apply() override {
    if (!dirty_) return S_OK;
    dirty_ = false;
    for (const ComPtr<IUnknown>& object : objects_) {
      ComPtr<IAMStreamConfig> config;
      if (SUCCEEDED(object.As(&config))) SwitchSize(*config.Get());
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

 private:
  static bool RegisterWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (::GetClassInfoExW(ThisModule(), kWindowClass, &windowClass)) return true;
    windowClass.lpfnWndProc = &PropertyPage::WindowProc;
    windowClass.hInstance = ThisModule();
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      (void)::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* page = reinterpret_cast<PropertyPage*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED &&
        page != nullptr) {
      // The switch takes effect at once: Wine's property frame never calls
      // Apply, and a driver's page may well work this way too.
      page->dirty_ = true;
      if (page->site_) (void)page->site_->OnStatusChange(PROPPAGESTATUS_DIRTY);
      (void)page->Apply();
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  ModuleReference module_;
  RefCount references_;
  ComPtr<IPropertyPageSite> site_;
  std::vector<ComPtr<IUnknown>> objects_;
  HWND window_ = nullptr;
  bool dirty_ = false;
};

}  // namespace

HRESULT TestPages(CAUUID* pages) noexcept {
  if (pages == nullptr) return E_POINTER;
  pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(GUID)));
  if (pages->pElems == nullptr) {
    pages->cElems = 0;
    return E_OUTOFMEMORY;
  }
  pages->cElems = 1;
  pages->pElems[0] = kPageClsid;
  return S_OK;
}

HRESULT CreatePropertyPage(REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  auto* page = new (std::nothrow) PropertyPage();
  if (page == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = page->QueryInterface(iid, out);
  page->Release();
  return result;
}

}  // namespace kelpo::test_camera
