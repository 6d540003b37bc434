#include "app/application.h"
#include "app/command_line.h"
#include "app/message_catalogue.h"
#include "settings/registry_store.h"
#include "support/registry_fixture.h"

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

TEST(CommandLine, OnlyTheWholeWordOneshotInAnyCaseIsAOneShotRun) {
  for (const char* oneShot : {"oneshot", "ONESHOT", "OneShot", "oNeShOt"}) {
    EXPECT_TRUE(IsOneShotCommandLine(oneShot)) << oneShot;
  }
  for (const char* normal :
       std::initializer_list<const char*>{"", " oneshot", "oneshot ", "oneshot now", "\"oneshot\"",
                                          "one shot", "onesho", nullptr}) {
    EXPECT_FALSE(IsOneShotCommandLine(normal)) << (normal ? normal : "(null)");
  }
}

Application* runningApp = nullptr;

// Runs inside Run's message loop, as a window procedure's handler would.
void CALLBACK DeferChangeDeviceError(HWND, UINT, UINT_PTR timer, DWORD) {
  (void)::KillTimer(nullptr, timer);
  runningApp->DeferError(std::make_exception_ptr(Error{kMsgChangeDeviceFailed}));
}

using RunTest = test::RegistryTest;

TEST_F(RunTest, ErrorKeptByAWindowProcedureEndsRunWithItsId) {
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  {
    Application application;
    runningApp = &application;
    ASSERT_NE(::SetTimer(nullptr, 0, 1, DeferChangeDeviceError), 0u);
    int raised = 0;
    try {
      application.Run();
    } catch (const Error& error) {
      raised = error.id;
    }
    EXPECT_EQ(raised, kMsgChangeDeviceFailed);
    EXPECT_FALSE(application.pendingError);
    runningApp = nullptr;
  }
  // The program ends the way a raised error ends it: nothing is saved.
  EXPECT_FALSE(test::GetRawValue(L"JPEGquality"));
}

}  // namespace
}  // namespace kelpo
