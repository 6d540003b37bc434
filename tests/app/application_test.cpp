#include "app/application.h"
#include "app/message_catalogue.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(MessageCatalogue, LoadsTextsAndCutsToCapacity) {
  EXPECT_EQ(LoadText(kMsgErrorTitle, kTipTextCapacity), L"Kelpo Error");
  EXPECT_EQ(LoadText(kMsgUploadTooLong, kStatusTextCapacity),
            L"Canceled uploading the image because it took too long.");
  EXPECT_EQ(LoadText(kMsgErrorTitle, 6), L"Kelpo");
  EXPECT_EQ(LoadText(0, kErrorTextCapacity), L"");
  EXPECT_EQ(LoadText(63, kErrorTextCapacity), L"");
}

TEST(Application, StartsAndStopsThePlatformServices) {
  Application application;
  EXPECT_NE(application.internetHandle, nullptr);
  EXPECT_NE(application.gdiplusToken, 0u);
  EXPECT_TRUE(application.smallIcon);
  EXPECT_EQ(application.productName, L"Kelpo");
}

}  // namespace
}  // namespace kelpo
