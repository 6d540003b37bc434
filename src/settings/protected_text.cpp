#include "common/win32.h"

#include <wincrypt.h>

#include "settings/protected_text.h"

#include "settings/registry_store.h"

#include <cstring>
#include <vector>

namespace kelpo {

namespace {

// Mixed into every protection, so another program of the same user does not
// read Kelpo's values by merely asking DPAPI.
constexpr char kEntropy[] = "Kelpo upload credentials";

DATA_BLOB EntropyBlob() {
  DATA_BLOB blob;
  blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy));
  blob.cbData = sizeof(kEntropy) - 1;
  return blob;
}

struct LocalBlob {
  DATA_BLOB blob{};
  ~LocalBlob() {
    if (blob.pbData != nullptr) {
      ::SecureZeroMemory(blob.pbData, blob.cbData);
      (void)::LocalFree(blob.pbData);
    }
  }
};

}  // namespace

bool ReadProtectedText(const wchar_t* name, std::wstring& text) {
  std::vector<std::uint8_t> stored;
  if (!ReadBinary(name, stored)) return false;
  // Nothing to protect was stored as nothing.
  if (stored.empty()) {
    text.clear();
    return true;
  }
  DATA_BLOB in{static_cast<DWORD>(stored.size()), stored.data()};
  DATA_BLOB entropy = EntropyBlob();
  LocalBlob out;
  if (!::CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out.blob) ||
      out.blob.cbData % sizeof(wchar_t) != 0) {
    return false;
  }
  std::wstring plain(out.blob.cbData / sizeof(wchar_t), L'\0');
  std::memcpy(plain.data(), out.blob.pbData, out.blob.cbData);
  text.swap(plain);
  ::SecureZeroMemory(plain.data(), plain.size() * sizeof(wchar_t));
  return true;
}

bool WriteProtectedText(const wchar_t* name, const std::wstring& text) {
  if (text.empty()) return WriteBinary(name, {});
  DATA_BLOB in{static_cast<DWORD>(text.size() * sizeof(wchar_t)),
               reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text.data()))};
  DATA_BLOB entropy = EntropyBlob();
  LocalBlob out;
  if (!::CryptProtectData(&in, L"Kelpo", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out.blob)) {
    return false;
  }
  return WriteBinary(name,
                     std::vector<std::uint8_t>(out.blob.pbData, out.blob.pbData + out.blob.cbData));
}

}  // namespace kelpo
