// Folder-text normalisation, including the double-byte lead-byte rule.
#include <gtest/gtest.h>

#include "text/paths.h"

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
