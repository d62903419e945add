// Read-only registry access by full path, INI files through the private-profile calls, and the
// helpers that name the user and the machine. Path splitting is portable (registry.cpp); the
// rest is the Win32 layer (registry_win.cpp). Nothing here writes the registry.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// Root key handle values.
constexpr uint32_t kRootClassesRoot = 0x80000000u;
constexpr uint32_t kRootCurrentUser = 0x80000001u;
constexpr uint32_t kRootLocalMachine = 0x80000002u;
constexpr uint32_t kRootUsers = 0x80000003u;
constexpr uint32_t kRootCurrentConfig = 0x80000005u;
constexpr uint32_t kRootDynData = 0x80000006u;

// "HKEY_LOCAL_MACHINE" etc. in any letter case; any other text gives the current-user root.
uint32_t RegRootFromName(const std::string& rootName);

struct RegPath {
  uint32_t root = kRootCurrentUser;
  std::string subKey;
};
// Trimmed; "HKEY_...\rest" names its root before the first backslash, anything else is a
// sub-key of the current-user root.
RegPath SplitRegPath(const std::string& fullPath);

extern const char* const kCurrentVersionKeyPath;  // HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion
// The current-version key, with every "Windows" made "Windows NT" on the NT family.
std::string CurrentVersionKeyFor(bool winNT);

// ---- Win32 layer ----
// A value as text: REG_DWORD as unsigned decimal, anything else up to its first zero byte.
// A missing key or value, or one over 2048 bytes, gives def. An empty name reads the default value.
std::string RegReadStr(const std::string& fullPath, const std::string& valueName, const std::string& def);

bool IniWrite(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value);
bool IniWriteInt(const std::string& file, const std::string& section, const std::string& key, int64_t value);
std::string IniRead(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& def);  // at most 10240 characters
// Decimal, or hexadecimal after "$", "x" or "0x"; a text that does not convert gives def.
int64_t IniReadInt(const std::string& file, const std::string& section, const std::string& key, int64_t def);

std::string UserName();      // trimmed; empty on failure
std::string ComputerName();  // trimmed; empty on failure
std::string CurrentVersionKey();
std::string RegisteredOwner();         // trimmed; UserName() when absent
std::string RegisteredOrganization();  // trimmed; empty when absent
std::string AccountDomain(const std::string& account);  // empty on failure
std::string CurrentDomainName();                        // AccountDomain(UserName())

}  // namespace vx
