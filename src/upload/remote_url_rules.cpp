#include "upload/remote_url_rules.h"

#include <vector>

namespace kelpo {

namespace {

constexpr std::uint16_t kImplicitFtpsPort = kFtpsImplicitPort;

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

std::string PercentEncoded(const std::string& utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char byte : utf8) {
    const auto c = static_cast<unsigned char>(byte);
    if (Unreserved(c)) {
      encoded += byte;
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0xF];
    }
  }
  return encoded;
}

// The segments of a remote directory; empty ones (doubled or trailing
// slashes) say nothing.
std::vector<std::wstring> Segments(const std::wstring& directory) {
  std::vector<std::wstring> segments;
  std::wstring segment;
  for (wchar_t c : directory) {
    if (c == L'/') {
      if (!segment.empty()) segments.push_back(segment);
      segment.clear();
    } else {
      segment += c;
    }
  }
  if (!segment.empty()) segments.push_back(segment);
  return segments;
}

// A host name or an address: letters, digits and the punctuation they use.
// An IPv6 address goes in brackets.
std::optional<std::string> UrlHost(const std::wstring& server) {
  if (server.empty()) return std::nullopt;
  std::string host;
  bool colon = false;
  for (wchar_t c : server) {
    const bool allowed = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                         (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' || c == L':' ||
                         c == L'_';
    if (!allowed) return std::nullopt;
    colon = colon || c == L':';
    host += static_cast<char>(c);
  }
  return colon ? "[" + host + "]" : host;
}

}  // namespace

std::optional<std::string> Utf8Of(const std::wstring& text) {
  std::string utf8;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t code = static_cast<std::uint32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && code >= 0xD800 && code <= 0xDFFF) {
      // UTF-16: a high surrogate and its low one make one character.
      if (code > 0xDBFF || i + 1 >= text.size()) return std::nullopt;
      const auto low = static_cast<std::uint32_t>(text[i + 1]);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      return std::nullopt;
    }
    if (code < 0x80) {
      utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      utf8 += static_cast<char>(0xE0 | (code >> 12));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code <= 0x10FFFF) {
      utf8 += static_cast<char>(0xF0 | (code >> 18));
      utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      return std::nullopt;
    }
  }
  return utf8;
}

namespace {

// A path inside an SFTP command, quoted as curl reads it.
std::string QuotedPath(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

struct Route {
  std::string file;
  std::vector<std::string> folders;
};

std::optional<Route> RouteOf(const RemoteTarget& target) {
  if (HasControlCharacter(target.directory) || !RemoteFileNameSafe(target.filename))
    return std::nullopt;
  const std::optional<std::vector<std::wstring>> levels = FolderLevels(target.createFolders);
  if (!levels) return std::nullopt;
  const std::optional<std::string> host = UrlHost(target.server);
  if (!host) return std::nullopt;

  std::string scheme;
  switch (target.protocol) {
    case TransferProtocol::kFtps:
      scheme = target.port == kImplicitFtpsPort ? "ftps" : "ftp";
      break;
    case TransferProtocol::kSftp:
      scheme = "sftp";
      break;
    case TransferProtocol::kHttps:
      scheme = "https";
      break;
    case TransferProtocol::kFtp:
      return std::nullopt;
  }
  std::string url = scheme + "://" + *host + ":" + std::to_string(target.port) + "/";

  const bool absolute = !target.directory.empty() && target.directory[0] == L'/';
  if (absolute && target.protocol == TransferProtocol::kFtps) {
    // An FTP URL's path is relative to the login folder; an encoded slash
    // first makes curl start from the root.
    url += "%2F";
  } else if (!absolute && target.protocol == TransferProtocol::kSftp) {
    url += "~/";
  }
  bool first = !(absolute && target.protocol == TransferProtocol::kFtps);
  // The same place as the server names it in a command, relative to the
  // login folder unless absolute.
  std::string path = absolute ? "/" : "";
  auto append = [&](const std::wstring& segment) {
    const std::optional<std::string> utf8 = Utf8Of(segment);
    if (!utf8) return false;
    if (!first) url += "/";
    url += PercentEncoded(*utf8);
    first = false;
    if (!path.empty() && path.back() != '/') path += '/';
    path += *utf8;
    return true;
  };
  for (const std::wstring& segment : Segments(target.directory)) {
    if (!append(segment)) return std::nullopt;
  }
  Route route;
  for (const std::wstring& level : *levels) {
    if (!append(level)) return std::nullopt;
    switch (target.protocol) {
      case TransferProtocol::kFtps:
        route.folders.push_back("*MKD " + path);
        break;
      case TransferProtocol::kSftp:
        route.folders.push_back("*mkdir " + QuotedPath(path));
        break;
      case TransferProtocol::kHttps:
      case TransferProtocol::kFtp:
        route.folders.push_back(url + "/");
        break;
    }
  }
  const std::optional<std::string> name = Utf8Of(target.filename);
  if (!name) return std::nullopt;
  if (!first) url += "/";
  route.file = url + PercentEncoded(*name);
  return route;
}

}  // namespace

std::optional<std::vector<std::wstring>> FolderLevels(const std::wstring& createFolders) {
  std::vector<std::wstring> levels;
  if (createFolders.empty()) return levels;
  std::wstring level;
  for (std::size_t i = 0; i <= createFolders.size(); ++i) {
    if (i == createFolders.size() || createFolders[i] == L'/') {
      if (level.empty() || level == L"." || level == L"..") return std::nullopt;
      levels.push_back(level);
      level.clear();
    } else if (createFolders[i] == L'\\' || IsControl(createFolders[i])) {
      return std::nullopt;
    } else {
      level += createFolders[i];
    }
  }
  return levels;
}

bool HasControlCharacter(const std::wstring& name) {
  for (wchar_t c : name) {
    if (IsControl(c)) return true;
  }
  return false;
}

bool RemoteFileNameSafe(const std::wstring& name) {
  // "." and ".." name folders: curl would even resolve them into the path.
  return !name.empty() && name != L"." && name != L".." && name.find(L'/') == std::wstring::npos &&
         !HasControlCharacter(name);
}

std::optional<std::string> RemoteUrl(const RemoteTarget& target) {
  const std::optional<Route> route = RouteOf(target);
  if (!route) return std::nullopt;
  return route->file;
}

std::optional<std::vector<std::string>> FolderSteps(const RemoteTarget& target) {
  const std::optional<Route> route = RouteOf(target);
  if (!route) return std::nullopt;
  return route->folders;
}

}  // namespace kelpo
