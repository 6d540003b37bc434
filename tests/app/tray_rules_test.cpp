#include "app/tray_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(TrayTipText, ShowsStatusAndTimeAndCutsOnlyTheStatus) {
  const std::wstring format = L"Kelpo: %1 (%2)";
  EXPECT_EQ(TrayTipText(format, L"Upload finished", L"14:02"), L"Kelpo: Upload finished (14:02)");
  EXPECT_EQ(TrayTipText(format, L"50%2 done", L"9:05 PM"), L"Kelpo: 50%2 done (9:05 PM)");
  const std::wstring cut = TrayTipText(format, std::wstring(300, L'x'), L"14:02");
  EXPECT_EQ(cut.size(), kTrayTipCapacity - 1);
  EXPECT_EQ(cut.substr(cut.size() - 13), L"xx... (14:02)");
  // A pair cut in half would show as a broken character.
  std::wstring smiles = L"a";
  for (int i = 0; i < 10; ++i) smiles += L"\xD83D\xDE00";
  EXPECT_EQ(TrayTipText(L"%1", smiles, L"", 10), L"a\xD83D\xDE00\xD83D\xDE00...");
  EXPECT_EQ(TrayTipText(format, L"status", std::wstring(200, L'9')).size(), kTrayTipCapacity - 1);
}

TEST(DecodeTrayNews, Version4CarriesEventIconAndSignedAnchor) {
  const TrayNews news = DecodeTrayNews(true, 0xFFF6FFE2u, 0x0000007B);
  EXPECT_EQ(news.event, 0x7Bu);  // WM_CONTEXTMENU
  EXPECT_EQ(news.x, -30);        // a monitor left of the primary one
  EXPECT_EQ(news.y, -10);
  const TrayNews old = DecodeTrayNews(false, 1, 0x0201);
  EXPECT_EQ(old.event, 0x0201u);
  EXPECT_EQ(old.iconId, 1u);
  EXPECT_FALSE(old.hasAnchor);
}

}  // namespace
}  // namespace kelpo
