#include "app/application.h"
#include "common/message_catalogue.h"
#include "picture/picture_test_support.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

// The picture worker's picture is in and handled.
constexpr DWORD kPictureWait = 30000;
bool PictureHandled(Application& application) {
  return test::WaitFor([&] { return !application.cycle().MakingPicture(); }, kPictureWait);
}

bool TakeQuitMessage() {
  MSG message;
  return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// The whole program in this process, configured through the registry.
class ApplicationTest : public test::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
    ASSERT_TRUE(WriteDword(L"deviceType", kDeviceImageFile));
    ASSERT_TRUE(WriteString(L"devicePath", source));
    ASSERT_TRUE(WriteDword(L"disableFTP", 1));
    ASSERT_TRUE(WriteDword(L"datestamp", 0));
    ASSERT_TRUE(WriteDword(L"timestamp", 0));
  }
  void TearDown() override {
    (void)TakeQuitMessage();
    RegistryTest::TearDown();
  }

  // Starts a one-shot run; true when it asked to end.
  bool OneShotEnds(Application& application) {
    (void)TakeQuitMessage();
    application.Start();
    return PictureHandled(application) && TakeQuitMessage();
  }

  GdiplusSession gdiplus;
  test::ScratchFolder folder;
  std::wstring source = folder.File(L"source.png");
  std::wstring localFile = folder.File(L"webcam.jpg");
  Application::Options oneShot{true};
};

TEST_F(ApplicationTest, OneShotRunsEndWhenThereIsNothingToDeliverOrNoPicture) {
  test::SavePng(*test::SolidBitmap(160, 120, test::kRed), source);
  {
    // FTP off and no local file: no picture is taken.
    Application application(oneShot);
    EXPECT_TRUE(OneShotEnds(application));
    EXPECT_FALSE(application.pictures().HasTempFile());
  }
  {
    // Saved locally with FTP off: the picture is taken, then the run ends.
    ASSERT_TRUE(WriteDword(L"savetofile", 1));
    ASSERT_TRUE(WriteString(L"localfilename", localFile));
    Application application(oneShot);
    EXPECT_TRUE(OneShotEnds(application));
    EXPECT_TRUE(test::IsJpeg(localFile));
  }
  {
    // No camera: the run goes on with an image-file source without a file,
    // takes no picture and ends; the camera stays configured for next time.
    ASSERT_TRUE(WriteDword(L"deviceType", kDeviceCamera));
    Application application(oneShot);
    EXPECT_TRUE(OneShotEnds(application));
    EXPECT_EQ(application.settings().deviceType, kDeviceImageFile);
    EXPECT_TRUE(application.settings().devicePath.empty());
    EXPECT_EQ(test::GetRawDword(L"deviceType"), std::optional<std::uint32_t>(kDeviceCamera));
  }
}

TEST_F(ApplicationTest, EveryTrayPictureSaysWhatBecameOfItAndAGoneSourceDeliversNothing) {
  test::SavePng(*test::SolidBitmap(160, 120, test::kRed), source);
  ASSERT_TRUE(WriteDword(L"savetofile", 1));
  ASSERT_TRUE(WriteString(L"localfilename", localFile));
  Application application;
  application.Start();
  ASSERT_TRUE(PictureHandled(application));
  application.window().SetStatus(kMsgFtpConnectFailed);
  application.cycle().RequestPicture();
  ASSERT_TRUE(PictureHandled(application));
  EXPECT_EQ(application.window().LastStatus(), kMsgPictureSaved);

  // An old error did not stay; a source removed, or now text, is not sent again.
  ASSERT_TRUE(::DeleteFileW(localFile.c_str()));
  test::WriteBytes(source, {'t', 'e', 'x', 't'});
  application.cycle().RequestPicture();
  ASSERT_TRUE(PictureHandled(application));
  EXPECT_EQ(application.window().LastStatus(), kMsgPictureFailed);
  ASSERT_TRUE(::DeleteFileW(source.c_str()));
  application.cycle().RequestPicture();
  ASSERT_TRUE(PictureHandled(application));
  EXPECT_EQ(application.window().LastStatus(), kMsgPictureFailed);
  EXPECT_EQ(::GetFileAttributesW(localFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ApplicationTest, TheLargestPictureIsMadeOnAWorkerWhileTheWindowAnswers) {
  constexpr std::uint32_t kWidth = 8192;  // 32 Mi pixels: the most a picture may have
  constexpr std::uint32_t kHeight = 4096;
  test::SavePng(*test::SolidBitmap(kWidth, kHeight, test::kRed), source);
  ASSERT_TRUE(WriteDword(L"UseCustomImageSize", 1));
  ASSERT_TRUE(WriteDword(L"CustomSizeX", kWidth));
  ASSERT_TRUE(WriteDword(L"CustomSizeY", kHeight));
  ASSERT_TRUE(WriteDword(L"savetofile", 1));
  ASSERT_TRUE(WriteString(L"localfilename", localFile));
  Application application;
  application.Start();
  ASSERT_TRUE(application.cycle().MakingPicture());

  // Another program asks the window while the picture is made.
  constexpr UINT kAnswerBound = 1000;
  std::atomic<bool> made{false};
  std::atomic<int> answers{0};
  std::atomic<bool> unanswered{false};
  std::thread asker([&, window = application.window().handle()] {
    while (!made) {
      DWORD_PTR result = 0;
      if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerBound, &result) == 0) {
        unanswered = true;
      } else if (!made) {
        ++answers;
      }
      ::Sleep(10);
    }
  });
  // Its button is off meanwhile, as during an upload.
  const HWND button = ::GetDlgItem(application.window().handle(), IDC_TAKE_PICTURE);
  EXPECT_FALSE(::IsWindowEnabled(button));
  const bool handled = PictureHandled(application);
  made = true;
  asker.join();
  ASSERT_TRUE(handled);
  EXPECT_GT(answers, 0);
  EXPECT_FALSE(unanswered);
  EXPECT_EQ(application.window().LastStatus(), kMsgPictureSaved);
  EXPECT_TRUE(::IsWindowEnabled(button));
  const auto picture = test::ReadPicture(localFile);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetWidth(), kWidth);
  EXPECT_EQ(picture->GetHeight(), kHeight);
}

Application* runningApp = nullptr;

// Runs inside Run's message loop, as a window procedure's handler would.
void CALLBACK DeferChangeDeviceError(HWND, UINT, UINT_PTR timer, DWORD) {
  (void)::KillTimer(nullptr, timer);
  runningApp->OnUnhandledError(std::make_exception_ptr(Error{kMsgChangeDeviceFailed}));
}

TEST_F(ApplicationTest, ErrorKeptByAWindowProcedureEndsRunWithItsId) {
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
    runningApp = nullptr;
  }
  // The program ends the way a raised error ends it: nothing is saved.
  EXPECT_FALSE(test::GetRawValue(L"JPEGquality"));
}

}  // namespace
}  // namespace kelpo
