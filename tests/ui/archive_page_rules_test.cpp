#include "ui/archive_page_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(ArchivePageRules, OnlyFullLocalPathsAndRemoteNamesUnderTheDirectoryAreAccepted) {
  for (const wchar_t* full : {L"C:\\Kelpo\\%Y.jpg", L"d:/a.jpg", L"\\\\nas\\share\\%H.jpg"}) {
    EXPECT_TRUE(IsFullLocalPath(full)) << full;
  }
  for (const wchar_t* refused :
       {L"archive\\%Y.jpg", L"C:archive.jpg", L"\\archive.jpg", L"\\\\nas", L"\\\\\\share\\a.jpg",
        L"%Y\\a.jpg", L"C:\\%H:%M.jpg", L"C:\\a?.jpg"}) {
    EXPECT_FALSE(IsFullLocalPath(refused)) << refused;
  }
  EXPECT_TRUE(StaysUnderDirectory(L"archive/%Y/..%m../%H.jpg"));
  EXPECT_TRUE(StaysUnderDirectory(L""));
  for (const wchar_t* outside : {L"archive/../../%Y.jpg", L"..", L"a\\..\\b"}) {
    EXPECT_FALSE(StaysUnderDirectory(outside)) << outside;
  }
  EXPECT_EQ(RemotePathOf(L"webcam/", L"/a/b.jpg"), L"webcam/a/b.jpg");
  EXPECT_EQ(RemotePathOf(L"/", L"b.jpg"), L"/b.jpg");
  EXPECT_EQ(RemotePathOf(L"", L"b.jpg"), L"b.jpg");
}

TEST(ArchivePageRules, AChosenFolderKeepsTheFieldsOfTheName) {
  EXPECT_EQ(ArchiveInFolder(L"E:\\History\\", L"C:\\Old\\%Y-%m\\day %d.jpg"),
            L"E:\\History\\%Y-%m\\day %d.jpg");
  // A name without fields (an unknown "%x" is none) gets the default ones.
  EXPECT_EQ(ArchiveInFolder(L"E:\\", L"C:\\Old\\100%x.jpg"),
            std::wstring(L"E:\\") + kDefaultArchiveFields);
  EXPECT_EQ(FixedFolderOf(L"C:\\Old 100%\\%Y\\%H.jpg"), L"C:\\Old 100%");
  EXPECT_EQ(FixedFolderOf(L"C:\\%Y\\%H.jpg"), L"C:\\");
  EXPECT_EQ(FixedFolderOf(L"C:\\Old\\webcam.jpg"), L"C:\\Old");
  EXPECT_EQ(FixedFolderOf(L"%Y.jpg"), L"");
}

}  // namespace
}  // namespace kelpo
