// Damage sweeps over a small package: every truncation, every single-bit flip of its string
// blocks and trailer, and seeded random flips in its file blocks, each with the checksum as it
// is and recomputed, through vxpack verify, vxpack extract and the extraction engine. Each either
// refuses the package or gives every file whole: never success with files that differ from the
// ones packed, and never a write outside the target folder. A table of the counts is printed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "extract.h"
#include "package/package_io.h"
#include "scratch_host.h"
#include "unpack_support.h"

namespace {

using namespace unpacktest;
namespace fs = std::filesystem;

// The files as packed (extracted names as vxpack writes them) and the run command.
const std::map<std::string, std::string> kFiles = {
    {"setup.exe", "MZ the setup program"}, {"a.txt", "alpha alpha alpha"},
    {"Sub/b.txt", "bravo bravo+more"},     {"empty.dat", ""},
};
const char kRunCommand[] = "setup.exe*/quiet";

// The package on its own, or appended to a launcher with its end recorded in the launcher's
// header (signable: the checksum then leaves the first 512 bytes out).
PackageDesc SampleDesc(bool launcher) {
  PackageDesc desc;
  if (launcher) {
    desc.launcher = FakeLauncher(600);
    desc.signable = true;
  }
  desc.strings = {"\x02|English|s0=Setup|Charset=0|\x02", "|http://u.example.com|App.info|AppUpdate.exe||1|",
                  "|http://w.example.com|setup.exe|0||1234|"};
  desc.pieces = {{FileStream("|setup.exe*/quiet|0|", "MZ the setup program"),
                  FileStream("|a.txt|1497801216|", "alpha alpha alpha"), FileStream("|Sub\\b.txt|0|", "bravo bravo"),
                  FileStream("|sub\\B.txt|0|", "+more"), FileStream("|empty.dat|0|", "")}};
  return desc;
}

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Store(const fs::path& p, const Bytes& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> out;
  if (!fs::exists(root)) return out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (!e.is_directory()) out[fs::relative(e.path(), root).generic_string()] = ReadText(e.path());
  return out;
}

// Runs a vxpack command with its output dropped; returns its exit status.
int Quietly(int (*command)(const std::vector<std::string>&), const std::vector<std::string>& args) {
  std::fflush(stdout);
  std::fflush(stderr);
  const int out = dup(1), err = dup(2), null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  dup2(null, 2);
  const int rc = command(args);
  std::fflush(stdout);
  std::fflush(stderr);
  dup2(out, 1);
  dup2(err, 2);
  close(out);
  close(err);
  close(null);
  return rc;
}

enum Outcome { kRefused, kHarmless, kSilent, kOutcomes };
enum Tool { kVerify, kExtract, kEngine, kTools };
const char* const kToolNames[kTools] = {"verify", "extract", "engine"};

struct Counts {
  int n[kTools][kOutcomes] = {};
};

class Sweeper {
 public:
  explicit Sweeper(bool launcher) {
    const std::map<std::string, Bytes> files = WritePackage(tmp_.Path(), "setup.exe", SampleDesc(launcher));
    EXPECT_EQ(files.size(), 1u);
    if (!files.empty()) original_ = files.begin()->second;
    root_ = fs::path(tmp_.Path()) / "case";
    package_ = root_ / "setup.exe";
    out_ = root_ / "out";
    fs::create_directories(root_);
    for (const auto& f : kFiles) {
      std::string key = f.first;
      for (char& c : key) c = vxfuzz::LowerAscii(c);
      places_[key] = f.second;
    }
  }

  const Bytes& Original() const { return original_; }

  // One damaged form through the three; the outcome of each is counted, silent ones described.
  void Run(const Bytes& bytes, const std::string& what, Counts& counts) {
    Store(package_, bytes);
    const bool engineWhole = Engine(bytes, counts, what);

    const int verify = Quietly(vxpack::VerifyCommand, {package_.string()});
    // Verify is the engine without writing: it passes exactly what the engine gives whole.
    Count(counts, kVerify, verify != 0 ? kRefused : engineWhole ? kHarmless : kSilent, what);

    const int extract = Quietly(vxpack::ExtractCommand, {package_.string(), out_.string()});
    Count(counts, kExtract, extract != 0 ? kRefused : Tree(out_) == kFiles ? kHarmless : kSilent, what);
    // Nothing but the package and the target folder below the case folder.
    for (const auto& e : fs::directory_iterator(root_))
      EXPECT_TRUE(e.path() == package_ || e.path() == out_) << what << ": vxpack extract wrote " << e.path();
    fs::remove_all(out_);
  }

  std::vector<std::string> silent;

 private:
  bool Engine(const Bytes& bytes, Counts& counts, const std::string& what) {
    vxfuzz::ScratchHost host("damage sweep");
    host.pieces["C:\\S\\setup.exe"] = bytes;
    vx::UnpackRequest req;
    req.packagePath = "C:\\S\\setup.exe";
    req.workFolder = "C:\\W";
    const vx::UnpackResult r = vx::UnpackPackageWith(req, host);
    const bool ok = r.failure == vx::UnpackFailure::kNone && r.checksumOk && !r.cancelled;
    const bool whole = ok && host.files == places_ && r.runCommand == kRunCommand;
    Count(counts, kEngine, !ok ? kRefused : whole ? kHarmless : kSilent, what);
    return whole;
  }

  void Count(Counts& counts, Tool tool, Outcome o, const std::string& what) {
    ++counts.n[tool][o];
    if (o == kSilent) silent.push_back(std::string(kToolNames[tool]) + ": " + what);
  }

  TempFolder tmp_;
  Bytes original_;
  fs::path root_, package_, out_;
  std::map<std::string, std::string> places_;
};

// The package with the sum the engine computes stored in the trailer it finds.
Bytes Resealed(Bytes b) {
  vx::MemorySource src(b);
  vx::TrailerPlace place;
  vx::TrailerRecord rec;
  if (vx::LocateTrailer(src, place) != vx::TrailerFault::kNone || !vx::ReadTrailerAt(src, place, rec) ||
      rec.length < 20)
    return b;
  vx::StoreU32(&b[place.start + 16], vx::PackageSum(src, rec.length));
  return b;
}

void PrintRow(const char* sweep, const char* checksum, const Counts& c) {
  std::printf("%-24s %-11s", sweep, checksum);
  for (int t = 0; t < kTools; ++t) std::printf(" | %5d %5d %3d", c.n[t][kRefused], c.n[t][kHarmless], c.n[t][kSilent]);
  std::printf("\n");
}

class DamageSweep : public ::testing::TestWithParam<bool> {};

TEST_P(DamageSweep, NoDamageGivesOtherFilesOrWritesOutside) {
  // Each run of the engine takes its 256 KiB buffers afresh; freed memory is kept in the process
  // rather than handed back to the system after every case (which made the sweep page faults).
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  const bool launcher = GetParam();
  Sweeper s(launcher);
  const Bytes& original = s.Original();
  ASSERT_GT(original.size(), vx::kTrailerLength);
  Counts sound;
  s.Run(original, "the sound package", sound);
  ASSERT_EQ(sound.n[kVerify][kHarmless] + sound.n[kExtract][kHarmless] + sound.n[kEngine][kHarmless], 3)
      << "the sound package does not pass";

  const size_t size = original.size();
  const size_t trailer = size - vx::kTrailerLength;
  const size_t stringsStart = launcher ? 600 : 0;
  const size_t stringsEnd = FirstFileBlock(SampleDesc(launcher));
  struct Row {
    const char* sweep;
    const char* checksum;
    Counts counts;
  };
  std::vector<Row> rows;

  Row cut{"every truncation", "as is", {}};
  for (size_t n = 0; n < size; ++n)
    s.Run(Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(n)),
          "cut to " + std::to_string(n) + " bytes", cut.counts);
  rows.push_back(cut);

  // Every bit of the string blocks and the trailer; seeded random bits everywhere else (the
  // launcher's bytes and the file blocks).
  std::vector<size_t> exact;
  for (size_t i = stringsStart; i < stringsEnd; ++i) exact.push_back(i);
  for (size_t i = trailer; i < size; ++i) exact.push_back(i);
  std::mt19937 random(launcher ? 20240602 : 20240601);
  const size_t others = size - exact.size();
  std::vector<std::pair<size_t, int>> elsewhere;
  for (int k = 0; k < 1000; ++k) {
    size_t offset = random() % others;
    if (offset >= stringsStart) offset += stringsEnd - stringsStart;
    elsewhere.emplace_back(offset, static_cast<int>(random() % 8));
  }

  for (bool reseal : {false, true}) {
    const char* checksum = reseal ? "recomputed" : "as is";
    Row flips{"string blocks, trailer", checksum, {}};
    for (size_t offset : exact)
      for (int bit = 0; bit < 8; ++bit) {
        Bytes b = original;
        b[offset] ^= static_cast<uint8_t>(1u << bit);
        s.Run(reseal ? Resealed(b) : b, "byte " + std::to_string(offset) + " bit " + std::to_string(bit), flips.counts);
      }
    rows.push_back(flips);
    Row other{"1000 random elsewhere", checksum, {}};
    for (const auto& f : elsewhere) {
      Bytes b = original;
      b[f.first] ^= static_cast<uint8_t>(1u << f.second);
      s.Run(reseal ? Resealed(b) : b, "byte " + std::to_string(f.first) + " bit " + std::to_string(f.second),
            other.counts);
    }
    rows.push_back(other);
  }

  std::printf("Damage sweep over a %zu-byte package%s (string blocks at %zu..%zu, trailer at %zu):\n", size,
              launcher ? " after a launcher" : "", stringsStart, stringsEnd, trailer);
  std::printf("%-24s %-11s | %-15s | %-15s | %-15s\n", "", "checksum", "verify", "extract", "engine");
  std::printf("%-24s %-11s | %s | %s | %s\n", "damage", "", " ref. harm. sil", " ref. harm. sil", " ref. harm. sil");
  Counts total;
  for (const Row& r : rows) {
    PrintRow(r.sweep, r.checksum, r.counts);
    for (int t = 0; t < kTools; ++t)
      for (int o = 0; o < kOutcomes; ++o) total.n[t][o] += r.counts.n[t][o];
  }
  PrintRow("all", "", total);

  std::string silent;
  for (size_t i = 0; i < s.silent.size() && i < 20; ++i) silent += "\n  " + s.silent[i];
  EXPECT_EQ(s.silent.size(), 0u) << "damage that passed with other files:" << silent;
  const int cases = static_cast<int>(size + 2 * (8 * exact.size() + elsewhere.size()));
  for (int t = 0; t < kTools; ++t) {
    SCOPED_TRACE(kToolNames[t]);
    EXPECT_EQ(total.n[t][kRefused] + total.n[t][kHarmless] + total.n[t][kSilent], cases);
    // Both outcomes occur: damage is refused, and flips in bytes nothing reads are harmless.
    EXPECT_GT(total.n[t][kRefused], 0);
    EXPECT_GT(total.n[t][kHarmless], 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Packages, DamageSweep, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "AfterLauncher" : "Alone"; });

}  // namespace
