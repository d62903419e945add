// One package reader for the launcher and vxpack: where vxpack inspect once read a package its
// own way and called valid what the launcher cannot use, both now find the same.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "extract.h"
#include "inspect.h"
#include "package/package_io.h"
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

// Found by fuzzing: a package whose data start leaves out its string blocks (the trailer's
// fields are outside the checksum) was extracted and verified as sound while inspect and the
// launcher's reader called it damaged. With no file blocks to miss (a package without files, a
// span or web launcher), nothing else told.
TEST(PackageReader, MissingStringBlocksAreDamage) {
  struct Case {
    const char* what;
    uint8_t flags;
    int skipped;  // string blocks the data start is moved past (-1: to the trailer)
  } const cases[] = {
      {"sound", 0, 0},
      {"data start at the trailer", 0, -1},
      {"span launcher, data start at the trailer", vx::kFlagSpan, -1},
      {"data start at the settings list", 0, 1},
      {"span launcher, data start at the settings list", vx::kFlagSpan, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder tmp;
    PackageDesc desc;
    desc.flags = c.flags;
    desc.pieces = {{}};
    const std::map<std::string, Bytes> files = WritePackage(tmp.Path(), "p.exe", desc);
    ASSERT_EQ(files.size(), 1u);
    const std::string path = files.begin()->first;
    Bytes bytes = files.begin()->second;
    const size_t trailer = bytes.size() - vx::kTrailerLength;
    const uint32_t dataStart = c.skipped < 0 ? static_cast<uint32_t>(trailer)
                                             : static_cast<uint32_t>(c.skipped == 0 ? 0 : 4 + desc.strings[0].size());
    vx::StoreU32(&bytes[trailer + 4], dataStart);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    FakeHost host;
    host.pieces[path] = bytes;
    vx::UnpackRequest req;
    req.packagePath = path;
    req.workFolder = "C:\\W";
    const vx::UnpackResult r = vx::UnpackPackageWith(req, host);
    EXPECT_TRUE(r.checksumOk);
    const bool sound = c.skipped == 0;
    EXPECT_EQ(r.failure, sound ? vx::UnpackFailure::kNone : vx::UnpackFailure::kBadTrailer) << r.errorText;
    if (!sound) {
      EXPECT_EQ(r.errorText, "The package is damaged: its string blocks are missing.");
    }
    EXPECT_EQ(vxpack::ExtractPackage(path, "").ok, sound);
    EXPECT_EQ(vxpack::InspectPackage(path).problems.empty(), sound);
  }
}

// Found by fuzzing: extraction read blocks up to the end of the package, trailer included, so a
// block whose length ran into the trailer (a zlib stream ends where it ends, the rest was left
// unread) was extracted and verified as sound while inspect called it damaged.
TEST(PackageReader, BlocksEndBeforeTheTrailer) {
  struct Case {
    const char* what;
    bool files;   // the package holds files (else: three string blocks and no file)
    int grow;     // added to the length of the last block
    int insert;   // bytes put in before the trailer
  } const cases[] = {
      {"sound", true, 0, 0},
      {"last file block runs into the trailer", true, 6, 0},
      {"web list runs into the trailer", false, 10, 0},
      {"three bytes before the trailer", true, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder tmp;
    PackageDesc desc;
    if (c.files) {
      desc.pieces = {{FileStream("|a.txt|0|", "alpha"), FileStream("|b.txt|0|", "")}};
    } else {
      desc.strings.push_back("|http://w.example.com|p.exe|0||1234|");
      desc.pieces = {{}};
    }
    const std::map<std::string, Bytes> files = WritePackage(tmp.Path(), "p.exe", desc);
    ASSERT_EQ(files.size(), 1u);
    const std::string path = files.begin()->first;
    Bytes bytes = files.begin()->second;
    size_t last = 0;  // the last block's length field
    for (size_t pos = 0; pos + vx::kTrailerLength < bytes.size(); pos += 4 + vx::LoadU32(&bytes[pos])) last = pos;
    vx::StoreU32(&bytes[last], vx::LoadU32(&bytes[last]) + static_cast<uint32_t>(c.grow));
    bytes.insert(bytes.end() - vx::kTrailerLength, static_cast<size_t>(c.insert), '\x07');
    Reseal(bytes);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    FakeHost host;
    host.pieces[path] = bytes;
    vx::UnpackRequest req;
    req.packagePath = path;
    req.workFolder = "C:\\W";
    const vx::UnpackResult r = vx::UnpackPackageWith(req, host);
    EXPECT_TRUE(r.checksumOk);
    const bool sound = c.grow == 0 && c.insert == 0;
    EXPECT_EQ(r.failure, sound ? vx::UnpackFailure::kNone : vx::UnpackFailure::kBlockPastEnd) << r.errorText;
    if (!sound) {
      EXPECT_NE(r.errorText.find("runs past the end"), std::string::npos) << r.errorText;
    }
    EXPECT_EQ(vxpack::ExtractPackage(path, "").ok, sound);
    EXPECT_EQ(vxpack::InspectPackage(path).problems.empty(), sound);
  }
}
