// Pure rules of where a secure upload goes: the URL curl is given for each
// protocol, built from the File Transfer settings.
#pragma once

#include "common/transfer_protocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelpo {

struct RemoteTarget {
  TransferProtocol protocol = TransferProtocol::kFtps;
  std::wstring server;
  std::uint16_t port = 0;  // already resolved (TransferPort)
  std::wstring directory;  // relative to the login folder unless it starts with '/'
  std::wstring filename;
  std::wstring createFolders{};  // below `directory`: see UploadJob
};

// The URL in UTF-8, every path segment percent-encoded; nothing when a name
// holds a control character or cannot be encoded, or the server name is not
// a plain host name or address. Credentials never go into it.
std::optional<std::string> RemoteUrl(const RemoteTarget& target);

// The levels of a job's createFolders, in order; nothing when one of them
// could not be made as meant: empty (a leading, doubled or trailing '/'),
// "." or "..", or holding a '\\' or a control character.
std::optional<std::vector<std::wstring>> FolderLevels(const std::wstring& createFolders);

// Whether `name` holds a character that would end or garble a command.
bool HasControlCharacter(const std::wstring& name);

// Whether `name` may be stored as one remote file: not empty, "." or "..",
// and without '/' or control characters.
bool RemoteFileNameSafe(const std::wstring& name);

// What makes the createFolders levels, one each, in order: for FTPS and SFTP
// a command curl sends before the upload, whose failure is ignored (the level
// may exist; one that could not be made fails the upload as a missing
// directory); for HTTPS the URL of the collection to make. Nothing when
// RemoteUrl gives nothing.
std::optional<std::vector<std::string>> FolderSteps(const RemoteTarget& target);

// `text` in UTF-8; nothing when it holds an unpaired surrogate.
std::optional<std::string> Utf8Of(const std::wstring& text);

}  // namespace kelpo
