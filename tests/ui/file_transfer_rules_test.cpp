#include "ui/file_transfer_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(FileTransferRules, CertPinIsAWholeSha256AsBrowsersAndOpensslPrintIt) {
  const std::wstring pin = L"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  EXPECT_EQ(CertPinFromText(L"sha256 Fingerprint=01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:"
                            L"01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF"),
            pin);
  EXPECT_EQ(CertPinFromText(L" 0123 4567 89Ab cDeF\t" + pin.substr(16)), pin);
  EXPECT_EQ(CertPinFromText(L" "), L"");  // no pin
  for (const std::wstring& bad : {pin.substr(1), pin + L"0", L"g" + pin.substr(1),
                                  L"0x" + pin.substr(2), std::wstring(L"Fingerprint=")}) {
    EXPECT_FALSE(CertPinFromText(bad)) << bad;
  }
}

}  // namespace
}  // namespace kelpo
