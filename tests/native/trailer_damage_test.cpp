// One flipped bit in a trailer, which the checksum does not cover: the extraction engine (and so
// vxpack verify and extract, and the launcher) either gives every file whole or calls the
// package damaged, for single packages and for every piece of a spanned one.
#include <gtest/gtest.h>

#include <fstream>

#include "extract.h"
#include "inspect.h"
#include "unpack_support.h"

namespace {

using namespace unpacktest;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> out;
  if (!fs::exists(root)) return out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) out[fs::relative(e.path(), root).string()] = ReadFile(e.path());
  return out;
}

void Store(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

const std::map<std::string, std::string> kFiles = {
    {"setup.exe", "MZ the setup program"}, {"a.txt", "first file"}, {"b.txt", "second file"},
    {"c.txt", "third file"},               {"d.txt", "fourth file"},
};

// The package: one file block per file, setup first; spanned: two blocks per piece.
struct Sample {
  TempFolder tmp;
  std::string first;                 // the first piece
  std::vector<std::string> pieces;   // every file of the package
  std::map<std::string, Bytes> bytes;

  explicit Sample(bool spanned) {
    PackageDesc desc;
    desc.pieces.emplace_back();
    for (const char* name : {"setup.exe", "a.txt", "b.txt", "c.txt", "d.txt"}) {
      if (spanned && desc.pieces.back().size() == 2) desc.pieces.emplace_back();
      const std::string header = std::string("|") + name + (name[0] == 's' ? "*|0|" : "|0|");
      desc.pieces.back().push_back(FileStream(header, kFiles.at(name)));
    }
    bytes = WritePackage(tmp.Path(), "setup.exe", desc);
    for (const auto& f : bytes) pieces.push_back(f.first);
    first = pieces.front();
  }
  };

struct Outcome {
  bool verified = false;   // vxpack verify (when asked for)
  bool extracted = false;  // the engine, as the launcher runs it: no failure, no cancelled disk
  bool whole = false;      // extracted, and every file as it was packed
  std::string problem;
};

Outcome Check(Sample& s, const std::string& piece, size_t offset, int bit, bool verify) {
  Bytes damaged = s.bytes.at(piece);
  damaged[damaged.size() - vx::kTrailerLength + offset] ^= static_cast<uint8_t>(1u << bit);
  Outcome o;
  if (verify) {
    Store(piece, damaged);
    const vxpack::ExtractSummary v = vxpack::ExtractPackage(s.first, "");
    o.verified = v.ok;
    o.problem = v.problem;
    Store(piece, s.bytes.at(piece));
  }

  FakeHost host;
  host.pieces = s.bytes;
  host.pieces[piece] = damaged;
  vx::UnpackRequest req;
  req.packagePath = s.first;
  req.workFolder = "C:\\W";
  const vx::UnpackResult r = vx::UnpackPackageWith(req, host);
  o.extracted = r.checksumOk && !r.cancelled && r.failure == vx::UnpackFailure::kNone;
  if (!verify) o.problem = r.errorText;
  std::map<std::string, std::string> files;
  for (const auto& f : host.files) files[f.second.name] = f.second.content;
  o.whole = o.extracted && files == kFiles && r.runCommand == "setup.exe*";
  return o;
}

TEST(TrailerDamage, SoundPackagesPass) {
  for (bool spanned : {false, true}) {
    SCOPED_TRACE(spanned ? "spanned" : "single");
    Sample s(spanned);
    ASSERT_EQ(s.pieces.size(), spanned ? 3u : 1u);
    const fs::path out = fs::path(s.tmp.Path()) / "out";
    const vxpack::ExtractSummary v = vxpack::ExtractPackage(s.first, "");
    EXPECT_TRUE(v.ok) << v.problem;
    const vxpack::ExtractSummary x = vxpack::ExtractPackage(s.first, out.string());
    EXPECT_TRUE(x.ok) << x.problem;
    EXPECT_EQ(Tree(out), kFiles);
  }
}

// Flips that passed as sound while files were lost: the string-block count skipped leading file
// blocks; a later piece without its magic number was skipped whole, as were the pieces after a
// cleared continuation flag; a first piece without its magic number gave nothing at all (vxpack
// called that no package, the launcher's extraction ended without a word).
TEST(TrailerDamage, FlipsThatLostFilesAreDamage) {
  struct Case {
    const char* what;
    bool spanned;
    size_t piece;
    size_t offset;
    int bit;
  } const cases[] = {
      {"string blocks 2 -> 3", false, 0, 1, 0},
      {"string blocks 2 -> 6", false, 0, 1, 2},
      {"string blocks 2 -> 10", false, 0, 1, 3},
      {"string blocks 2 -> 18", false, 0, 1, 4},
      {"string blocks 2 -> 34", false, 0, 1, 5},
      {"string blocks 2 -> 66", false, 0, 1, 6},
      {"string blocks 2 -> 130", false, 0, 1, 7},
      {"first piece: string blocks 2 -> 3", true, 0, 1, 0},
      {"first piece: string blocks 2 -> 6", true, 0, 1, 2},
      {"second piece: string blocks 2 -> 6", true, 1, 1, 2},
      {"third piece: string blocks 2 -> 10", true, 2, 1, 3},
      {"second piece: magic number", true, 1, 12, 0},
      {"third piece: magic number", true, 2, 15, 6},
      {"first piece: continuation flag cleared", true, 0, 65, 1},
      {"second piece: continuation flag cleared", true, 1, 65, 1},
      {"magic number", false, 0, 12, 3},
      {"first piece: magic number", true, 0, 14, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sample s(c.spanned);
    const Outcome o = Check(s, s.pieces[c.piece], c.offset, c.bit, true);
    EXPECT_FALSE(o.verified);
    EXPECT_FALSE(o.extracted);
    EXPECT_FALSE(o.whole);
    EXPECT_NE(o.problem.find("damaged"), std::string::npos) << o.problem;
  }
}

// Two fields that lie together, two bits outside the checksum: the string-block count raised by
// one and the file count lowered by one. The first file block was read as a third string block
// (the web list), and the package passed verify and extraction with a file missing. A block read
// as a string block must have a string block's form.
TEST(TrailerDamage, StringBlockCountAndFileCountThatLieTogetherAreDamage) {
  Sample s(false);
  Bytes damaged = s.bytes.at(s.first);
  const size_t trailer = damaged.size() - vx::kTrailerLength;
  ASSERT_EQ(damaged[trailer + 1], 2);
  ASSERT_EQ(damaged[trailer + 8], 5);
  damaged[trailer + 1] ^= 1;  // 2 -> 3 string blocks
  damaged[trailer + 8] ^= 1;  // 5 -> 4 file blocks
  Store(s.first, damaged);
  s.bytes[s.first] = damaged;

  const vxpack::ExtractSummary v = vxpack::ExtractPackage(s.first, "");
  EXPECT_FALSE(v.ok);
  EXPECT_NE(v.problem.find("damaged"), std::string::npos) << v.problem;
  EXPECT_NE(v.problem.find("block 3 of " + s.first + " is not a string block"), std::string::npos) << v.problem;
  const fs::path out = fs::path(s.tmp.Path()) / "out";
  const vxpack::ExtractSummary x = vxpack::ExtractPackage(s.first, out.string());
  EXPECT_FALSE(x.ok);
  EXPECT_TRUE(Tree(out).empty());

  FakeHost host;
  host.pieces = s.bytes;
  vx::UnpackRequest req;
  req.packagePath = s.first;
  req.workFolder = "C:\\W";
  const vx::UnpackResult r = vx::UnpackPackageWith(req, host);
  EXPECT_EQ(r.failure, vx::UnpackFailure::kBadTrailer);
  EXPECT_EQ(r.runCommand, "");
  EXPECT_TRUE(host.files.empty());

  const vxpack::Inspection in = vxpack::InspectPackage(s.first);
  ASSERT_FALSE(in.problems.empty());
  EXPECT_NE(in.problems[0].find("not a string block"), std::string::npos) << in.problems[0];
}

// vxpack inspect names the counts that do not fit.
TEST(TrailerDamage, InspectNamesTheCounts) {
  struct Case {
    size_t offset;
    int bit;
    const char* problem;
  } const cases[] = {
      {1, 2, "the trailer gives 6 string blocks; a package has 2 or 3"},
      // The first file block read as the web list: it has no string block's form.
      {1, 0, "block 3 at offset 14: not a string block (no list of texts), though the trailer gives 3 string blocks"},
      {8, 1, "the package holds 5 file blocks, its trailer gives 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem);
    Sample s(false);
    EXPECT_TRUE(vxpack::InspectPackage(s.first).problems.empty());
    Bytes damaged = s.bytes.at(s.first);
    damaged[damaged.size() - vx::kTrailerLength + c.offset] ^= static_cast<uint8_t>(1u << c.bit);
    Store(s.first, damaged);
    const vxpack::Inspection in = vxpack::InspectPackage(s.first);
    ASSERT_FALSE(in.problems.empty());
    EXPECT_EQ(in.problems[0], c.problem);
  }
}

// Every single-bit flip of every trailer, through the engine: it either fails or gives every
// file whole.
TEST(TrailerDamage, NoFlipPassesWithFilesLost) {
  for (bool spanned : {false, true}) {
    Sample s(spanned);
    for (size_t k = 0; k < s.pieces.size(); ++k) {
      std::string silent;
      for (size_t offset = 0; offset < vx::kTrailerLength; ++offset) {
        for (int bit = 0; bit < 8; ++bit) {
          const Outcome o = Check(s, s.pieces[k], offset, bit, false);
          if (o.extracted && !o.whole)
            silent += " [piece " + std::to_string(k + 1) + " byte " + std::to_string(offset) + " bit " +
                      std::to_string(bit) + "]";
        }
      }
      EXPECT_EQ(silent, "") << (spanned ? "spanned" : "single") << " package, flips that lost files:";
    }
  }
}

}  // namespace
