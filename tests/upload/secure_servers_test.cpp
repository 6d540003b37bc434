// The secure test servers' certificates as Windows' chain engine judges them
// once the test CA is trusted: the uploads' tests rely on both verdicts.
#include "support/secure_servers.h"

#include "common/unique_handle.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

namespace kelpo::test {
namespace {

// Wine's chain engine reads the trusted roots once per process: the CA must
// be there before any test of this program builds a chain.
class TrustTestCaEnvironment : public testing::Environment {
 public:
  void SetUp() override { (void)TrustTestCa(); }
};
[[maybe_unused]] testing::Environment* const kTrustTestCa =
    testing::AddGlobalTestEnvironment(new TrustTestCaEnvironment);

struct Verdict {
  DWORD chainErrors = ~0u;
  HRESULT policyError = E_FAIL;
};

// The chain engine's and the SSL policy's verdicts on a server certificate
// of the state folder, for the host name 127.0.0.1.
Verdict SslVerdict(const wchar_t* certificateFile) {
  Verdict verdict;
  const std::vector<std::uint8_t> der = ReadSecureStateBytes(certificateFile);
  PCCERT_CONTEXT certificate =
      ::CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
  if (!certificate) return verdict;
  auto freeCertificate = scope_exit([&] { ::CertFreeCertificateContext(certificate); });
  LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
  CERT_CHAIN_PARA chainPara = {};
  chainPara.cbSize = sizeof(chainPara);
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = &serverAuth;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!::CertGetCertificateChain(nullptr, certificate, nullptr, nullptr, &chainPara, 0, nullptr,
                                 &chain)) {
    return verdict;
  }
  auto freeChain = scope_exit([&] { ::CertFreeCertificateChain(chain); });
  verdict.chainErrors = chain->TrustStatus.dwErrorStatus;
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
  ssl.cbSize = sizeof(ssl);
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = const_cast<wchar_t*>(kSecureServer);
  CERT_CHAIN_POLICY_PARA policyPara = {};
  policyPara.cbSize = sizeof(policyPara);
  policyPara.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof(status);
  if (::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status)) {
    verdict.policyError = static_cast<HRESULT>(status.dwError);
  }
  return verdict;
}

// Wine's SSL policy passes a chain that ends short of a trusted root
// (CERT_TRUST_IS_PARTIAL_CHAIN), so the chain's own errors are checked too.
TEST(SecureServersTest, TestCaIssuedCertificateIsTrustedAndSelfSignedOneIsNot) {
  ASSERT_TRUE(TrustTestCa());
  const Verdict trusted = SslVerdict(L"trusted-cert.der");
  EXPECT_EQ(trusted.chainErrors, 0u);
  EXPECT_EQ(trusted.policyError, S_OK);
  EXPECT_EQ(SslVerdict(L"untrusted-cert.der").policyError, CERT_E_UNTRUSTEDROOT);
}

}  // namespace
}  // namespace kelpo::test
