#include "upload/server_check.h"

#include "upload/fingerprint_rules.h"

#include <bcrypt.h>
#include <schannel.h>
#include <wincrypt.h>

#include <array>
#include <memory>

namespace kelpo {

namespace {

using Digest = std::array<std::uint8_t, kSha256Bytes>;

struct AlgorithmCloser {
  void operator()(void* algorithm) const noexcept {
    (void)::BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};
struct HashCloser {
  void operator()(void* hash) const noexcept { (void)::BCryptDestroyHash(hash); }
};
struct CertificateCloser {
  void operator()(const CERT_CONTEXT* certificate) const noexcept {
    (void)::CertFreeCertificateContext(certificate);
  }
};
struct ChainCloser {
  void operator()(const CERT_CHAIN_CONTEXT* chain) const noexcept {
    ::CertFreeCertificateChain(chain);
  }
};

bool Succeeded(NTSTATUS status) { return status >= 0; }

bool Sha256(const void* data, std::size_t size, Digest& digest) {
  BCRYPT_ALG_HANDLE algorithmHandle = nullptr;
  if (!Succeeded(
          ::BCryptOpenAlgorithmProvider(&algorithmHandle, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return false;
  }
  const std::unique_ptr<void, AlgorithmCloser> algorithm(algorithmHandle);
  BCRYPT_HASH_HANDLE hashHandle = nullptr;
  if (!Succeeded(::BCryptCreateHash(algorithm.get(), &hashHandle, nullptr, 0, nullptr, 0, 0))) {
    return false;
  }
  const std::unique_ptr<void, HashCloser> hash(hashHandle);
  return Succeeded(::BCryptHashData(hash.get(), static_cast<PUCHAR>(const_cast<void*>(data)),
                                    static_cast<ULONG>(size), 0)) &&
         Succeeded(
             ::BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
}

// Whether Windows trusts `certificate` (with the intermediates in its store)
// for a TLS server named `host`; with `revocation`, only whether no
// certificate of its chain is known to be revoked.
bool ChainTrusted(const CERT_CONTEXT* certificate, const std::wstring& host, bool revocation) {
  char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
  LPSTR usages[] = {serverAuth};
  CERT_CHAIN_PARA chainPara{};
  chainPara.cbSize = sizeof(chainPara);
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chainContext = nullptr;
  if (!::CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara,
                                 revocation ? CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT : 0,
                                 nullptr, &chainContext)) {
    return false;
  }
  const std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainCloser> chain(chainContext);
  // Revocation best effort: a revoked certificate is refused, but a list
  // that cannot be fetched (offline, or none published) must not fail every
  // upload.
  if (revocation) return (chain->TrustStatus.dwErrorStatus & CERT_TRUST_IS_REVOKED) == 0;
  // The chain's own verdict counts as well as the policy's: Wine's SSL policy
  // passes a chain that ends at a root nobody trusts (a partial chain).
  constexpr DWORD kNotErrors = CERT_TRUST_REVOCATION_STATUS_UNKNOWN |
                               CERT_TRUST_IS_OFFLINE_REVOCATION | CERT_TRUST_IS_NOT_TIME_NESTED;
  if ((chain->TrustStatus.dwErrorStatus & ~kNotErrors) != 0) return false;
  std::wstring serverName = host;
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof(ssl);
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = serverName.data();
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof(policy);
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof(status);
  return ::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status) !=
             FALSE &&
         status.dwError == 0;
}

}  // namespace

ServerCheck CheckServerCertificate(CtxtHandle* context, const std::wstring& host,
                                   const std::wstring& pin) {
  ServerCheck check;
  PCCERT_CONTEXT received = nullptr;
  if (context == nullptr ||
      ::QueryContextAttributesW(context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &received) != SEC_E_OK ||
      received == nullptr) {
    return check;
  }
  const std::unique_ptr<const CERT_CONTEXT, CertificateCloser> certificate(received);
  Digest digest{};
  // A certificate that cannot be measured is not trusted by its pin either.
  const bool measured = Sha256(certificate->pbCertEncoded, certificate->cbCertEncoded, digest);
  if (measured) check.fingerprint = HexFingerprint(digest.data(), digest.size());
  if (!pin.empty()) {
    check.verdict = measured && PinMatches(pin, digest.data(), digest.size())
                        ? ServerVerdict::kAccepted
                        : ServerVerdict::kNotPinned;
    return check;
  }
  check.verdict =
      ChainTrusted(certificate.get(), host, false) && ChainTrusted(certificate.get(), host, true)
          ? ServerVerdict::kAccepted
          : ServerVerdict::kNotTrusted;
  return check;
}

ServerCheck CheckHostKey(const void* key, std::size_t size, const std::wstring& stored) {
  ServerCheck check;
  Digest digest{};
  if (key == nullptr || !Sha256(key, size, digest)) {
    check.verdict = ServerVerdict::kHostKeyChanged;
    return check;
  }
  check.fingerprint = SshFingerprint(digest.data(), digest.size());
  check.verdict = stored.empty() || stored == check.fingerprint ? ServerVerdict::kAccepted
                                                                : ServerVerdict::kHostKeyChanged;
  return check;
}

}  // namespace kelpo
