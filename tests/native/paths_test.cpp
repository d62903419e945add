// Folder-text normalisation, including the double-byte lead-byte rule.
#include <gtest/gtest.h>

#include <random>

#include "text/paths.h"
#include "work_count.h"

namespace vx {
namespace {

// Lead bytes of a Japanese code page (0x81-0x9F, 0xE0-0xFC), whose second bytes include "\".
bool Cp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// "\x95\x5C" is one double-byte character whose second byte is a backslash.
const std::string kDbcs = "\x95\\";

TEST(Paths, SetTrailingBackslash) {
  struct Case {
    std::string path;
    bool add;
    std::string result;
  } const cases[] = {
      {"C:\\", false, "C:"},
      {"C:\\", true, "C:\\"},
      {"D:\\Setup\\", true, "D:\\Setup\\"},
      {"D:\\Setup", true, "D:\\Setup\\"},
      {"D:\\Setup\\", false, "D:\\Setup"},
      {"D:\\Setup\\\\", false, "D:\\Setup\\"},  // only one is removed
      {"a\\", false, "a\\"},                     // 1-2 characters keep their backslash
      {"a\\", true, "a\\\\"},
      {"\\", true, "\\\\"},
      {"", true, "\\"},
      {"", false, ""},
      {"C:\\" + kDbcs, false, "C:\\" + kDbcs},  // second byte of a double-byte character stays
      {"C:\\" + kDbcs, true, "C:\\" + kDbcs + "\\"},
      {"C:\\" + kDbcs + "\\", false, "C:\\" + kDbcs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + (c.add ? " +" : " -"));
    EXPECT_EQ(SetTrailingBackslash(c.path, c.add, Cp932Lead), c.result);
  }
  // Without a lead-byte test the same backslash counts as a separator.
  EXPECT_EQ(SetTrailingBackslash("C:\\" + kDbcs, false, nullptr), "C:\\\x95");
}

TEST(Paths, RemoveTrailingBackslash) {
  struct Case {
    std::string path;
    std::string result;
  } const cases[] = {
      {"\\", ""},          {"C:\\", "C:"},          {"a\\", "a"},
      {"C:\\x", "C:\\x"},  {"C:\\x\\\\", "C:\\x\\"}, {"", ""},
      {"C:\\" + kDbcs, "C:\\" + kDbcs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(RemoveTrailingBackslash(c.path, Cp932Lead), c.result);
  }
}

TEST(Paths, CollapseBackslashes) {
  struct Case {
    std::string path;
    bool strip;
    std::string result;
  } const cases[] = {
      {"C:\\\\a\\\\\\b", false, "C:\\a\\b"},
      {"\\\\srv\\\\x", false, "\\\\srv\\x"},          // the network pair survives
      {"\\\\\\\\srv", false, "\\\\srv"},
      {"\\\\x.exe", false, "\\\\x.exe"},
      {"C:\\Prog\\\\bin\\app.exe", false, "C:\\Prog\\bin\\app.exe"},
      {"C:\\a\\\\", false, "C:\\a\\\\"},              // the last pair is not examined
      {"C:\\a\\\\", true, "C:\\a\\"},
      {"C:\\a\\", true, "C:\\a"},
      {"|C:\\a||C:\\b|", false, "|C:\\a||C:\\b|"},    // no backslash pair: unchanged
      {"C:\\x" + kDbcs + "\\y", false, "C:\\x" + kDbcs + "\\y"},  // a second byte is no separator
      {"C:\\x\\\\\\y", false, "C:\\x\\y"},
      {"", false, ""},
      {"\\", true, ""},
      {"ab", false, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + (c.strip ? " strip" : ""));
    EXPECT_EQ(CollapseBackslashes(c.path, c.strip, Cp932Lead), c.result);
  }
}

// The rule walked as written, right to left, removing one backslash at a time.
std::string CollapseByTheRule(std::string r, bool strip) {
  for (size_t i = r.size() >= 3 ? r.size() - 3 : 0; i >= 2; --i)
    if (r[i] == '\\' && r[i + 1] == '\\' && !Cp932Lead(static_cast<unsigned char>(r[i - 1]))) r.erase(i, 1);
  if (r.size() >= 3 && r[1] == '\\' && r[2] == '\\') r.erase(1, 1);
  if (strip) return RemoveTrailingBackslash(r, Cp932Lead);
  return r;
}

TEST(Paths, CollapseBackslashesFollowsTheRuleOnRandomTexts) {
  std::mt19937 rng(2424);
  const char alphabet[] = {'\\', '\\', '\\', 'a', ':', '\x95', ' '};
  for (int round = 0; round < 3000; ++round) {
    std::string path(rng() % 12, ' ');
    for (char& c : path) c = alphabet[rng() % sizeof alphabet];
    const bool strip = rng() % 2 == 0;
    SCOPED_TRACE(path + (strip ? " strip" : ""));
    ASSERT_EQ(CollapseBackslashes(path, strip, Cp932Lead), CollapseByTheRule(path, strip));
  }
}

// Every removed backslash copied the whole text, so a text of doubled backslashes cost the square
// of its length.
TEST(Paths, CollapseBackslashesCostsWorkInProportionToTheText) {
  auto text = [](int n) {
    std::string s = "C:";
    for (int i = 0; i < n; ++i) s += "\\\\d";
    return s;
  };
  EXPECT_EQ(CollapseBackslashes(text(3), false, Cp932Lead), "C:\\d\\d\\d");
  vxtest::ExpectLinearWork([&](int n) { CollapseBackslashes(text(n), false, Cp932Lead); }, 2000);
}

TEST(Paths, FolderAndFileNameParts) {
  struct Case {
    std::string path, folder, name, parent;
  } const cases[] = {
      {"C:\\a\\b.exe", "C:\\a\\", "b.exe", "C:\\a"},
      {"C:\\b.exe", "C:\\", "b.exe", "C:"},
      {"C:b.exe", "C:", "b.exe", "C:"},
      {"b.exe", "", "b.exe", ""},
      {"C:\\a\\", "C:\\a\\", "", "C:\\a"},
      {"C:\\" + kDbcs + "x", "C:\\", kDbcs + "x", "C:"},  // "\" inside a character does not split
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FolderOf(c.path, Cp932Lead), c.folder);
    EXPECT_EQ(FileNameOf(c.path, Cp932Lead), c.name);
    EXPECT_EQ(ParentOf(c.path, Cp932Lead), c.parent);
  }
}

// One file-name part for package names, program paths and process images alike: every "\", "/"
// and ":" ends a folder part (process images used to be split at "\" only).
TEST(Paths, FileNamePartSplitsAtEverySeparator) {
  struct Case {
    std::string path, name;
  } const cases[] = {
      {"C:\\Program Files\\App\\app.exe", "app.exe"},
      {"\\\\server\\share\\setup.exe", "setup.exe"},
      {"updates/App.info", "App.info"},
      {"http://host/dir/App.info", "App.info"},
      {"bin/sub\\tool.dll", "tool.dll"},
      {"C:app.exe", "app.exe"},
      {"app.exe", "app.exe"},
      {"C:\\dir\\", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileNamePart(c.path), c.name);
  }
}

}  // namespace
}  // namespace vx
