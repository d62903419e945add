// Registry reads by full path, and the user and machine identity helpers.
#include <gtest/gtest.h>

#include "system/registry.h"
#include "test_support.h"
#include "text/utils.h"

namespace {

const char* const kTestKey = "Software\\VornixEnvTest";

void SetValue(HKEY root, const char* subKey, const char* name, DWORD type, const std::string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "HKEY_LOCAL_MACHINE");
  }
};

TEST_F(Registry, ValueTypesAsText) {
  const std::string big(3000, 'b');
  std::string full2048(2048, 'c');
  SetValue(HKEY_CURRENT_USER, kTestKey, "Str", REG_SZ, std::string("hello world\0", 12));
  SetValue(HKEY_CURRENT_USER, kTestKey, "Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
  SetValue(HKEY_CURRENT_USER, kTestKey, "Multi", REG_MULTI_SZ, std::string("first\0second\0\0", 14));
  SetValue(HKEY_CURRENT_USER, kTestKey, "Max", REG_DWORD, Dword(0xFFFFFFFFu));
  SetValue(HKEY_CURRENT_USER, kTestKey, "Seven", REG_DWORD, Dword(7));
  SetValue(HKEY_CURRENT_USER, kTestKey, "Bin", REG_BINARY, std::string("ab\0cd", 5));
  SetValue(HKEY_CURRENT_USER, kTestKey, "BinNoZero", REG_BINARY, "xyz");
  SetValue(HKEY_CURRENT_USER, kTestKey, "Bin2048", REG_BINARY, full2048);
  SetValue(HKEY_CURRENT_USER, kTestKey, "Big", REG_SZ, big);
  SetValue(HKEY_CURRENT_USER, kTestKey, "", REG_SZ, std::string("default value\0", 14));
  const std::string path = std::string("HKEY_CURRENT_USER\\") + kTestKey;
  struct Case {
    const char* name;
    std::string expected;
  } const cases[] = {
      {"Str", "hello world"},
      {"Expand", "%TEMP%\\x"},        // not expanded
      {"Multi", "first"},             // up to the first zero
      {"Max", "4294967295"},          // unsigned
      {"Seven", "7"},
      {"Bin", "ab"},
      {"BinNoZero", "xyz"},           // no zero: every byte
      {"Bin2048", full2048},          // exactly the buffer
      {"Big", "?"},                   // over 2048 bytes: the default
      {"Missing", "?"},
      {"", "default value"},          // the key's default value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(vx::RegReadStr(path, c.name, "?"), c.expected);
  }
  EXPECT_EQ(vx::RegReadStr("HKEY_CURRENT_USER\\Software\\VornixEnvTest\\NoSuchKey", "Str", "dflt"), "dflt");
}

TEST_F(Registry, PathForms) {
  SetValue(HKEY_CURRENT_USER, kTestKey, "Where", REG_SZ, "user");
  SetValue(HKEY_LOCAL_MACHINE, kTestKey, "Where", REG_SZ, "machine");
  SetValue(HKEY_CURRENT_USER, "HKEY_LOCAL_MACHINE", "Where", REG_SZ, "literal");
  struct Case {
    const char* path;
    const char* expected;
  } const cases[] = {
      {"hkey_local_machine\\Software\\VornixEnvTest", "machine"},
      {"HKEY_LOCAL_MACHINE\\Software\\VornixEnvTest", "machine"},
      {"Software\\VornixEnvTest", "user"},             // no root name: current user
      {"HKEY_FOO\\Software\\VornixEnvTest", "user"},   // unknown root name dropped
      {"  HKEY_CURRENT_USER\\Software\\VornixEnvTest  ", "user"},
      {"HKEY_LOCAL_MACHINE", "literal"},               // no backslash: a sub-key of that name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(vx::RegReadStr(c.path, "Where", "?"), c.expected);
  }
}

// Replaces one value of the current-version key for a test and puts the old one back.
class CurrentVersionValue {
 public:
  explicit CurrentVersionValue(const char* name) : name_(name) {
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, SubKey().c_str(), 0, KEY_READ | KEY_WRITE, &key_);
    char buf[1024];
    DWORD size = sizeof buf, type = 0;
    had_ = key_ != nullptr &&
           RegQueryValueExA(key_, name_, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS;
    if (had_) old_.assign(buf, size);
  }
  ~CurrentVersionValue() {
    if (key_ == nullptr) return;
    if (had_)
      RegSetValueExA(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.data()), static_cast<DWORD>(old_.size()));
    else
      RegDeleteValueA(key_, name_);
    RegCloseKey(key_);
  }
  bool Open() const { return key_ != nullptr; }
  void Set(const std::string& v) {
    RegSetValueExA(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), static_cast<DWORD>(v.size() + 1));
  }
  void Remove() { RegDeleteValueA(key_, name_); }

 private:
  static std::string SubKey() { return vx::SplitRegPath(vx::CurrentVersionKey()).subKey; }
  const char* name_;
  HKEY key_ = nullptr;
  bool had_ = false;
  std::string old_;
};

TEST(Identity, OwnerAndOrganization) {
  EXPECT_NE(vx::CurrentVersionKey().find("\\Windows NT\\CurrentVersion"), std::string::npos);
  const std::string user = vx::UserName();
  ASSERT_FALSE(user.empty());
  EXPECT_EQ(user, vx::Trim(user));
  EXPECT_FALSE(vx::ComputerName().empty());

  CurrentVersionValue owner("RegisteredOwner"), org("RegisteredOrganization");
  ASSERT_TRUE(owner.Open());
  owner.Set("  Ann Owner \t");
  org.Set(" Acme Ltd ");
  EXPECT_EQ(vx::RegisteredOwner(), "Ann Owner");
  EXPECT_EQ(vx::RegisteredOrganization(), "Acme Ltd");
  owner.Remove();
  org.Remove();
  EXPECT_EQ(vx::RegisteredOwner(), user);  // absent: the logged-on user
  EXPECT_EQ(vx::RegisteredOrganization(), "");
}

TEST(Identity, AccountDomain) {
  EXPECT_EQ(vx::AccountDomain("no such account 4711"), "");
  const std::string domain = vx::CurrentDomainName();
  std::printf("[ info     ] user %s, computer %s, domain %s\n", vx::UserName().c_str(), vx::ComputerName().c_str(),
              domain.c_str());
  EXPECT_FALSE(domain.empty());
}

}  // namespace
