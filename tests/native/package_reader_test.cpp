// One package reader for the launcher and vxpack: where vxpack inspect once read a package its
// own way and called valid what the launcher cannot use, both now find the same.
#include <gtest/gtest.h>

#include <string>

#include "inspect.h"
#include "package/package_report.h"
#include "unpack_support.h"

namespace {

using namespace unpacktest;

TEST(PackageReader, InspectFindsWhatTheLauncherFinds) {
  const std::string hugeLanguage = std::string(1, '\x02') + std::string(vx::kMaxStringBlock, 'x');
  const std::string longName(vx::kMaxBlockHeader, 'n');
  struct Case {
    const char* what;
    std::vector<std::string> strings;
    std::vector<Bytes> blocks;
    bool launcherReads;        // TGFileInfo sees a package (texts, flags, settings)
    vx::UnpackFailure failure;  // what extraction says
    std::string problem;       // what vxpack inspect says ({} for the offset of block 3)
  } const cases[] = {
      {"sound", {std::string(1, '\x02'), "|||||"}, {FileStream("|a.txt|0|", "a")}, true,
       vx::UnpackFailure::kNone, ""},
      // The launcher reads string blocks of at most 16 MiB; inspect called a longer one valid.
      // Extraction reads the string blocks too: a longer block cannot be one (a file block there
      // would be a string-block count that lies).
      {"language block over 16 MiB", {hugeLanguage, "|||||"}, {FileStream("|a.txt|0|", "a")}, false,
       vx::UnpackFailure::kBadTrailer,
       "block 1 at offset 0: a string block of 16777217 bytes, more than the launcher reads (16777216)"},
      // Extraction refuses a header longer than any file name; inspect cut it at 4096 bytes and
      // called the package valid.
      {"header over 32768 bytes", {std::string(1, '\x02'), "|||||"},
       {FileStream("|a.txt|0|", "a"), FileStream("|" + longName + "|0|", "b")}, true,
       vx::UnpackFailure::kLongHeader, "block 4 at offset {}: the header is longer than 32768 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder tmp;
    PackageDesc desc;
    desc.strings = c.strings;
    desc.pieces = {c.blocks};
    const std::map<std::string, Bytes> files = WritePackage(tmp.Path(), "p.exe", desc);
    ASSERT_EQ(files.size(), 1u);
    const std::string path = files.begin()->first;

    vx::MemorySource src(files.begin()->second);
    EXPECT_EQ(vx::TGFileInfo(src).IsPackage(), c.launcherReads);

    FakeHost host;
    host.pieces = files;
    vx::UnpackRequest req;
    req.packagePath = path;
    req.workFolder = "C:\\W";
    const vx::UnpackResult r = vx::UnpackPackageWith(req, host);
    EXPECT_TRUE(r.checksumOk);
    EXPECT_EQ(r.failure, c.failure) << r.errorText;

    std::string problem = c.problem;
    const size_t mark = problem.find("{}");
    if (mark != std::string::npos)
      problem.replace(mark, 2, std::to_string(FirstFileBlock(desc) + 4 + c.blocks[0].size()));
    const vxpack::Inspection in = vxpack::InspectPackage(path);
    if (problem.empty()) {
      EXPECT_TRUE(in.problems.empty()) << in.problems[0];
    } else {
      ASSERT_EQ(in.problems.size(), 1u);
      EXPECT_EQ(in.problems[0], problem);
    }
    // Valid for inspect exactly when the launcher can read and extract it.
    EXPECT_EQ(in.problems.empty(), c.launcherReads && r.failure == vx::UnpackFailure::kNone);
  }
}

}  // namespace
