// The web servers scripts/test.sh starts for the download tests: nginx over HTTP and HTTPS and the
// fault-injecting server (tests/net/fault_server.py), all serving one folder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vxtest {

std::string NginxHttp();            // "http://127.0.0.1:<port>"
std::string NginxHttps();           // "https://localhost:<port>", certificate of the trusted test CA
std::string NginxHttpsUntrusted();  // "https://localhost:<port>", a certificate no one trusts
std::string FaultServer();          // "http://127.0.0.1:<port>"
std::string WebRoot();              // the served folder (Windows path, trailing backslash)
// A closed port on loopback: nothing answers there.
std::string ClosedPortUrl();

// One request the fault server answered for a path such as "/cut=300000/key/file.bin".
struct ServedRequest {
  int status = 0;
  std::string range;  // the Range header, "-" without one
  int64_t bytes = 0;  // body bytes sent
};
std::vector<ServedRequest> ServedRequests(const std::string& path);

std::string RandomBytes(size_t n, uint32_t seed);
// Files in folder whose names start with prefix.
std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix);

}  // namespace vxtest
