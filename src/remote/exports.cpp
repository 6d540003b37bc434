// The five functions the remote-control software calls, under undecorated names
// (kelpo_remote.def) with the C calling convention. Hosts pass any 32-bit values;
// none of these lets an exception or a bad argument reach the host.
#include "common/win32.h"

#include <cstdint>

#include "remote/configure_dialog.h"
#include "remote/remote_rules.h"
#include "remote/trigger_capture.h"

namespace {

constexpr char kTakeAPicture[] = "Take a Picture";

}  // namespace

extern "C" {

DWORD __cdecl WhatKeysDoYouWant() { return kelpo::remote::kWantedKeyGroups; }

const char* __cdecl EnumerateProgrammableFunction(DWORD index) {
  return kelpo::remote::IsTakePictureIndex(index) ? kTakeAPicture : nullptr;
}

BOOL __cdecl AreYouInFocus() {
  const HWND kelpo = kelpo::remote::FindKelpoWindow();
  const HWND foreground = ::GetForegroundWindow();
  const HWND owner = foreground != nullptr ? ::GetWindow(foreground, GW_OWNER) : nullptr;
  return kelpo::remote::IsKelpoInFocus(reinterpret_cast<std::uintptr_t>(kelpo),
                                       reinterpret_cast<std::uintptr_t>(foreground),
                                       reinterpret_cast<std::uintptr_t>(owner))
             ? TRUE
             : FALSE;
}

BOOL __cdecl HandleKey(DWORD programmable, DWORD key, DWORD event) {
  // Kelpo not running: the key is not ours, and no sound pretends otherwise.
  const HWND kelpo = kelpo::remote::FindKelpoWindow();
  if (kelpo == nullptr) return FALSE;
  if (!kelpo::remote::IsCaptureKey(programmable, key, event)) return FALSE;
  try {
    kelpo::remote::TriggerCapture(kelpo);
  } catch (...) {
    // The request was posted before anything that can throw; the key was taken.
  }
  return TRUE;
}

int __cdecl Configure(HWND owner) {
  try {
    return static_cast<int>(kelpo::remote::ConfigureDialog::Run(owner));
  } catch (...) {
    return -1;
  }
}

}  // extern "C"
