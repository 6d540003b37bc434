#include "remote/remote_registry.h"

#include "common/unique_handle.h"
#include "remote/remote_rules.h"

#include <array>

namespace kelpo::remote {
namespace {

constexpr wchar_t kSoundFileValueW[] = L"soundfile";

unique_hkey OpenForReading() {
  unique_hkey key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRemoteRegistryKey, 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

unique_hkey OpenForWriting() {
  unique_hkey key;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRemoteRegistryKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

}  // namespace

DWORD ReadSound(DWORD fallback) {
  const unique_hkey key = OpenForReading();
  if (!key) return fallback;
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegQueryValueExA(key.get(), kSoundValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return fallback;
  }
  return value;
}

std::optional<std::string> ReadSoundFile() {
  const unique_hkey key = OpenForReading();
  if (!key) return std::nullopt;
  // The stored UTF-16 is read as it is: the ANSI query quietly adds a missing
  // terminator, which would make a damaged value look sound. A fixed buffer rather
  // than a size query, since a value that does not fit is too long anyway.
  std::array<wchar_t, kSoundFileCapacity> stored{};
  DWORD type = REG_NONE;
  DWORD size = static_cast<DWORD>(stored.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key.get(), kSoundFileValueW, nullptr, &type,
                         reinterpret_cast<BYTE*>(stored.data()), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  const auto text = SoundFileFromValue(stored.data(), size / sizeof(wchar_t));
  if (!text) return std::nullopt;
  // The plug-in's strings are ANSI; a path the code page cannot hold in the
  // dialog's buffer is no usable path.
  std::array<char, kSoundFileCapacity> ansi{};
  if (::WideCharToMultiByte(CP_ACP, 0, text->c_str(), -1, ansi.data(),
                            static_cast<int>(ansi.size()), nullptr, nullptr) == 0) {
    return std::nullopt;
  }
  return std::string(ansi.data());
}

void WriteSound(DWORD sound) {
  const unique_hkey key = OpenForWriting();
  if (!key) return;
  (void)::RegSetValueExA(key.get(), kSoundValue, 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&sound), sizeof(sound));
}

void WriteSoundFile(const std::string& path) {
  const unique_hkey key = OpenForWriting();
  if (!key) return;
  (void)::RegSetValueExA(key.get(), kSoundFileValue, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(path.c_str()),
                         static_cast<DWORD>(path.size() + 1));
}

}  // namespace kelpo::remote
