#include "plugin_fixture.h"

#include "common/kelpo_window.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace kelpo::remote::test {
namespace {

constexpr char kKey[] = "Software\\Marrowby\\Kelpo\\ATIRemoteWonder";

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

unique_hkey CreateKey() {
  unique_hkey key;
  EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), nullptr),
            ERROR_SUCCESS);
  return key;
}

// An in-memory dialog template without controls; the caption is set afterwards.
struct alignas(DWORD) EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WORD title;
};

constexpr FOURCC kProbeFourcc = mmioFOURCC('K', 'P', 'R', 'B');

// Names the probe I/O procedure was asked to open; PlaySound opens files on a
// thread of its own.
std::mutex probeMutex;
std::vector<std::string> probeOpened;

LRESULT CALLBACK ProbeIoProc(LPSTR, UINT message, LPARAM lParam1, LPARAM) {
  if (message == MMIOM_OPEN) {
    const std::lock_guard<std::mutex> lock(probeMutex);
    probeOpened.emplace_back(reinterpret_cast<const char*>(lParam1));
    return MMIOERR_CANNOTOPEN;
  }
  return message == MMIOM_CLOSE ? 0 : -1;
}

}  // namespace

std::wstring BinaryDirectory() {
  std::array<wchar_t, MAX_PATH> path{};
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
  std::wstring directory(path.data(), length);
  return directory.substr(0, directory.find_last_of(L'\\') + 1);
}

Plugin::Plugin() : module(::LoadLibraryW((BinaryDirectory() + L"kelpo_remote.dll").c_str())) {
  if (!module) {
    ADD_FAILURE() << "kelpo_remote.dll does not load: " << ::GetLastError();
    return;
  }
  whatKeysDoYouWant = Export<WhatKeysDoYouWantFn>(module.get(), "WhatKeysDoYouWant");
  enumerateProgrammableFunction =
      Export<EnumerateProgrammableFunctionFn>(module.get(), "EnumerateProgrammableFunction");
  areYouInFocus = Export<AreYouInFocusFn>(module.get(), "AreYouInFocus");
  handleKey = Export<HandleKeyFn>(module.get(), "HandleKey");
  configure = Export<ConfigureFn>(module.get(), "Configure");
}

CleanRemoteKey::CleanRemoteKey() { (void)::RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
CleanRemoteKey::~CleanRemoteKey() { (void)::RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

void SetSound(DWORD sound) { SetRawValue("sound", REG_DWORD, &sound, sizeof(sound)); }

void SetSoundFile(const std::string& path) {
  SetRawValue("soundfile", REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
}

void SetRawValue(const char* name, DWORD type, const void* data, DWORD size) {
  const unique_hkey key = CreateKey();
  ASSERT_EQ(::RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

void SetUnterminatedString(const char* name, const std::string& text) {
  // The registry adds the terminator itself when the character after the data is
  // zero, so the data is followed by something else.
  std::wstring wide(text.begin(), text.end());
  wide += L'X';
  const std::wstring wideName(name, name + std::strlen(name));
  const unique_hkey key = CreateKey();
  ASSERT_EQ(::RegSetValueExW(key.get(), wideName.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(wide.data()),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

bool ReadSound(DWORD& sound) {
  DWORD size = sizeof(sound);
  return ::RegGetValueA(HKEY_CURRENT_USER, kKey, "sound", RRF_RT_REG_DWORD, nullptr, &sound,
                        &size) == ERROR_SUCCESS;
}

bool ReadSoundFile(std::string& path) {
  std::array<char, 1024> buffer{};
  DWORD size = static_cast<DWORD>(buffer.size());
  if (::RegGetValueA(HKEY_CURRENT_USER, kKey, "soundfile", RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &size) != ERROR_SUCCESS) {
    return false;
  }
  path = buffer.data();
  return true;
}

void PumpMessages(DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  do {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      (void)::TranslateMessage(&message);
      (void)::DispatchMessageW(&message);
    }
    ::Sleep(10);
  } while (::GetTickCount() - start < milliseconds);
}

StandInKelpo::StandInKelpo(bool mainWindow)
    : captureMessage_(::RegisterWindowMessageW(L"KelpoCapture")) {
  EmptyDialogTemplate dialog{};
  dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.header.cx = 100;
  dialog.header.cy = 60;
  window_.reset(::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), &dialog.header, nullptr,
                                             &StandInKelpo::DialogProc,
                                             reinterpret_cast<LPARAM>(this)));
  EXPECT_TRUE(window_);
  (void)::SetWindowTextW(window_.get(), L"Kelpo");
  if (mainWindow) (void)::SetPropW(window_.get(), kKelpoWindowPropertyW, window_.get());
}

INT_PTR CALLBACK StandInKelpo::DialogProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    (void)::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return TRUE;
  }
  auto* self = reinterpret_cast<StandInKelpo*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  return self != nullptr ? self->OnMessage(message) : FALSE;
}

INT_PTR StandInKelpo::OnMessage(UINT message) {
  if (message != captureMessage_) return FALSE;
  ++captures_;
  return TRUE;
}

SoundFileProbe::SoundFileProbe() {
  static const bool installed = ::mmioInstallIOProcA(kProbeFourcc, &ProbeIoProc,
                                                     MMIO_INSTALLPROC | MMIO_GLOBALPROC) != nullptr;
  EXPECT_TRUE(installed);
  static int serial = 0;
  // "name.ext+element": the extension picks the I/O procedure that opens the file.
  path_ = "C:\\kelpo-sound-probe-" + std::to_string(++serial) + ".kprb+wav";
}

SoundFileProbe::~SoundFileProbe() { (void)::PlaySoundA(nullptr, nullptr, 0); }

bool SoundFileProbe::Opened(DWORD milliseconds) const {
  const DWORD start = ::GetTickCount();
  for (;;) {
    {
      const std::lock_guard<std::mutex> lock(probeMutex);
      for (const std::string& name : probeOpened) {
        if (name.find(path_) != std::string::npos) return true;
      }
    }
    if (::GetTickCount() - start >= milliseconds) return false;
    ::Sleep(10);
  }
}

}  // namespace kelpo::remote::test
