// Access to the local test FTP servers (tests/support/ftp_server.py) that
// tests/support/services starts: their accounts, the folder holding the
// homes, and each server's count of open connections, seen from inside Wine.
#pragma once

#include "common/win32.h"

#include "common/unique_handle.h"
#include "support/kelpo_process.h"

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

namespace kelpo::test {

constexpr wchar_t kFtpServer[] = L"127.0.0.1";
// Nothing listens here: the loopback network answers with a refusal.
constexpr wchar_t kRefusingServer[] = L"127.0.0.2";
// Accepts at once but greets each connection only after kLateGreeting: a
// connect to it completes late, and succeeds.
constexpr wchar_t kLateServer[] = L"127.0.0.3";
constexpr DWORD kLateGreeting = 2000;
// Accepts connections and never says a word.
constexpr wchar_t kSilentServer[] = L"127.0.0.4";
constexpr wchar_t kFtpPassword[] = L"secret";
constexpr wchar_t kFtpDirectory[] = L"webcam";
constexpr wchar_t kNormalUser[] = L"kelpo";
constexpr wchar_t kNoDirectoryUser[] = L"nodir";
constexpr wchar_t kReadOnlyUser[] = L"readonly";
constexpr wchar_t kStallingUser[] = L"stall";
// The server drops the connection once the first bytes of the file arrived.
constexpr wchar_t kDroppingUser[] = L"drop";
// Files arrive at kSlowRate bytes a second.
constexpr wchar_t kSlowUser[] = L"slow";
constexpr std::size_t kSlowRate = 16 * 1024;

inline std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path);

// A file that tests/support/services keeps in build/ftp-server, seen from
// build/<preset>/bin/.
inline std::wstring FtpStateFile(const wchar_t* name) {
  return ProgramFolder() + L"..\\..\\ftp-server\\" + name;
}

// The folder of the account homes as a Windows path, empty when the server's
// state file cannot be found.
inline std::wstring FtpHomesFolder() {
  // The file holds a Unix path; Wine shows the Unix root as drive Z:.
  const std::vector<std::uint8_t> bytes = ReadWholeFile(FtpStateFile(L"root"));
  std::wstring folder = L"Z:";
  for (std::uint8_t byte : bytes) {
    if (byte == '\n' || byte == '\r') break;
    folder += byte == '/' ? L'\\' : static_cast<wchar_t>(byte);
  }
  return bytes.empty() ? std::wstring() : folder;
}

// How many connections the server at `server` (kFtpServer or kLateServer)
// holds open; -1 when it does not say.
inline int OpenFtpConnections(const wchar_t* server) {
  const bool late = std::wstring(server) == kLateServer;
  const std::vector<std::uint8_t> bytes =
      ReadWholeFile(FtpStateFile(late ? L"late-open" : L"open"));
  if (bytes.empty()) return -1;
  int count = 0;
  for (std::uint8_t byte : bytes) {
    if (byte < '0' || byte > '9') break;
    count = count * 10 + (byte - '0');
  }
  return count;
}

inline std::wstring FtpFilePath(const std::wstring& user, const std::wstring& directory,
                                const std::wstring& name) {
  std::wstring path = FtpHomesFolder() + L"\\" + user;
  if (!directory.empty()) path += L"\\" + directory;
  return path + L"\\" + name;
}

inline std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
  unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::vector<std::uint8_t> bytes;
  if (!file) return bytes;
  std::uint8_t buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

inline bool WriteWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

inline bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::vector<std::uint8_t> SampleJpegBytes(std::size_t size, unsigned seed) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  if (size >= 4) {
    bytes[0] = 0xFF;
    bytes[1] = 0xD8;
    bytes[size - 2] = 0xFF;
    bytes[size - 1] = 0xD9;
  }
  return bytes;
}

}  // namespace kelpo::test
