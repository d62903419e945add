// The self-delete batch under the system's command interpreter: a program that starts it and
// ends is removed a moment later, with its folder when asked, even when it was started from
// inside that folder.
#include <gtest/gtest.h>

#include <ostream>

#include "system/files.h"
#include "system/folders.h"
#include "test_support.h"

using namespace vxtest;

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Case {
  const char* folder;
  bool removeFolder;
};
void PrintTo(const Case& c, std::ostream* os) { *os << '"' << c.folder << '"' << (c.removeFolder ? " /remove" : ""); }

class SelfDelete : public ::testing::TestWithParam<Case> {};

TEST_P(SelfDelete, ProgramGoesAfterItEnds) {
  const Case c = GetParam();
  const std::string dir = FreshTempDir("selfdel") + c.folder;
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  const std::string exe = dir + "\\selfdeleter copy.exe";
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "selfdeleter.exe", exe));
  const std::string batch = vx::TempDir(true) + "_DEL_ME_.BAT";

  // Started with its own folder as the current folder.
  ProcessResult r = RunAndWait("\"" + exe + "\"" + (c.removeFolder ? " /remove" : ""), 20000, dir);
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(PumpUntil([&] { return !Exists(exe); }, 30000)) << exe;
  EXPECT_TRUE(PumpUntil([&] { return !Exists(batch); }, 30000)) << "the batch deletes itself";
  if (c.removeFolder) {
    EXPECT_TRUE(PumpUntil([&] { return !Exists(dir); }, 30000)) << dir;
  } else {
    EXPECT_TRUE(vx::DirectoryExists(dir));
  }
}

INSTANTIATE_TEST_SUITE_P(Batch, SelfDelete,
                         ::testing::Values(Case{"app folder", true}, Case{"keep", false}, Case{"plain", true}));

}  // namespace
