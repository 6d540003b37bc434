#include "upload/fingerprint_rules.h"

namespace kelpo {

std::wstring SshFingerprint(const std::uint8_t* digest, std::size_t size) {
  static constexpr wchar_t kAlphabet[] =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  constexpr int kBitsPerDigit = 6;
  constexpr std::uint32_t kDigitMask = 0x3F;
  std::wstring text = L"SHA256:";
  std::uint32_t bits = 0;
  int held = 0;
  for (std::size_t i = 0; i < size; ++i) {
    bits = (bits << 8) | digest[i];
    held += 8;
    while (held >= kBitsPerDigit) {
      held -= kBitsPerDigit;
      text += kAlphabet[(bits >> held) & kDigitMask];
    }
  }
  if (held > 0) text += kAlphabet[(bits << (kBitsPerDigit - held)) & kDigitMask];
  return text;
}

std::wstring HexFingerprint(const std::uint8_t* digest, std::size_t size) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring text;
  for (std::size_t i = 0; i < size; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 0xF];
  }
  return text;
}

bool PinMatches(const std::wstring& pin, const std::uint8_t* digest, std::size_t size) {
  std::wstring digits;
  for (wchar_t c : pin) {
    if (c == L':' || c == L' ') continue;
    if (c >= L'A' && c <= L'F') c = static_cast<wchar_t>(c - L'A' + L'a');
    digits += c;
  }
  return size == kSha256Bytes && digits == HexFingerprint(digest, size);
}

}  // namespace kelpo
