// kelpo-remote-host: stands in for the remote-control software. It loads a plug-in
// by path the way the real host does, checks its five exports, reports what the
// plug-in offers, and calls one export as the command line asks:
//
//   kelpo-remote-host PLUGIN.dll
//   kelpo-remote-host PLUGIN.dll handlekey PROGRAMMABLE KEY EVENT
//   kelpo-remote-host PLUGIN.dll focus
//   kelpo-remote-host PLUGIN.dll configure [OWNER-WINDOW]
//
// Numbers may be decimal or 0x-prefixed hexadecimal. The exit code is 0 on success,
// 1 for bad usage, 2 when the plug-in cannot be loaded, 3 when an export is missing.
#include "common/win32.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "common/unique_handle.h"

namespace {

using WhatKeysDoYouWantFn = DWORD(__cdecl*)();
using EnumerateProgrammableFunctionFn = const char*(__cdecl*)(DWORD);
using AreYouInFocusFn = BOOL(__cdecl*)();
using HandleKeyFn = BOOL(__cdecl*)(DWORD, DWORD, DWORD);
using ConfigureFn = int(__cdecl*)(HWND);

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoPlugin = 2;
constexpr int kExitMissingExport = 3;

// A list longer than this is a plug-in that never ends its list.
constexpr DWORD kMaxFunctions = 256;

struct Plugin {
  WhatKeysDoYouWantFn whatKeysDoYouWant = nullptr;
  EnumerateProgrammableFunctionFn enumerateProgrammableFunction = nullptr;
  AreYouInFocusFn areYouInFocus = nullptr;
  HandleKeyFn handleKey = nullptr;
  ConfigureFn configure = nullptr;
};

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& function) {
  function = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  if (function == nullptr) std::printf("missing export: %s\n", name);
  return function != nullptr;
}

std::optional<DWORD> ParseNumber(const char* text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 0);
  if (end == text || *end != '\0' || value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<DWORD>(value);
}

int Usage() {
  std::printf(
      "usage: kelpo-remote-host PLUGIN.dll [handlekey PROGRAMMABLE KEY EVENT | focus | "
      "configure [OWNER]]\n");
  return kExitUsage;
}

void ReportOffer(const Plugin& plugin) {
  std::printf("WhatKeysDoYouWant: %lu\n", static_cast<unsigned long>(plugin.whatKeysDoYouWant()));
  for (DWORD index = 0; index < kMaxFunctions; ++index) {
    const char* name = plugin.enumerateProgrammableFunction(index);
    std::printf("EnumerateProgrammableFunction(%lu): %s\n", static_cast<unsigned long>(index),
                name != nullptr ? name : "(null)");
    if (name == nullptr) break;
  }
}

int RunCommand(const Plugin& plugin, int argc, char** argv) {
  const std::string command = argv[2];
  if (command == "handlekey" && argc == 6) {
    const auto programmable = ParseNumber(argv[3]);
    const auto key = ParseNumber(argv[4]);
    const auto event = ParseNumber(argv[5]);
    if (!programmable || !key || !event) return Usage();
    std::printf("HandleKey: %d\n", plugin.handleKey(*programmable, *key, *event));
    return kExitOk;
  }
  if (command == "focus" && argc == 3) {
    std::printf("AreYouInFocus: %d\n", plugin.areYouInFocus());
    return kExitOk;
  }
  if (command == "configure" && (argc == 3 || argc == 4)) {
    const auto owner = argc == 4 ? ParseNumber(argv[3]) : std::optional<DWORD>(0);
    if (!owner) return Usage();
    // Window handles fit in 32 bits on every Windows version, 64-bit included.
    const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*owner));
    std::printf("Configure: %d\n", plugin.configure(window));
    return kExitOk;
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const kelpo::unique_hmodule module(::LoadLibraryA(argv[1]));
  if (!module) {
    std::printf("cannot load %s (error %lu)\n", argv[1],
                static_cast<unsigned long>(::GetLastError()));
    return kExitNoPlugin;
  }
  Plugin plugin;
  bool complete = Resolve(module.get(), "WhatKeysDoYouWant", plugin.whatKeysDoYouWant);
  complete &=
      Resolve(module.get(), "EnumerateProgrammableFunction", plugin.enumerateProgrammableFunction);
  complete &= Resolve(module.get(), "AreYouInFocus", plugin.areYouInFocus);
  complete &= Resolve(module.get(), "HandleKey", plugin.handleKey);
  complete &= Resolve(module.get(), "Configure", plugin.configure);
  if (!complete) return kExitMissingExport;

  ReportOffer(plugin);
  const int result = argc > 2 ? RunCommand(plugin, argc, argv) : kExitOk;
  std::fflush(stdout);
  return result;
}
