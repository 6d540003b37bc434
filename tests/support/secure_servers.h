// Access to the secure test servers that tests/support/secure_servers starts
// (SFTP, FTPS, HTTPS WebDAV): their addresses, account and state folder, seen
// from inside Wine, and the test CA made trusted the way Windows trusts a
// company's own CA.
#pragma once

#include "common/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelpo::test {

constexpr wchar_t kSecureServer[] = L"127.0.0.1";
// The same SFTP account behind another host key (state file hostkey-b).
constexpr wchar_t kChangedKeySftpServer[] = L"127.0.0.7";
// FTPS with a self-signed certificate the test CA did not issue.
constexpr wchar_t kUntrustedFtpsServer[] = L"127.0.0.6";
constexpr DWORD kSftpPort = 2222;
constexpr DWORD kFtpsPort = 2121;
constexpr DWORD kHttpsPort = 8443;
constexpr wchar_t kSecureUser[] = L"kelpotest";
constexpr wchar_t kSecurePassword[] = L"kelpo-secret";
// In the login folder (SFTP, FTPS) and in the DAV collection.
constexpr wchar_t kSecureDirectory[] = L"pictures";
// The URL path of the DAV root: uploads go to /dav/pictures/.
constexpr wchar_t kDavRoot[] = L"dav";

// A file of the servers' state folder: ca.der, ca.pem, trusted-cert.der,
// untrusted-cert.der, trusted.sha256, untrusted.sha256, hostkey-a, hostkey-b.
std::wstring SecureStateFile(const wchar_t* name);

// A state file's bytes, or its text without surrounding white space; empty
// when it is missing.
std::vector<std::uint8_t> ReadSecureStateBytes(const wchar_t* name);
std::string ReadSecureStateText(const wchar_t* name);

// Where an upload lands, for a path relative to the account's login folder
// (SFTP, FTPS) or to the DAV root, such as L"pictures/a.jpg".
std::wstring SecureHomePath(const std::wstring& name);
std::wstring DavPath(const std::wstring& name);

// Adds the test CA to the machine's trusted roots; true when it is there.
bool TrustTestCa();

}  // namespace kelpo::test
