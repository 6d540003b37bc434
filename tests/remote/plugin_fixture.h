// What the plug-in's Wine tests share: the library loaded as the host loads it, a
// clean registry key, a stand-in for Kelpo's main window, and a way to see whether
// the plug-in opened its sound file.
#pragma once

#include "common/win32.h"

#include <string>

#include "common/unique_handle.h"

namespace kelpo::remote::test {

// The directory of the test program, where kelpo_remote.dll, kelpo.exe and
// kelpo-remote-host.exe are built.
std::wstring BinaryDirectory();

struct Plugin {
  using WhatKeysDoYouWantFn = DWORD(__cdecl*)();
  using EnumerateProgrammableFunctionFn = const char*(__cdecl*)(DWORD);
  using AreYouInFocusFn = BOOL(__cdecl*)();
  using HandleKeyFn = BOOL(__cdecl*)(DWORD, DWORD, DWORD);
  using ConfigureFn = int(__cdecl*)(HWND);

  // LoadLibrary by full path and GetProcAddress by the exact export names.
  Plugin();

  unique_hmodule module;
  WhatKeysDoYouWantFn whatKeysDoYouWant = nullptr;
  EnumerateProgrammableFunctionFn enumerateProgrammableFunction = nullptr;
  AreYouInFocusFn areYouInFocus = nullptr;
  HandleKeyFn handleKey = nullptr;
  ConfigureFn configure = nullptr;
};

// Removes the plug-in's registry key now and again when it goes.
class CleanRemoteKey {
 public:
  CleanRemoteKey();
  ~CleanRemoteKey();
  CleanRemoteKey(const CleanRemoteKey&) = delete;
  CleanRemoteKey& operator=(const CleanRemoteKey&) = delete;
};

void SetSound(DWORD sound);
void SetSoundFile(const std::string& path);
// The raw value, type and bytes as given, for the malformed cases.
void SetRawValue(const char* name, DWORD type, const void* data, DWORD size);
// A string value stored as UTF-16 without its terminating zero, as another
// program may have left it.
void SetUnterminatedString(const char* name, const std::string& text);
bool ReadSound(DWORD& sound);
bool ReadSoundFile(std::string& path);

// Runs this thread's messages for the given time.
void PumpMessages(DWORD milliseconds);

// A top-level dialog titled "Kelpo", as the real main window is, that counts the
// "KelpoCapture" messages it receives; as `mainWindow`, with the main window's
// property, else a Kelpo message box or a Kelpo from before the property.
class StandInKelpo {
 public:
  explicit StandInKelpo(bool mainWindow = false);
  StandInKelpo(const StandInKelpo&) = delete;
  StandInKelpo& operator=(const StandInKelpo&) = delete;

  HWND window() const { return window_.get(); }
  int captures() const { return captures_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message);

  UINT captureMessage_;
  int captures_ = 0;
  unique_hwnd window_;
};

// A sound file name that the test's own multimedia I/O procedure answers: the
// plug-in trying to play it shows up here, whether or not the machine has audio.
class SoundFileProbe {
 public:
  SoundFileProbe();
  ~SoundFileProbe();
  SoundFileProbe(const SoundFileProbe&) = delete;
  SoundFileProbe& operator=(const SoundFileProbe&) = delete;

  const std::string& path() const { return path_; }
  // Waits up to the given time for someone to open the file.
  bool Opened(DWORD milliseconds) const;

 private:
  std::string path_;
};

}  // namespace kelpo::remote::test
