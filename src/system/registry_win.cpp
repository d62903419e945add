// Registry reads, INI access and the user and machine identity on Win32.
#include <windows.h>

#include <cstring>
#include <vector>

#include "system/registry.h"
#include "system/winutil_win.h"
#include "text/utils.h"

namespace vx {
namespace {

constexpr DWORD kRegBufferSize = 2048;
constexpr DWORD kIniBufferSize = 10241;

HKEY RootHandle(uint32_t root) {
  // Root handles are sign-extended 32-bit values.
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<int32_t>(root))));
}

}  // namespace

String RegReadStr(StrView fullPath, const char* valueName, const char* def) {
  String result = def;
  const RegPath path = SplitRegPath(String(fullPath.data(), fullPath.size()));
  HKEY key = nullptr;
  if (RegOpenKeyExA(RootHandle(path.root), path.subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return result;
  BYTE buf[kRegBufferSize];
  DWORD size = sizeof buf;
  DWORD type = REG_NONE;
  // A value larger than the buffer makes the query fail (ERROR_MORE_DATA): the default stands.
  if (RegQueryValueExA(key, valueName, nullptr, &type, buf, &size) == ERROR_SUCCESS) {
    if (size > sizeof buf) size = sizeof buf;
    if (type == REG_DWORD && size == 4) {
      DWORD v = 0;
      std::memcpy(&v, buf, 4);
      result = IntText(static_cast<int64_t>(v));
    } else {
      const void* zero = std::memchr(buf, 0, size);
      const size_t n = zero != nullptr ? static_cast<size_t>(static_cast<const BYTE*>(zero) - buf) : size;
      result.assign(reinterpret_cast<const char*>(buf), n);
    }
  }
  RegCloseKey(key);
  return result;
}

bool IniWrite(const String& file, const char* section, const char* key, const String& value) {
  return WritePrivateProfileStringA(section, key, value.c_str(), file.c_str()) != 0;
}

bool IniWriteInt(const String& file, const char* section, const char* key, int64_t value) {
  return IniWrite(file, section, key, IntText(value));
}

String IniRead(const String& file, const char* section, const char* key, const char* def) {
  std::vector<char> buf(kIniBufferSize);
  const DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(),
                                           kIniBufferSize, file.c_str());
  return String(buf.data(), n < kIniBufferSize ? n : kIniBufferSize - 1);
}

int64_t IniReadInt(const String& file, const char* section, const char* key, int64_t def) {
  const String text = IniRead(file, section, key, IntText(def).c_str());
  int64_t n = 0;
  if (text.empty() || text == "TRUE" || !TextToInt64(text, n)) return def;
  return n;
}

namespace {

// A name from GetUserNameA or GetComputerNameA (same signature), trimmed; empty on failure.
String TrimmedName(BOOL(WINAPI* get)(LPSTR, LPDWORD)) {
  char buf[256];
  DWORD size = sizeof buf;
  if (!get(buf, &size)) return String();
  buf[sizeof buf - 1] = '\0';
  return Trim(buf);
}

}  // namespace

String UserName() { return TrimmedName(GetUserNameA); }

String ComputerName() { return TrimmedName(GetComputerNameA); }

String CurrentVersionKey() { return CurrentVersionKeyFor(IsWinNT()); }

namespace {

String CurrentVersionText(const char* valueName) { return Trim(RegReadStr(CurrentVersionKey(), valueName, "")); }

}  // namespace

String RegisteredOwner() {
  String owner = CurrentVersionText("RegisteredOwner");
  if (owner.empty()) owner = UserName();
  return owner;
}

String RegisteredOrganization() { return CurrentVersionText("RegisteredOrganization"); }

String AccountDomain(const String& account) {
  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use;
  // First call learns the buffer sizes.
  LookupAccountNameA(nullptr, account.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
  String sid(sidSize, '\0');
  String domain(domainSize + 1, '\0');
  size_t n = 0;
  if (sidSize != 0 && domainSize != 0 &&
      LookupAccountNameA(nullptr, account.c_str(), &sid[0], &sidSize, &domain[0], &domainSize, &use))
    n = std::strlen(domain.c_str());  // up to the terminating zero
  domain.resize(n);
  return domain;
}

String CurrentDomainName() { return AccountDomain(UserName()); }

}  // namespace vx
