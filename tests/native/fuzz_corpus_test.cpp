// The fuzz targets' corpora replayed: every checked-in input (seeds, and each input a fuzz run
// found something with) goes through its target again, whose property checks become test
// failures here. A regression check that takes seconds, not a search.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "scratch_host.h"

namespace vxfuzz {

void Broken(const char* target, const std::string& what) { ADD_FAILURE() << target << ": " << what; }

}  // namespace vxfuzz

namespace {

namespace fs = std::filesystem;

const fs::path kCorpora = fs::path(VX_SOURCE_DIR) / "tests" / "fuzz" / "corpus";

std::vector<uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FuzzCorpus, EveryTargetHasACorpusAndEveryCorpusATarget) {
  std::set<std::string> targets, folders;
  for (const vxfuzz::Target& t : vxfuzz::Targets()) targets.insert(t.name);
  for (const auto& e : fs::directory_iterator(kCorpora))
    if (e.is_directory()) folders.insert(e.path().filename().string());
  EXPECT_EQ(targets, folders);
  EXPECT_GE(targets.size(), 10u);
}

TEST(FuzzCorpus, EveryInputPassesItsTarget) {
  for (const vxfuzz::Target& t : vxfuzz::Targets()) {
    const fs::path folder = kCorpora / t.name;
    std::vector<fs::path> inputs;
    if (fs::is_directory(folder))
      for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) inputs.push_back(e.path());
    std::sort(inputs.begin(), inputs.end());
    EXPECT_FALSE(inputs.empty()) << "no corpus for " << t.name;
    for (const fs::path& p : inputs) {
      SCOPED_TRACE(p.string());
      const std::vector<uint8_t> bytes = ReadBytes(p);
      t.run(bytes.data(), bytes.size());
    }
  }
}

// The extraction target's scratch folder resolves names as Windows does, on its own.
TEST(FuzzCorpus, TheScratchFolderPlacesNamesAsWindowsDoes) {
  struct Case {
    const char* name;
    const char* place;  // empty: outside the folder, or not a file in it
  } const cases[] = {
      {"a.txt", "a.txt"},        {"Sub\\A.TXT", "sub/a.txt"}, {"a/b/../c", "a/c"},   {"a\\.\\b", "a/b"},
      {"a. . \\b.", "a/b"},      {"..\\x", ""},               {"a\\..\\..\\x", ""}, {"a\\..", ""},
      {"C:x", ""},               {"a:stream", ""},            {"\\x", ""},          {"/x", ""},
      {"nul.txt", ""},           {"d\\COM1 .log", ""},        {"lpt9", ""},         {"conout$", ""},
      {"com10", "com10"},        {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string why;
    EXPECT_EQ(vxfuzz::ScratchPlace(c.name, why), c.place);
    EXPECT_EQ(why.empty(), *c.place != '\0');
  }
}

// A name outside the folder is a finding of the target; a check that does not hold fails here.
TEST(FuzzCorpus, AWriteOutsideTheFolderFails) {
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    vxfuzz::ScratchHost host("sample");
    bool existed = false;
    EXPECT_FALSE(host.OpenOutput("a\\..\\..\\evil.exe", true, existed)->Write(reinterpret_cast<const uint8_t*>("x"), 1));
    EXPECT_TRUE(host.files.empty());
  }
  ASSERT_EQ(failures.size(), 1);
  EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("sample: the engine wrote"), std::string::npos);
}

}  // namespace
