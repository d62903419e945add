// INI values through the private-profile calls.
#include <gtest/gtest.h>

#include "system/registry.h"
#include "test_support.h"

using namespace vxtest;

namespace {

TEST(Ini, TextRoundTrips) {
  const std::string file = FreshTempDir("ini") + "settings file.ini";
  struct Case {
    const char* section;
    const char* key;
    std::string value;
  } const cases[] = {
      {"General", "Name", "Vornix App"},
      {"General", "Path", "C:\\Program Files\\App\\app.exe"},
      {"General", "Empty", ""},
      {"Update", "URL", "http://updates.example.com/app/"},
      {"Update", "List", "|a|b|c|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_TRUE(vx::IniWrite(file, c.section, c.key, c.value));
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(vx::IniRead(file, c.section, c.key, "?"), c.value);
  }
  EXPECT_EQ(vx::IniRead(file, "general", "NAME", "?"), "Vornix App");  // the platform ignores case
  EXPECT_EQ(vx::IniRead(file, "General", "Missing", "dflt"), "dflt");
  EXPECT_EQ(vx::IniRead(file, "NoSection", "Name", "dflt"), "dflt");
  EXPECT_EQ(vx::IniRead(file + ".none", "General", "Name", "dflt"), "dflt");
  EXPECT_TRUE(vx::IniWrite(file, "General", "Name", "changed"));
  EXPECT_EQ(vx::IniRead(file, "General", "Name", "?"), "changed");
}

TEST(Ini, LongValueIsCut) {
  const std::string file = FreshTempDir("ini_long") + "long.ini";
  std::string value;
  for (int i = 0; value.size() < 10300; ++i) value += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(vx::IniWrite(file, "S", "K", value));
  const std::string got = vx::IniRead(file, "S", "K", "");
  EXPECT_LE(got.size(), 10240u);
  EXPECT_GE(got.size(), 10000u);
  EXPECT_EQ(got, value.substr(0, got.size()));
}

TEST(Ini, Integers) {
  const std::string file = FreshTempDir("ini_int") + "numbers.ini";
  const int64_t values[] = {0, -5, 1234567, int64_t(1) << 40, INT64_MIN + 1};
  for (int64_t v : values) {
    SCOPED_TRACE(v);
    ASSERT_TRUE(vx::IniWriteInt(file, "N", "V", v));
    EXPECT_EQ(vx::IniRead(file, "N", "V", ""), std::to_string(v));
    EXPECT_EQ(vx::IniReadInt(file, "N", "V", 99), v);
  }
  struct Case {
    const char* text;
    int64_t expected;  // default 99
  } const cases[] = {
      {"$1F", 31}, {"0x10", 16}, {"x20", 32}, {"+12", 12}, {"abc", 99}, {"", 99}, {"TRUE", 99}, {"12abc", 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_TRUE(vx::IniWrite(file, "N", "T", c.text));
    EXPECT_EQ(vx::IniReadInt(file, "N", "T", 99), c.expected);
  }
  EXPECT_EQ(vx::IniReadInt(file, "N", "Missing", -7), -7);
}

TEST(Ini, RefusedWriteIsFalse) {
  const std::string file = FreshTempDir("ini_bad") + "no such folder\\x.ini";
  EXPECT_FALSE(vx::IniWrite(file, "S", "K", "v"));
  EXPECT_FALSE(vx::IniWriteInt(file, "S", "K", 1));
}

}  // namespace
