// kelpo.exe keeping a history: dated names on the disk and the FTP server,
// and the local archive's limit, which takes only its own oldest pictures.
#include "picture/name_field_rules.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"
#include "upload/ftp_test_server.h"

#include <shellapi.h>

#include <gtest/gtest.h>

namespace kelpo {
namespace {

using namespace kelpo::test;

constexpr wchar_t kArchivePattern[] = L"%Y\\%m\\%d\\%H%M%S.jpg";
constexpr std::int64_t kDay = 24LL * 60 * 60 * 10000000;  // in FILETIME steps

std::wstring Scratch(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  (void)::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name + L"\\";
  (void)::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// Every file below `root`, by its path below it.
void ListFiles(const std::wstring& root, const std::wstring& relative,
               std::vector<std::wstring>& files) {
  WIN32_FIND_DATAW entry{};
  const unique_hfind find(::FindFirstFileW((root + relative + L"*").c_str(), &entry));
  if (!find) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(root, relative + name + L"\\", files);
    } else {
      files.push_back(relative + name);
    }
  } while (::FindNextFileW(find.get(), &entry));
}

std::size_t CountMatching(const std::wstring& root, const wchar_t* pattern) {
  std::vector<std::wstring> files;
  ListFiles(root, L"", files);
  std::size_t matching = 0;
  for (const std::wstring& file : files) {
    matching += MatchesFieldPath(pattern, file, kLocalSeparators) ? 1 : 0;
  }
  return matching;
}

// A file of `bytes` bytes, last written `days` days ago.
void OldFile(const std::wstring& root, const std::wstring& path, double days,
             std::size_t bytes = 1000) {
  (void)::CreateDirectoryW(root.c_str(), nullptr);
  for (std::size_t end = path.find(L'\\'); end != std::wstring::npos;
       end = path.find(L'\\', end + 1)) {
    (void)::CreateDirectoryW((root + path.substr(0, end)).c_str(), nullptr);
  }
  ASSERT_TRUE(WriteWholeFile(root + path, std::vector<std::uint8_t>(bytes, 0xFF)));
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
  time.QuadPart -= static_cast<std::uint64_t>(days * kDay);
  const FILETIME then{time.LowPart, time.HighPart};
  unique_file file(::CreateFileW((root + path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &then));
}

class KelpoArchive : public testing::Test {
 protected:
  void SetUp() override {
    (void)::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
    ASSERT_TRUE(WriteDword(L"deviceType", 1));
    ASSERT_TRUE(WriteString(L"devicePath",
                            ProgramFolder() + L"..\\..\\..\\tools\\demo-assets\\seaside.jpg"));
    ASSERT_TRUE(WriteDword(L"dialup", 0));
    ASSERT_TRUE(WriteDword(L"savetofile", 1));
    ASSERT_TRUE(WriteString(L"localfilename", local_ + L"fresh-%Y.jpg"));
    ASSERT_TRUE(WriteString(L"archivelocal", local_ + L"archive\\" + kArchivePattern));
  }
  void TearDown() override {
    (void)::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    std::wstring from = local_;
    from.back() = L'\0';  // the list's two closing NULs, without the backslash
    SHFILEOPSTRUCTW remove{nullptr,   FO_DELETE, from.c_str(), nullptr,
                           FOF_NO_UI, FALSE,     nullptr,      nullptr};
    (void)::SHFileOperationW(&remove);
  }

  const std::wstring local_ = Scratch(L"kelpo-archive");
};

TEST_F(KelpoArchive, TrayRunKeepsFreshAndDatedPicturesOnTheServerAndTheDisk) {
  ASSERT_FALSE(FtpHomesFolder().empty()) << "tests/support/services start";
  ASSERT_TRUE(WriteString(L"server", kFtpServer));
  ASSERT_TRUE(WriteString(L"user", kNormalUser));
  ASSERT_TRUE(WriteString(L"password", kFtpPassword));
  ASSERT_TRUE(WriteString(L"directory", kFtpDirectory));
  ASSERT_TRUE(WriteString(L"filename", L"archive-fresh.jpg"));
  ASSERT_TRUE(WriteString(L"archiveremote", std::wstring(L"history/") + kArchivePattern));
  ASSERT_TRUE(WriteDword(L"timevalue", 2));
  ASSERT_TRUE(WriteDword(L"timeunit", 0));
  const std::wstring history = FtpFilePath(kNormalUser, kFtpDirectory, L"history\\");
  const std::size_t before = CountMatching(history, kArchivePattern);
  {
    KelpoProcess kelpo;
    ASSERT_NE(kelpo.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(
        WaitFor([&] { return CountMatching(history, kArchivePattern) >= before + 2; }, 30000));
  }
  EXPECT_TRUE(FileExists(FtpFilePath(kNormalUser, kFtpDirectory, L"archive-fresh.jpg")));
  EXPECT_GE(CountMatching(local_ + L"archive\\", kArchivePattern), 2u);
  EXPECT_EQ(CountMatching(local_, L"fresh-%Y.jpg"), 1u);

  // A one-shot run whose archive copy is refused says so, and fails.
  ASSERT_TRUE(WriteString(L"archiveremote", L"history/../%Y.jpg"));
  KelpoProcess oneShot(L"oneshot", true);
  DWORD exitCode = 0;
  ASSERT_TRUE(oneShot.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 3u);
  EXPECT_NE(oneShot.Output().find("but its archive copy was not"), std::string::npos);
}

TEST_F(KelpoArchive, TheLimitTakesOnlyTheOldestOfItsOwnPictures) {
  ASSERT_TRUE(WriteDword(L"disableFTP", 1));
  ASSERT_TRUE(WriteDword(L"archivekeepdays", 5));
  ASSERT_TRUE(WriteDword(L"archivekeepmb", 1));
  const std::wstring root = local_ + L"limit\\";
  ASSERT_TRUE(WriteString(L"archivelocal", root + kArchivePattern));
  OldFile(root, L"2020\\01\\01\\000000.jpg", 10);         // too old
  OldFile(root, L"2020\\01\\02\\000000.jpg", 3, 600000);  // the oldest of too many bytes
  OldFile(root, L"2020\\01\\03\\000000.jpg", 2, 600000);
  OldFile(root, L"2020\\01\\04\\notes.txt", 10);  // another program's files
  OldFile(root, L"2020\\01\\04\\0000000.jpg", 10, 2000000);
  KelpoProcess kelpo(L"oneshot", true);
  DWORD exitCode = 1;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_NE(kelpo.Output().find("Its archive copy was saved too."), std::string::npos);
  EXPECT_FALSE(FileExists(root + L"2020\\01\\01"));
  EXPECT_FALSE(FileExists(root + L"2020\\01\\02\\000000.jpg"));
  EXPECT_TRUE(FileExists(root + L"2020\\01\\03\\000000.jpg"));
  EXPECT_TRUE(FileExists(root + L"2020\\01\\04\\notes.txt"));
  EXPECT_TRUE(FileExists(root + L"2020\\01\\04\\0000000.jpg"));
  EXPECT_EQ(CountMatching(root, kArchivePattern), 2u);
}

}  // namespace
}  // namespace kelpo
