#include "capture/device_choice_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace kelpo {
namespace {

const std::wstring kUsbA = L"\\\\?\\usb#vid_046d&pid_0825#a";
const std::wstring kUsbB = L"\\\\?\\usb#vid_046d&pid_0826#b";
const std::wstring kUpperUsb = L"\\\\?\\USB#VID_045E&PID_0779#c";
const std::wstring kCard = L"\\\\?\\pci#ven_109e&dev_036e#d";

// Runs the choice over devices that bind unless listed in `refusing`;
// reports the chosen index and every device it bound, in order.
struct Outcome {
  std::optional<std::size_t> chosen;
  std::vector<std::size_t> bound;
};

Outcome Choose(const std::vector<std::wstring>& paths, const std::wstring& configured,
               const std::set<std::size_t>& refusing = {}) {
  Outcome outcome;
  outcome.chosen = ChooseDevice(paths, configured, [&](std::size_t i) {
    outcome.bound.push_back(i);
    return refusing.count(i) == 0;
  });
  return outcome;
}

TEST(ChooseDevice, ConfiguredDeviceWinsWhenPresentAndFirstBindableWhenAbsent) {
  // The second camera is configured: it replaces the first, bound before it.
  Outcome outcome = Choose({kUsbA, kUsbB}, kUsbB);
  EXPECT_EQ(outcome.chosen, 1u);
  EXPECT_EQ(outcome.bound, (std::vector<std::size_t>{0, 1}));

  // A configured device no longer attached: the first camera stays.
  outcome = Choose({kCard, kUsbA, kUsbB}, L"\\\\?\\usb#gone");
  EXPECT_EQ(outcome.chosen, 0u);
  EXPECT_EQ(outcome.bound, (std::vector<std::size_t>{0}));

  // One that will not bind (in use elsewhere) leaves the next one to be taken.
  outcome = Choose({kCard, kUsbA}, L"\\\\?\\usb#gone", {0});
  EXPECT_EQ(outcome.chosen, 1u);

  // A device listed after the configured one does not replace it.
  outcome = Choose({kUsbA, kUsbB}, kUsbA);
  EXPECT_EQ(outcome.chosen, 0u);
  EXPECT_EQ(outcome.bound, (std::vector<std::size_t>{0}));

  EXPECT_EQ(Choose({}, kUsbA).chosen, std::nullopt);
}

TEST(ChooseDevice, WithoutAConfiguredPathTheLastUsbDeviceWins) {
  EXPECT_EQ(Choose({kCard, kUsbA, kUsbB}, L"").chosen, 2u);
  EXPECT_EQ(Choose({kCard, kCard}, L"").chosen, 0u);
  // A USB prefix in capitals is not USB.
  EXPECT_EQ(Choose({kCard, kUpperUsb}, L"").chosen, 0u);
  // A device without a path matches the empty configured path.
  EXPECT_EQ(Choose({kUsbA, L""}, L"").chosen, 1u);
}

TEST(ChooseDevice, PathsCompareWithLetterCase) {
  std::wstring shouted = kUsbB;
  shouted[4] = L'U';
  EXPECT_EQ(Choose({kUsbA, kUsbB}, shouted).chosen, 0u);
  EXPECT_TRUE(IsUsbDevicePath(kUsbA));
  EXPECT_FALSE(IsUsbDevicePath(kUpperUsb));
  EXPECT_FALSE(IsUsbDevicePath(L"\\\\?\\usb"));
}

}  // namespace
}  // namespace kelpo
