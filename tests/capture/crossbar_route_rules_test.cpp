#include "capture/crossbar_route_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelpo {
namespace {

// A chain of crossbars as a table: each has one video output and one video
// input, fed by the crossbar named in `feeds` (or by nothing).
class Chain final : public CrossbarWalk {
 public:
  static constexpr std::size_t kNothing = static_cast<std::size_t>(-2);
  std::vector<std::size_t> fedBy;  // per crossbar

  Link UpstreamOf(std::size_t crossbar, long, Upstream& upstream) override {
    const std::size_t from = crossbar == kStartPin ? 0 : fedBy[crossbar];
    if (from == kNothing) return Link::kNone;
    upstream = Upstream{from, 0};
    return Link::kCrossbar;
  }
  long InputCount(std::size_t) override { return 1; }
  std::optional<CrossbarPinInfo> PinInfo(std::size_t, bool input, long) override {
    return CrossbarPinInfo{kNoPin, input ? 2 : 12};
  }
  bool CanRoute(std::size_t, long, long) override { return true; }
};

TEST(CrossbarRoutes, ConnectorNamesAndChainsThatNeverEnd) {
  EXPECT_EQ(std::wstring(ConnectorTypeName(3)) + ConnectorTypeName(0x1001) + ConnectorTypeName(14),
            L"Video SVideoAudio LineUnknown");

  // A chain as deep as the bound is one route through every crossbar.
  Chain chain;
  for (std::size_t i = 0; i + 1 < kMaxCrossbarDepth; ++i) chain.fedBy.push_back(i + 1);
  chain.fedBy.push_back(Chain::kNothing);
  const std::vector<CrossbarRoute> routes = FindCrossbarRoutes(chain);
  ASSERT_EQ(routes.size(), 1u);
  ASSERT_EQ(routes[0].size(), static_cast<std::size_t>(kMaxCrossbarDepth));
  EXPECT_EQ(routes[0].front().depth, kMaxCrossbarDepth - 1);
  EXPECT_EQ(routes[0].back().crossbar, 0u);

  // One crossbar deeper, or a chain that leads back into itself (a faulty
  // driver), ends the search without a route instead of recursing for ever.
  chain.fedBy.back() = kMaxCrossbarDepth;
  chain.fedBy.push_back(Chain::kNothing);
  EXPECT_TRUE(FindCrossbarRoutes(chain).empty());
  chain.fedBy = {1, 2, 0};
  EXPECT_TRUE(FindCrossbarRoutes(chain).empty());
}

}  // namespace
}  // namespace kelpo
