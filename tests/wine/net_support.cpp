#include "net_support.h"

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace vxtest {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') {
    ADD_FAILURE() << name << " is not set: run the Windows tests through scripts/test.sh, which starts the servers";
    return "http://127.0.0.1:9";
  }
  return v;
}

// The body of a plain GET straight through WinINet (not through the code under test).
std::string Fetch(const std::string& url) {
  std::string body;
  HINTERNET session = InternetOpenA("vx tests", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr) return body;
  HINTERNET request = InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (request != nullptr) {
    char buf[4096];
    DWORD got = 0;
    while (InternetReadFile(request, buf, sizeof buf, &got) && got > 0) body.append(buf, got);
    InternetCloseHandle(request);
  }
  InternetCloseHandle(session);
  return body;
}

// Makes the Wine prefix trust the test CA of the HTTPS server: the certificate goes into the
// local machine's "Root" store (kept in the registry, as on Windows), which Wine's certificate
// chain engine consults beside the host's certificate files. Done once per run, before any test.
class TrustTestCa : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* path = std::getenv("VX_TEST_CA");
    if (path == nullptr || *path == '\0') return;  // the HTTPS tests then fail with their own message
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    std::string der(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    const BOOL read = ReadFile(h, &der[0], static_cast<DWORD>(der.size()), &got, nullptr);
    CloseHandle(h);
    ASSERT_TRUE(read && got == der.size()) << path;
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    ASSERT_NE(root, nullptr) << GetLastError();
    EXPECT_TRUE(CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                                 static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                 nullptr))
        << GetLastError();
    CertCloseStore(root, 0);
  }
};
::testing::Environment* const g_trustTestCa = ::testing::AddGlobalTestEnvironment(new TrustTestCa);

}  // namespace

std::string NginxHttp() { return Env("VX_TEST_HTTP"); }
std::string NginxHttps() { return Env("VX_TEST_HTTPS"); }
std::string NginxHttpsUntrusted() { return Env("VX_TEST_HTTPS_UNTRUSTED"); }
std::string FaultServer() { return Env("VX_TEST_FAULT"); }
std::string WebRoot() { return Env("VX_TEST_WWW"); }
std::string ClosedPortUrl() { return "http://127.0.0.1:9"; }

std::vector<ServedRequest> ServedRequests(const std::string& path) {
  std::vector<ServedRequest> out;
  const std::string text = Fetch(FaultServer() + "/_stats" + path);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.compare(0, 8, "request=") != 0) continue;
    ServedRequest r;
    const size_t a = line.find(' ', 8), b = line.rfind(' ');
    if (a == std::string::npos || b == a) continue;
    r.status = std::atoi(line.substr(8, a - 8).c_str());
    r.range = line.substr(a + 1, b - a - 1);
    r.bytes = std::atoll(line.substr(b + 1).c_str());
    out.push_back(r);
  }
  return out;
}

std::string RandomBytes(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  uint32_t x = seed;
  for (auto& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + prefix + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    // The mask "name.*" also matches "name" itself: only names that really start with prefix.
    const std::string name = fd.cFileName;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && name.size() >= prefix.size() &&
        lstrcmpiA(name.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0)
      out.push_back(name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

}  // namespace vxtest
