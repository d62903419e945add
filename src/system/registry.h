// Read-only registry access by full path, INI files through the private-profile calls, and the
// helpers that name the user and the machine. Path splitting is portable (registry.cpp); the
// rest is the Win32 layer (registry_win.cpp). Nothing here writes the registry.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// Root key handle values.
constexpr uint32_t kRootClassesRoot = 0x80000000u;
constexpr uint32_t kRootCurrentUser = 0x80000001u;
constexpr uint32_t kRootLocalMachine = 0x80000002u;
constexpr uint32_t kRootUsers = 0x80000003u;
constexpr uint32_t kRootCurrentConfig = 0x80000005u;
constexpr uint32_t kRootDynData = 0x80000006u;

// "HKEY_LOCAL_MACHINE" etc. in any letter case; any other text gives the current-user root.
uint32_t RegRootFromName(StrView rootName);

struct RegPath {
  uint32_t root = kRootCurrentUser;
  String subKey;
};
// Trimmed; "HKEY_...\rest" names its root before the first backslash, anything else is a
// sub-key of the current-user root.
RegPath SplitRegPath(const String& fullPath);

extern const char* const kCurrentVersionKeyPath;  // HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion
// The current-version key, with every "Windows" made "Windows NT" on the NT family.
String CurrentVersionKeyFor(bool winNT);

// ---- Win32 layer ----
// A value as text: REG_DWORD as unsigned decimal, anything else up to its first zero byte.
// A missing key or value, or one over 2048 bytes, gives def. An empty name reads the default value.
String RegReadStr(StrView fullPath, const char* valueName, const char* def);

bool IniWrite(const String& file, const char* section, const char* key, const String& value);
bool IniWriteInt(const String& file, const char* section, const char* key, int64_t value);
String IniRead(const String& file, const char* section, const char* key,
               const char* def);  // at most 10240 characters
// Decimal, or hexadecimal after "$", "x" or "0x"; a text that does not convert gives def.
int64_t IniReadInt(const String& file, const char* section, const char* key, int64_t def);

String UserName();      // trimmed; empty on failure
String ComputerName();  // trimmed; empty on failure
String CurrentVersionKey();
String RegisteredOwner();         // trimmed; UserName() when absent
String RegisteredOrganization();  // trimmed; empty when absent
String AccountDomain(const String& account);  // empty on failure
String CurrentDomainName();                        // AccountDomain(UserName())

}  // namespace vx
