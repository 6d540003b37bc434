#include "picture/archive_rules.h"
#include "picture/name_field_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(NameFields, ExpandAcrossYearAndMonthBoundsIntoSafeNames) {
  const NameTime newYear{2027, 1, 1, 0, 0, 5};
  const NameTime lastSecond{2026, 12, 31, 23, 59, 59};
  const wchar_t* pattern = L"C:\\cam\\%Y\\%m\\%d\\%H%M%S.jpg";
  EXPECT_EQ(ExpandNameFields(pattern, newYear), L"C:\\cam\\2027\\01\\01\\000005.jpg");
  EXPECT_EQ(ExpandNameFields(pattern, lastSecond), L"C:\\cam\\2026\\12\\31\\235959.jpg");
  // Stored names without fields stay as they are, odd percent signs too.
  EXPECT_FALSE(HasNameFields(L"C:\\100%\\a%b%.jpg"));
  EXPECT_EQ(ExpandNameFields(L"C:\\100%\\a%b%.jpg", newYear), L"C:\\100%\\a%b%.jpg");
  EXPECT_TRUE(HasNameFields(L"50%%.jpg"));
  EXPECT_EQ(ExpandNameFields(L"50%%%Y%%.jpg", newYear), L"50%2027%.jpg");
}

TEST(NameFields, SplitWhereTheFirstFieldMakesAFolder) {
  const FieldPath local = SplitAtFirstField(L"C:\\cam/day%d\\x\\%H.jpg", kLocalSeparators);
  EXPECT_EQ(local.fixed, L"C:\\cam/");
  EXPECT_EQ(local.fielded, L"day%d\\x\\%H.jpg");
  EXPECT_EQ(SplitAtFirstField(L"%Y.jpg", kRemoteSeparators).fixed, L"");
  EXPECT_EQ(SplitAtFirstField(L"a/100%/b.jpg", kRemoteSeparators).fielded, L"");
  EXPECT_EQ(FolderOf(L"2026/12/x.jpg", kRemoteSeparators), L"2026/12");
  EXPECT_EQ(LeafOf(L"2026/12/x.jpg", kRemoteSeparators), L"x.jpg");
}

TEST(NameFields, RemoteNamesKeepTheUsersDirectoryAndMakeTheRest) {
  const NameTime when{2026, 3, 4, 5, 6, 7};
  const RemotePlace archive = ExpandRemoteName(L"/pub/cam/", L"/archive/%Y/%m%d.jpg", when);
  EXPECT_EQ(archive.directory, L"/pub/cam");
  EXPECT_EQ(archive.folders, L"archive/2026");
  EXPECT_EQ(archive.filename, L"0304.jpg");
  const RemotePlace fresh = ExpandRemoteName(L"/%Y/x", L"webcam.jpg", when);
  EXPECT_EQ(fresh.directory, L"/");
  EXPECT_EQ(fresh.folders, L"2026/x");
  const RemotePlace plain = ExpandRemoteName(L"", L"webcam.jpg", when);
  EXPECT_EQ(plain.directory + plain.folders + plain.filename, L"webcam.jpg");
}

TEST(NameFields, MatchOnlyWhatThePatternMakes) {
  const wchar_t* pattern = L"%Y\\%m\\Cam%H%M%%.jpg";
  EXPECT_TRUE(MatchesFieldPath(pattern, L"2026\\12/cam0930%.JPG", kLocalSeparators));
  EXPECT_FALSE(MatchesFieldPath(pattern, L"2026\\12\\cam093%.jpg", kLocalSeparators));
  EXPECT_FALSE(MatchesFieldPath(pattern, L"2026\\1x\\cam0930%.jpg", kLocalSeparators));
  EXPECT_FALSE(MatchesFieldPath(pattern, L"2026\\12\\cam0930%.jpg.txt", kLocalSeparators));
  EXPECT_FALSE(MatchesFieldPath(pattern, L"2026\\cam0930%.jpg", kLocalSeparators));
}

TEST(ArchiveRules, ArchiveOncePerIntervalAndAfterAClockTurnedBack) {
  EXPECT_TRUE(ArchiveDue(std::nullopt, 1000, 10));
  EXPECT_TRUE(ArchiveDue(1000, 1010, 0));
  EXPECT_FALSE(ArchiveDue(1000, 1000 + 9 * 60, 10));
  EXPECT_TRUE(ArchiveDue(1000, 1000 + 10 * 60 - 1, 10));  // a timer a moment early
  EXPECT_TRUE(ArchiveDue(1000, 400, 10));
}

constexpr std::int64_t kNow = 100 * kSecondsPerDay;
constexpr std::uint64_t kMb = kBytesPerMegabyte;

TEST(ArchiveRules, RetentionTakesTheOldestOwnFilesOnly) {
  const std::vector<ArchivedFile> files = {
      {L"2026\\0102.jpg", kNow - 5 * kSecondsPerDay, kMb},
      {L"2026\\0101.jpg", kNow - 6 * kSecondsPerDay, kMb},
      {L"2026\\notes.txt", kNow - 50 * kSecondsPerDay, 9 * kMb},
      {L"2026\\0103.jpg", kNow - 1 * kSecondsPerDay, kMb},
      {L"2026\\0104.jpg", kNow, kMb},
  };
  const wchar_t* pattern = L"%Y\\%m%d.jpg";
  using Paths = std::vector<std::wstring>;
  EXPECT_EQ(ArchivedFilesToDelete(pattern, files, kNow, 5, 0), Paths{L"2026\\0101.jpg"});
  EXPECT_EQ(ArchivedFilesToDelete(pattern, files, kNow, 0, 2),
            (Paths{L"2026\\0101.jpg", L"2026\\0102.jpg"}));
  EXPECT_EQ(ArchivedFilesToDelete(pattern, files, kNow, 0, 0), Paths{});
  // The newest stays even when it alone is too large.
  EXPECT_EQ(ArchivedFilesToDelete(pattern, files, kNow + 999 * kSecondsPerDay, 1, 0).size(), 3u);
}

TEST(ArchiveRules, AClockTurnedBackDeletesNoNewerFile) {
  // Pictures were kept until day 100; the clock then went back to day 40, and
  // two pictures have been taken since, dated days 40 and 41.
  const std::vector<ArchivedFile> files = {
      {L"01.jpg", 99 * kSecondsPerDay, kMb},
      {L"02.jpg", 100 * kSecondsPerDay, kMb},
      {L"03.jpg", 40 * kSecondsPerDay, kMb},
      {L"04.jpg", 41 * kSecondsPerDay, kMb},
  };
  EXPECT_TRUE(ArchivedFilesToDelete(L"%S.jpg", files, 41 * kSecondsPerDay, 0, 1).empty());
  EXPECT_TRUE(ArchivedFilesToDelete(L"%S.jpg", files, 41 * kSecondsPerDay, 1, 0).empty());
}

}  // namespace
}  // namespace kelpo
