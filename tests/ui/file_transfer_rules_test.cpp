#include "ui/file_transfer_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

const std::wstring kPin = L"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

TEST(FileTransferRules, CertPinTakesTheFingerprintAsBrowsersAndOpensslPrintIt) {
  EXPECT_EQ(CertPinFromText(kPin), kPin);
  EXPECT_EQ(CertPinFromText(L"sha256 Fingerprint=01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:"
                            L"01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF"),
            kPin);
  EXPECT_EQ(CertPinFromText(L" 01 23 45 67 89 Ab cD eF 0123456789ABCDEF0123456789abcdef"
                            L"0123456789abcdef\t"),
            kPin);
  // Nothing clears the pin.
  EXPECT_EQ(CertPinFromText(L""), L"");
  EXPECT_EQ(CertPinFromText(L" : "), L"");
}

TEST(FileTransferRules, CertPinRefusesAnythingButAWholeSha256) {
  EXPECT_FALSE(CertPinFromText(kPin.substr(1)));
  EXPECT_FALSE(CertPinFromText(kPin + L"0"));
  // A SHA-1 fingerprint, as older tools print by default.
  EXPECT_FALSE(CertPinFromText(L"01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67"));
  EXPECT_FALSE(CertPinFromText(L"g" + kPin.substr(1)));
  EXPECT_FALSE(CertPinFromText(L"0x" + kPin.substr(2)));
  EXPECT_FALSE(CertPinFromText(L"sha256 Fingerprint="));
}

}  // namespace
}  // namespace kelpo
