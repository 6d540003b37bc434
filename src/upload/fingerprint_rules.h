// Pure rules of the fingerprints a secure upload checks the server by: the
// SSH host key's as `ssh-keygen -l` prints it, and a certificate's SHA-256 as
// the user pins it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelpo {

constexpr std::size_t kSha256Bytes = 32;

// "SHA256:" and the digest in base64 without its padding.
std::wstring SshFingerprint(const std::uint8_t* digest, std::size_t size);

// The digest as lowercase hex digits.
std::wstring HexFingerprint(const std::uint8_t* digest, std::size_t size);

// Whether a pinned fingerprint names `digest`: 64 hex digits in either case;
// colons and blanks between them, as tools print them, are allowed.
bool PinMatches(const std::wstring& pin, const std::uint8_t* digest, std::size_t size);

}  // namespace kelpo
