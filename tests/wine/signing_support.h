// Code signing for the Windows tests: a test CA and two publishers it certified, made with the
// machine's openssl once per test run, and files signed with its osslsigncode. Both are Linux
// programs; Wine starts them from this process (it does not wait for them or pass on their exit
// code, so RunUnixScript waits for a marker file the script writes at its end).
#pragma once
#include <string>

namespace vxtest {

struct TestSigner {
  std::string name;  // the certificate's common name
  std::string cert;  // PEM certificate and key, Windows paths
  std::string key;
  std::string pin;  // SHA-256 of the certificate's public-key information, 64 lowercase hex digits
};

// The tests' publisher and another publisher, both certified by the test CA: made on first use
// and the same for the rest of the run. A failure to make them fails the calling test.
const TestSigner& TestPublisher();
const TestSigner& OtherPublisher();
// The test CA's certificate (Windows path), e.g. for osslsigncode verify -CAfile.
std::string TestCaCertificate();

// Signs a file in place with osslsigncode (SHA-256, the signer's certificate and key); records a
// test failure and returns false when that fails.
bool SignFile(const std::string& path, const TestSigner& signer);

// The Unix path of a Windows path, as Wine maps it; empty when it has none.
std::string UnixPath(const std::string& windowsPath);
// A text as one shell word: in single quotes.
std::string ShellQuoted(const std::string& text);
// Runs a /bin/sh script (Unix paths in it) and waits up to timeoutMs for it to end, pumping
// messages; returns its exit status (-1 when it did not end) and what it wrote in output.
int RunUnixScript(const std::string& script, std::string& output, unsigned timeoutMs = 120000);

}  // namespace vxtest
