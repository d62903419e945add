// File utilities on the Win32 file system.
#include <gtest/gtest.h>

#include <random>

#include "system/debug.h"
#include "system/files.h"
#include "test_support.h"

using namespace vxtest;

namespace {

std::string RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

TEST(Files, ReadParts) {
  const std::string file = FreshTempDir("readpart") + "data.bin";
  const std::string data = RandomBytes(1000, 1);
  ASSERT_TRUE(WriteWholeFile(file, data));
  struct Case {
    int64_t offset;
    uint32_t maxLength;
    std::string expected;
  } const cases[] = {
      {0, 0, data},
      {10, 0, data.substr(10)},
      {10, 20, data.substr(10, 20)},
      {990, 20, data.substr(990)},  // limited by the end of the file
      {999, 0, data.substr(999)},
      {1000, 0, ""},                // offset equal to the size
      {1000, 5, ""},
      {-1, 0, ""},                  // negative offset
      {5000, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.offset) + "/" + std::to_string(c.maxLength));
    EXPECT_EQ(vx::ReadFilePart(file, c.offset, c.maxLength), c.expected);
  }
  EXPECT_EQ(vx::ReadFilePart(file + ".none", 0, 0), "");
  EXPECT_EQ(vx::FileSizeOf(file), 1000u);
  EXPECT_EQ(vx::FileSizeOf(file + ".none"), 0u);
}

TEST(Files, WriteAppendAndDate) {
  const std::string dir = FreshTempDir("write");
  const std::string file = dir + "out file.txt";
  EXPECT_TRUE(vx::WriteFileText(file, "first", 0, false));
  EXPECT_TRUE(vx::WriteFileText(file, " second", 0, true));
  EXPECT_TRUE(vx::AppendFileText(file, " third", 0));
  EXPECT_EQ(ReadWholeFile(file), "first second third");
  EXPECT_TRUE(vx::WriteFileText(file, "new", 0, false));  // create truncates
  EXPECT_EQ(ReadWholeFile(file), "new");
  EXPECT_TRUE(vx::AppendFileText(dir + "fresh.txt", "made by append", 0));
  EXPECT_EQ(ReadWholeFile(dir + "fresh.txt"), "made by append");
  EXPECT_TRUE(vx::WriteFileText(dir + "empty.txt", "", 0, false));
  EXPECT_TRUE(vx::FileExists(dir + "empty.txt"));
  EXPECT_FALSE(vx::WriteFileText(dir + "no such folder\\x.txt", "x", 0, false));

  // Packed local date and time: 7 December 2026, 13:05:08 (two-second steps).
  const uint32_t date = ((2026 - 1980) << 25 | 12 << 21 | 7 << 16) | (13 << 11 | 5 << 5 | 8 / 2);
  EXPECT_TRUE(vx::WriteFileText(dir + "dated.txt", "x", date, false));
  uint32_t got = 0;
  ASSERT_TRUE(vx::FileDosDateTime(dir + "dated.txt", got));
  EXPECT_EQ(got, date);
  EXPECT_TRUE(vx::AppendFileText(dir + "dated.txt", "y", date - 1));
  ASSERT_TRUE(vx::FileDosDateTime(dir + "dated.txt", got));
  EXPECT_EQ(got, date - 1);
}

TEST(Files, LargeWritesInChunks) {
  const std::string dir = FreshTempDir("large");
  for (size_t size : {size_t(100), size_t(1048576), size_t(5 * 1048576 + 3)}) {
    SCOPED_TRACE(size);
    const std::string data = RandomBytes(size, static_cast<uint32_t>(size));
    ASSERT_TRUE(vx::WriteFileText(dir + "big.bin", data, 0, false));
    EXPECT_EQ(vx::FileSizeOf(dir + "big.bin"), size);
    EXPECT_TRUE(ReadWholeFile(dir + "big.bin") == data);
  }
}

TEST(Files, FileNameWithoutExt) {
  EXPECT_EQ(vx::FileNameWithoutExt("C:\\Program Files\\My.App\\setup.exe"), "setup");
  EXPECT_EQ(vx::FileNameWithoutExt("agent"), "agent");
}

TEST(Files, FreeSpace) {
  const double c = vx::DiskFreeSpace("C:\\");
  EXPECT_GT(c, 0);
  EXPECT_GT(vx::DiskFreeSpace("c:"), 0);             // short path: the drive's root
  EXPECT_GT(vx::DiskFreeSpace(TestBinDir()), 0);
  EXPECT_EQ(vx::DiskFreeSpace("Q:\\"), -1);          // no such drive
  EXPECT_EQ(vx::DiskFreeSpace(""), -1);
}

TEST(Files, DeleteByMask) {
  const std::string dir = FreshTempDir("mask");
  for (const char* name : {"a.tmp", "b.tmp", "c.txt", "ro.tmp", "hidden.tmp"})
    ASSERT_TRUE(WriteWholeFile(dir + name, name));
  CreateDirectoryA((dir + "sub.tmp").c_str(), nullptr);
  SetFileAttributesA((dir + "ro.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((dir + "hidden.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  EXPECT_TRUE(vx::DeleteByMask(dir + "*.tmp", false));
  EXPECT_FALSE(vx::FileExists(dir + "a.tmp"));
  EXPECT_FALSE(vx::FileExists(dir + "b.tmp"));
  EXPECT_FALSE(vx::FileExists(dir + "hidden.tmp"));  // hidden and system files match too
  EXPECT_TRUE(vx::FileExists(dir + "ro.tmp"));       // read-only stays without clearing
  EXPECT_TRUE(vx::FileExists(dir + "c.txt"));
  EXPECT_TRUE(vx::DirectoryExists(dir + "sub.tmp"));  // folders never match

  EXPECT_TRUE(vx::DeleteByMask(dir + "*.tmp", true));
  EXPECT_FALSE(vx::FileExists(dir + "ro.tmp"));
  EXPECT_FALSE(vx::DeleteByMask(dir + "*.tmp", true));  // nothing left to match
  EXPECT_FALSE(vx::DeleteByMask(dir + "nothing\\*.*", true));
}

TEST(Files, DeleteTreeWithReadOnlyFiles) {
  const std::string root = FreshTempDir("tree") + "top";
  for (const char* d : {"", "\\a", "\\a\\b", "\\a\\b\\c", "\\empty"}) CreateDirectoryA((root + d).c_str(), nullptr);
  for (const char* f : {"\\1.txt", "\\a\\2.txt", "\\a\\b\\3.txt", "\\a\\b\\c\\4.txt"}) {
    ASSERT_TRUE(WriteWholeFile(root + f, f));
    SetFileAttributesA((root + f).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  EXPECT_FALSE(vx::DeleteTree(root, false));  // read-only files stay, so the folder does too
  EXPECT_TRUE(vx::DirectoryExists(root));
  EXPECT_TRUE(vx::FileExists(root + "\\a\\b\\c\\4.txt"));
  EXPECT_TRUE(vx::DeleteTree(root + "\\", true));
  EXPECT_FALSE(vx::DirectoryExists(root));
  EXPECT_FALSE(vx::DeleteTree(root, true));  // no longer there
  EXPECT_FALSE(vx::DeleteTree("", true));
}

TEST(Files, EjectOnlyCdDrives) {
  TraceViewer viewer;
  TraceChannelHere channel;
  EXPECT_FALSE(vx::EjectCD("C:\\Windows"));  // a hard disk: no device is opened
  EXPECT_FALSE(vx::EjectCD("1:\\"));
  EXPECT_FALSE(vx::EjectCD(""));
  EXPECT_TRUE(viewer.Chunks().empty());  // no "EjectCD-2" line: nothing was opened
}

}  // namespace
