// What an FTP server says it supports, asked on a short connection of its
// own: WinInet gives no way to read the lines of a FEAT reply (Wine keeps only
// the last one), and it sends names in the ANSI code page unless told to.
#pragma once

#include "common/win32.h"

#include <string>

namespace kelpo {

// Connects to `server` on the FTP port, reads the greeting, asks FEAT and
// says goodbye; true when the server announces UTF8 (RFC 2640). False on any
// failure, and when the whole exchange takes longer than `timeoutMs`. Blocks:
// never call it on the window's thread.
bool FtpServerAnnouncesUtf8(const std::wstring& server, DWORD timeoutMs);

// `name` in the form in which WinInet sends its UTF-8 bytes: WinInet converts
// every name to the ANSI code page, so the UTF-8 bytes are handed to it as
// ANSI characters. Empty when the ANSI code page cannot carry every byte (a
// double-byte code page), and UTF-8 cannot be sent at all.
std::wstring AsUtf8ForWinInet(const std::wstring& name);

}  // namespace kelpo
