#include "common/win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "upload/ftp_features.h"

#include "common/unique_handle.h"
#include "upload/upload_rules.h"

#include <string>

namespace kelpo {

namespace {

constexpr wchar_t kFtpPort[] = L"21";
constexpr char kFeatCommand[] = "FEAT\r\n";
constexpr char kQuitCommand[] = "QUIT\r\n";
constexpr int kGreetingCode = 220;
constexpr int kFeaturesCode = 211;
// A server that says more than this before its reply ends is not answering.
constexpr std::size_t kLongestReply = 64 * 1024;
constexpr int kReceiveChunk = 4096;
constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    started_ = ::WSAStartup(kWinsockVersion, &data) == 0;
  }
  ~WinsockSession() {
    if (started_) (void)::WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  explicit operator bool() const { return started_; }

 private:
  bool started_ = false;
};

// One connection to the server, every wait bounded by one deadline.
class Conversation {
 public:
  explicit Conversation(DWORD timeoutMs) : start_(::GetTickCount()), timeout_(timeoutMs) {}
  ~Conversation() {
    if (socket_ != INVALID_SOCKET) (void)::closesocket(socket_);
  }
  Conversation(const Conversation&) = delete;
  Conversation& operator=(const Conversation&) = delete;

  bool Connect(const std::wstring& server) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (::GetAddrInfoW(server.c_str(), kFtpPort, &hints, &found) != 0) return false;
    const auto release = scope_exit([found] { ::FreeAddrInfoW(found); });
    for (const ADDRINFOW* address = found; address != nullptr; address = address->ai_next) {
      if (ConnectTo(*address)) return true;
    }
    return false;
  }

  // The next complete reply; its code, or 0 when none came in time.
  int Reply(std::string& reply) {
    for (;;) {
      std::size_t length = 0;
      const int code = CompleteFtpReply(received_, length);
      if (code < 0) return 0;
      if (code > 0) {
        reply = received_.substr(0, length);
        received_.erase(0, length);
        return code;
      }
      if (received_.size() > kLongestReply || !Wait(false)) return 0;
      char chunk[kReceiveChunk];
      const int got = ::recv(socket_, chunk, kReceiveChunk, 0);
      if (got <= 0) return 0;
      received_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  bool Send(const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
      if (!Wait(true)) return false;
      const int now = ::send(socket_, text.data() + sent, static_cast<int>(text.size() - sent), 0);
      if (now <= 0) return false;
      sent += static_cast<std::size_t>(now);
    }
    return true;
  }

 private:
  bool ConnectTo(const ADDRINFOW& address) {
    if (socket_ != INVALID_SOCKET) (void)::closesocket(socket_);
    socket_ = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (socket_ == INVALID_SOCKET) return false;
    // Non-blocking from here, so that every wait keeps to the deadline.
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0) return false;
    if (::connect(socket_, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) {
      return true;
    }
    if (::WSAGetLastError() != WSAEWOULDBLOCK || !Wait(true)) return false;
    int error = 0;
    int size = sizeof(error);
    return ::getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) ==
               0 &&
           error == 0;
  }

  // Until the socket can be written (or read), within what is left of the time.
  bool Wait(bool write) {
    const DWORD elapsed = ::GetTickCount() - start_;
    if (elapsed >= timeout_) return false;
    const DWORD left = timeout_ - elapsed;
    constexpr DWORD kMillisecondsPerSecond = 1000;
    constexpr DWORD kMicrosecondsPerMillisecond = 1000;
    timeval wait{};
    wait.tv_sec = static_cast<long>(left / kMillisecondsPerSecond);
    wait.tv_usec = static_cast<long>(left % kMillisecondsPerSecond * kMicrosecondsPerMillisecond);
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(socket_, &ready);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(socket_, &failed);
    const int count =
        ::select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait);
    return count > 0 && FD_ISSET(socket_, &ready);
  }

  SOCKET socket_ = INVALID_SOCKET;
  DWORD start_;
  DWORD timeout_;
  std::string received_;
};

std::string Narrow(const std::wstring& text, UINT codePage) {
  const int length = ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  (void)::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()),
                              bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::wstring Widen(const std::string& bytes, UINT codePage) {
  const int length =
      ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  (void)::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                              text.data(), length);
  return text;
}

}  // namespace

bool FtpServerAnnouncesUtf8(const std::wstring& server, DWORD timeoutMs) {
  const WinsockSession winsock;
  if (!winsock) return false;
  Conversation conversation(timeoutMs);
  std::string reply;
  if (!conversation.Connect(server) || conversation.Reply(reply) != kGreetingCode ||
      !conversation.Send(kFeatCommand) || conversation.Reply(reply) != kFeaturesCode) {
    return false;
  }
  // A polite goodbye; its answer does not matter.
  (void)conversation.Send(kQuitCommand);
  return FeatAnnouncesUtf8(reply);
}

std::wstring AsUtf8ForWinInet(const std::wstring& name) {
  const std::string utf8 = Narrow(name, CP_UTF8);
  if (utf8.empty()) return {};
  const std::wstring carried = Widen(utf8, CP_ACP);
  // Only a code page that gives every byte back unchanged can carry them.
  if (carried.empty() || Narrow(carried, CP_ACP) != utf8) return {};
  return carried;
}

}  // namespace kelpo
