// Registry path splitting and the current-version key.
#include <gtest/gtest.h>

#include "system/registry.h"

namespace vx {
namespace {

TEST(RegistryPath, RootNames) {
  struct Case {
    const char* name;
    uint32_t root;
  } const cases[] = {
      {"HKEY_CLASSES_ROOT", 0x80000000u},   {"HKEY_CURRENT_USER", 0x80000001u},
      {"hkey_local_machine", 0x80000002u},  {"HKEY_USERS", 0x80000003u},
      {"Hkey_Current_Config", 0x80000005u}, {"HKEY_DYN_DATA", 0x80000006u},
      {"HKEY_PERFORMANCE_DATA", 0x80000001u}, {"HKEY_FOO", 0x80000001u}, {"", 0x80000001u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RegRootFromName(c.name), c.root);
  }
}

TEST(RegistryPath, Split) {
  struct Case {
    const char* path;
    uint32_t root;
    const char* subKey;
  } const cases[] = {
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0x80000002u,
       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"},
      {"hkey_local_machine\\Software\\X", 0x80000002u, "Software\\X"},
      {"Software\\X", 0x80000001u, "Software\\X"},
      {"HKEY_FOO\\Software\\X", 0x80000001u, "Software\\X"},  // unknown root name dropped
      {"HKEY_LOCAL_MACHINE", 0x80000001u, "HKEY_LOCAL_MACHINE"},  // no backslash: a literal sub-key
      {"  HKEY_USERS\\.DEFAULT\\X \t", 0x80000003u, ".DEFAULT\\X"},  // trimmed first
      {"HKEY_CURRENT_USER\\", 0x80000001u, ""},
      {"", 0x80000001u, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const RegPath p = SplitRegPath(c.path);
    EXPECT_EQ(p.root, c.root);
    EXPECT_EQ(p.subKey, c.subKey);
  }
}

TEST(RegistryPath, CurrentVersionKey) {
  EXPECT_EQ(CurrentVersionKeyFor(false), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  EXPECT_EQ(CurrentVersionKeyFor(true), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
}

}  // namespace
}  // namespace vx
