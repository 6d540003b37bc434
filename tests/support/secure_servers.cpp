#include "support/secure_servers.h"

#include "common/unique_handle.h"
#include "support/kelpo_process.h"

#include <wincrypt.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelpo::test {

namespace {

constexpr wchar_t kStateVariable[] = L"KELPO_SECURE_STATE";
constexpr DWORD kPathCapacity = 4096;
constexpr std::size_t kReadChunk = 4096;

void CloseStore(HCERTSTORE store) noexcept { (void)::CertCloseStore(store, 0); }
using unique_cert_store = unique_handle<HCERTSTORE, CloseStore>;

// The state folder ending in a backslash: the one the servers were told, as
// Wine shows the Unix root on drive Z:, or the default beside the build.
std::wstring StateFolder() {
  wchar_t unixPath[kPathCapacity] = {};
  const DWORD length = ::GetEnvironmentVariableW(kStateVariable, unixPath, kPathCapacity);
  if (length == 0 || length >= kPathCapacity) {
    return ProgramFolder() + L"..\\..\\secure-servers\\";
  }
  std::wstring folder = L"Z:";
  for (const wchar_t* c = unixPath; *c; ++c) folder += *c == L'/' ? L'\\' : *c;
  return folder + L"\\";
}

std::wstring WindowsPath(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

}  // namespace

std::wstring SecureStateFile(const wchar_t* name) { return StateFolder() + name; }

std::vector<std::uint8_t> ReadSecureStateBytes(const wchar_t* name) {
  unique_file file(::CreateFileW(SecureStateFile(name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::vector<std::uint8_t> bytes;
  if (!file) return bytes;
  std::uint8_t buffer[kReadChunk];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

std::string ReadSecureStateText(const wchar_t* name) {
  const std::vector<std::uint8_t> bytes = ReadSecureStateBytes(name);
  std::string text(bytes.begin(), bytes.end());
  const char* const kSpace = " \t\r\n";
  const auto first = text.find_first_not_of(kSpace);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::wstring SecureHomePath(const std::wstring& name) {
  return StateFolder() + L"home\\" + WindowsPath(name);
}

std::wstring DavPath(const std::wstring& name) {
  return StateFolder() + L"dav\\" + WindowsPath(name);
}

bool TrustTestCa() {
  const std::vector<std::uint8_t> der = ReadSecureStateBytes(L"ca.der");
  if (der.empty()) return false;
  unique_cert_store root(
      ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT"));
  if (!root) return false;
  return ::CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING, der.data(),
                                            static_cast<DWORD>(der.size()),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
}

}  // namespace kelpo::test
