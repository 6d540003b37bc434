// Owning wrappers for handles, in the spirit of WIL's unique_any: one template,
// a close function per kind, and named aliases for the kinds Kelpo uses.
#pragma once

#include "common/win32.h"

#include <objbase.h>

#include <cstdint>
#include <utility>

namespace kelpo {

// H is a pointer-like handle type; InvalidValue is its "no handle" value as an
// integer, since INVALID_HANDLE_VALUE cannot be a template argument itself.
template <typename H, auto Close, std::intptr_t InvalidValue = 0>
class unique_handle {
 public:
  static H invalid() noexcept { return reinterpret_cast<H>(InvalidValue); }

  unique_handle() noexcept = default;
  explicit unique_handle(H handle) noexcept : handle_(handle) {}
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  unique_handle(unique_handle&& other) noexcept : handle_(other.release()) {}
  unique_handle& operator=(unique_handle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_handle() { reset(); }

  H get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != invalid(); }

  // For out-parameters: closes what is held and hands out the slot.
  H* put() noexcept {
    reset();
    return &handle_;
  }

  H release() noexcept { return std::exchange(handle_, invalid()); }

  void reset(H handle = invalid()) noexcept {
    H old = std::exchange(handle_, handle);
    if (old != invalid()) (void)Close(old);
  }

 private:
  H handle_ = invalid();
};

namespace detail {
inline void CloseGdiObject(HGDIOBJ object) noexcept { (void)::DeleteObject(object); }
inline void CloseIcon(HICON icon) noexcept { (void)::DestroyIcon(icon); }
inline void CloseHandleValue(HANDLE handle) noexcept { (void)::CloseHandle(handle); }
inline void CloseFind(HANDLE handle) noexcept { (void)::FindClose(handle); }
inline void CloseKey(HKEY key) noexcept { (void)::RegCloseKey(key); }
inline void CloseLibrary(HMODULE module) noexcept { (void)::FreeLibrary(module); }
inline void CloseGlobal(HGLOBAL memory) noexcept { (void)::GlobalFree(memory); }
inline void CloseCoTaskMem(void* memory) noexcept { ::CoTaskMemFree(memory); }
inline void CloseWindowHandle(HWND window) noexcept { (void)::DestroyWindow(window); }
inline void CloseDc(HDC dc) noexcept { (void)::DeleteDC(dc); }
inline void CloseMenu(HMENU menu) noexcept { (void)::DestroyMenu(menu); }
}  // namespace detail

using unique_hkey = unique_handle<HKEY, detail::CloseKey>;
using unique_handle_value = unique_handle<HANDLE, detail::CloseHandleValue>;
using unique_file = unique_handle<HANDLE, detail::CloseHandleValue, -1>;
using unique_hfind = unique_handle<HANDLE, detail::CloseFind, -1>;
using unique_hmodule = unique_handle<HMODULE, detail::CloseLibrary>;
using unique_hglobal = unique_handle<HGLOBAL, detail::CloseGlobal>;
using unique_cotaskmem = unique_handle<void*, detail::CloseCoTaskMem>;
using unique_hwnd = unique_handle<HWND, detail::CloseWindowHandle>;
using unique_hdc = unique_handle<HDC, detail::CloseDc>;
using unique_hicon = unique_handle<HICON, detail::CloseIcon>;
using unique_hmenu = unique_handle<HMENU, detail::CloseMenu>;
using unique_hbitmap = unique_handle<HBITMAP, detail::CloseGdiObject>;
using unique_hbrush = unique_handle<HBRUSH, detail::CloseGdiObject>;
using unique_hfont = unique_handle<HFONT, detail::CloseGdiObject>;

// Runs a callable when the scope ends, however it ends.
template <typename F>
class scope_exit_guard {
 public:
  explicit scope_exit_guard(F f) noexcept : f_(std::move(f)) {}
  scope_exit_guard(const scope_exit_guard&) = delete;
  scope_exit_guard& operator=(const scope_exit_guard&) = delete;
  ~scope_exit_guard() {
    if (active_) f_();
  }
  void release() noexcept { active_ = false; }

 private:
  F f_;
  bool active_ = true;
};

template <typename F>
[[nodiscard]] scope_exit_guard<F> scope_exit(F f) noexcept {
  return scope_exit_guard<F>(std::move(f));
}

}  // namespace kelpo
