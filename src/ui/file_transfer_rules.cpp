#include "ui/file_transfer_rules.h"

namespace kelpo {

namespace {

constexpr std::size_t kSha256HexDigits = 64;

constexpr bool IsSeparator(wchar_t c) { return c == L':' || c == L' ' || c == L'\t'; }

constexpr std::optional<wchar_t> LowerHexDigit(wchar_t c) {
  if ((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')) return c;
  if (c >= L'A' && c <= L'F') return static_cast<wchar_t>(c - L'A' + L'a');
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> CertPinFromText(std::wstring_view text) {
  // openssl's whole line pasted: only what follows its '=' is the fingerprint.
  const std::size_t equals = text.rfind(L'=');
  if (equals != std::wstring_view::npos) text.remove_prefix(equals + 1);
  std::wstring pin;
  for (wchar_t c : text) {
    if (IsSeparator(c)) continue;
    const std::optional<wchar_t> digit = LowerHexDigit(c);
    if (!digit) return std::nullopt;
    pin += *digit;
  }
  // Empty text clears the pin; anything else must be a whole fingerprint.
  const bool cleared = pin.empty() && equals == std::wstring_view::npos;
  if (!cleared && pin.size() != kSha256HexDigits) return std::nullopt;
  return pin;
}

}  // namespace kelpo
