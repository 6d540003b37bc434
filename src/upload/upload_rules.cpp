#include "upload/upload_rules.h"

#include "common/message_catalogue.h"

#include <algorithm>
#include <cctype>

namespace kelpo {

UploadTransition NextUploadStep(UploadStep step, UploadNews news, bool succeeded) {
  switch (step) {
    case UploadStep::Connecting:
      if (news != UploadNews::Connected) break;
      if (succeeded) {
        return {UploadStep::ChangingDirectory, UploadAction::Continue, kMsgChangingDirectory};
      }
      return {UploadStep::Idle, UploadAction::Finish, kMsgFtpConnectFailed};
    case UploadStep::ChangingDirectory:
      if (news != UploadNews::DirectoryEntered) break;
      if (succeeded) return {UploadStep::Uploading, UploadAction::Continue, kMsgUploading};
      return {UploadStep::Idle, UploadAction::Finish, kMsgNoDirectory};
    case UploadStep::Uploading:
      if (news != UploadNews::Sent) break;
      return {UploadStep::Idle, UploadAction::Finish,
              succeeded ? kMsgUploadSucceeded : kMsgUploadFailed};
    case UploadStep::Idle:
      break;
  }
  return {step, UploadAction::Ignore, 0};
}

bool UploadMayStart(bool idle, bool dialUpConnected, const std::wstring& server) {
  return idle && dialUpConnected && server.size() >= 2 && server[0] != L'\0';
}

std::wstring RemoteDirectory(const std::wstring& directory) {
  if (directory.empty() || directory[0] == L'\0') return L".";
  return directory;
}

unsigned long StretchedTimeout(unsigned long timeLimit, unsigned long elapsed) {
  // Room for the owner's timer to fire and the cancel to land first.
  constexpr unsigned long kMargin = 5000;
  const unsigned long left = elapsed < timeLimit ? timeLimit - elapsed : 0;
  return left + kMargin;
}

bool NeedsUtf8(const std::wstring& name) {
  constexpr wchar_t kLastAscii = 0x7F;
  return std::any_of(name.begin(), name.end(), [](wchar_t c) { return c > kLastAscii; });
}

namespace {

constexpr std::size_t kCodeLength = 3;

bool StartsWithCode(const std::string& line) {
  return line.size() >= kCodeLength &&
         std::all_of(line.begin(), line.begin() + kCodeLength,
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

int CompleteFtpReply(const std::string& received, std::size_t& length) {
  std::size_t start = 0;
  std::string code;
  for (;;) {
    const std::size_t end = received.find('\n', start);
    if (end == std::string::npos) return 0;
    std::string line = received.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (code.empty()) {
      if (!StartsWithCode(line)) return -1;
      code = line.substr(0, kCodeLength);
      // A single-line reply, or the first line of several.
      if (line.size() == kCodeLength || line[kCodeLength] != '-') break;
      continue;
    }
    // Several lines end with the same code followed by a blank.
    if (line.size() >= kCodeLength + 1 && line.compare(0, kCodeLength, code) == 0 &&
        line[kCodeLength] == ' ') {
      break;
    }
  }
  length = start;
  return std::stoi(code);
}

bool FeatAnnouncesUtf8(const std::string& reply) {
  std::size_t start = 0;
  while (start < reply.size()) {
    std::size_t end = reply.find('\n', start);
    if (end == std::string::npos) end = reply.size();
    std::string line = reply.substr(start, end - start);
    start = end + 1;
    // Features are the lines that start with a blank: " UTF8".
    if (line.empty() || line[0] != ' ') continue;
    std::string feature;
    for (char c : line) {
      if (c == ' ' && feature.empty()) continue;
      if (c == ' ' || c == '\r') break;
      feature += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (feature == "UTF8") return true;
  }
  return false;
}

bool PictureAfterTimeLimit(bool uploadWasRunning, bool oneShot, bool disableTimer) {
  return uploadWasRunning && !oneShot && !disableTimer;
}

}  // namespace kelpo
