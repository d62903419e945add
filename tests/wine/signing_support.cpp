#include "signing_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "test_support.h"

namespace vxtest {
namespace {

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

// The folder of the test certificates; they are made when it is first asked for.
struct TestCertificates {
  std::string dir;  // Windows path, trailing backslash
  TestSigner publisher, other;
  bool made = false;
};

const TestCertificates& Certificates() {
  static TestCertificates certs;
  static bool tried = false;
  if (!tried) {
    tried = true;
    certs.dir = FreshTempDir("signing");
    const std::string unix = UnixPath(certs.dir);
    const std::string script =
        "set -e\ncd " + ShellQuoted(unix) +
        "\n"
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650 -sha256 "
        "-subj '/CN=Vornix Test Signing CA' -addext basicConstraints=critical,CA:TRUE "
        "-addext keyUsage=critical,keyCertSign\n"
        "printf 'basicConstraints=CA:FALSE\\nkeyUsage=critical,digitalSignature\\nextendedKeyUsage=codeSigning\\n' "
        "> leaf.ext\n"
        "for who in publisher other; do\n"
        "  openssl req -newkey rsa:2048 -nodes -keyout $who.key -out $who.csr -sha256 "
        "-subj \"/CN=Vornix Test $who\"\n"
        "  openssl x509 -req -in $who.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out $who.pem -days 3000 "
        "-sha256 -extfile leaf.ext\n"
        "  openssl x509 -in $who.pem -pubkey -noout | openssl pkey -pubin -outform DER | sha256sum | cut -c1-64 "
        "> $who.pin\n"
        "done\n";
    std::string output;
    const int status = RunUnixScript(script, output);
    if (status == 0) {
      const auto signer = [&](const char* who) {
        TestSigner s;
        s.name = std::string("Vornix Test ") + who;
        s.cert = certs.dir + who + ".pem";
        s.key = certs.dir + who + ".key";
        s.pin = Trimmed(ReadWholeFile(certs.dir + who + ".pin"));
        return s;
      };
      certs.publisher = signer("publisher");
      certs.other = signer("other");
      certs.made = certs.publisher.pin.size() == 64 && certs.other.pin.size() == 64;
    }
    if (!certs.made) ADD_FAILURE() << "openssl could not make the test certificates (" << status << "): " << output;
  }
  return certs;
}

}  // namespace

const TestSigner& TestPublisher() { return Certificates().publisher; }
const TestSigner& OtherPublisher() { return Certificates().other; }
std::string TestCaCertificate() { return Certificates().dir + "ca.pem"; }

std::string UnixPath(const std::string& windowsPath) {
  using UnixNameFn = char*(CDECL*)(const WCHAR*);
  static const auto fn = reinterpret_cast<UnixNameFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (fn == nullptr) return std::string();
  std::wstring wide(windowsPath.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  if (n == 0) return std::string();
  char* unix = fn(wide.c_str());
  if (unix == nullptr) return std::string();
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

int RunUnixScript(const std::string& script, std::string& output, unsigned timeoutMs) {
  static int runs = 0;
  const std::string dir =
      FreshTempDir("unixrun" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++runs));
  const std::string unix = UnixPath(dir);
  output.clear();
  if (unix.empty()) {
    output = "no Unix path for " + dir;
    return -1;
  }
  // The status file appears whole, by a rename, once the script has ended.
  const std::string wrapper = "PATH=/usr/bin:/bin\nexport PATH\n{\n" + script + "\n} > " +
                              ShellQuoted(unix + "/output") + " 2>&1\necho $? > " + ShellQuoted(unix + "/status.tmp") +
                              "\nmv " + ShellQuoted(unix + "/status.tmp") + " " + ShellQuoted(unix + "/status") + "\n";
  if (!WriteWholeFile(dir + "script.sh", wrapper)) {
    output = "cannot write " + dir + "script.sh";
    return -1;
  }
  // Wine starts a Unix program without a process handle to wait on.
  std::string command = "/bin/sh \"" + unix + "/script.sh\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    output = "cannot start /bin/sh (error " + std::to_string(GetLastError()) + ")";
    return -1;
  }
  if (pi.hThread != nullptr) CloseHandle(pi.hThread);
  if (pi.hProcess != nullptr) CloseHandle(pi.hProcess);
  const std::string status = dir + "status";
  const bool ended =
      PumpUntil([&] { return GetFileAttributesA(status.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs);
  output = ReadWholeFile(dir + "output");
  const int result = ended ? std::atoi(ReadWholeFile(status).c_str()) : -1;
  if (ended) {
    for (const char* f : {"script.sh", "output", "status"}) DeleteFileA((dir + f).c_str());
    RemoveDirectoryA(dir.c_str());
  }
  return result;
}

bool SignFile(const std::string& path, const TestSigner& signer) {
  const std::string file = UnixPath(path);
  const std::string script = "/usr/bin/osslsigncode sign -h sha256 -certs " + ShellQuoted(UnixPath(signer.cert)) +
                             " -key " + ShellQuoted(UnixPath(signer.key)) + " -in " + ShellQuoted(file) + " -out " +
                             ShellQuoted(file + ".signed") + " && mv -f " + ShellQuoted(file + ".signed") + " " +
                             ShellQuoted(file);
  std::string output;
  const int status = signer.pin.empty() ? -1 : RunUnixScript(script, output);
  EXPECT_EQ(status, 0) << "signing " << path << " as " << signer.name << ": " << output;
  return status == 0;
}

}  // namespace vxtest
