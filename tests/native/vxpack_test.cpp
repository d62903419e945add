// vxpack: token encoder, lists, manifest, and packages built by the library read back by the
// launcher's reader (TGFileInfo, ReadTrailer, PackageChecksum).
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "builder.h"
#include "inspect.h"
#include "manifest.h"
#include "package/file_block.h"
#include "package/file_source.h"
#include "package/package.h"
#include "package_writer.h"
#include "source_files.h"
#include "text/utils.h"
#include "text_lists.h"
#include "token_encode.h"
#include "work_count.h"

namespace vxpack {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Trailer fields are packed: copy them before gtest takes references.
template <class T>
T Val(T v) {
  return v;
}

// ---------------------------------------------------------------------------------------------
// Tokens

TEST(EncodeToken, RoundTripsThroughTheLaunchersDecoder) {
  std::string allBytes;
  for (int i = 0; i < 240; ++i) allBytes += static_cast<char>(i);
  const std::string plains[] = {"", "a", "SampleAgentToken", "with blanks and | bars", allBytes};
  const uint32_t seeds[] = {1, 2, 12345, 0xFFFFFFFFu};
  for (const std::string& plain : plains) {
    for (uint32_t seed : seeds) {
      SCOPED_TRACE(plain.size());
      SCOPED_TRACE(seed);
      const std::string enc = EncodeToken(plain, seed);
      EXPECT_EQ(vx::DecodeToken(enc), plain);
      EXPECT_TRUE(TokenIsIntact(enc));
      for (char c : enc) EXPECT_TRUE((c >= 'b' && c <= 'k') || (c >= 's' && c <= 'x')) << c;
    }
  }
}

TEST(EncodeToken, SeedsChangeTheTextNotTheToken) {
  const std::string a = EncodeToken("secret", 1), b = EncodeToken("secret", 2);
  EXPECT_NE(a, b);
  EXPECT_EQ(vx::DecodeToken(a), vx::DecodeToken(b));
}

TEST(EncodeToken, DamageIsDetected) {
  const std::string enc = EncodeToken("SampleAgentToken", 77);
  for (size_t i = 0; i < enc.size(); i += 3) {
    SCOPED_TRACE(i);
    std::string bad = enc;
    bad[i] = bad[i] == 'b' ? 'c' : 'b';  // another hex digit: the check byte no longer matches
    EXPECT_FALSE(TokenIsIntact(bad));
    EXPECT_NE(vx::DecodeToken(bad), "SampleAgentToken");
  }
}

// ---------------------------------------------------------------------------------------------
// Lists and the language table

TEST(Lists, SeparatorAvoidsEveryItem) {
  struct Case {
    std::vector<std::string> items;
    char expectSep;
  } cases[] = {
      {{"a", "b"}, '|'},
      {{"a|b", "c"}, '~'},
      {{"|~", "^"}, '`'},
      {{}, '|'},
  };
  for (const Case& c : cases) {
    std::string list;
    ASSERT_TRUE(MakeList(c.items, kItemSeparators, list));
    EXPECT_EQ(list[0], c.expectSep);
    ASSERT_EQ(vx::ListCount(list), static_cast<int>(c.items.size()));
    for (size_t i = 0; i < c.items.size(); ++i)
      EXPECT_EQ(vx::ListItem(list, static_cast<int>(i), "<none>"), c.items[i]);
  }
}

TEST(Lists, LanguageTableReadsBackWithListValue) {
  std::vector<LanguageEntry> entries = {
      {"English", {{"s0", "Setup"}, {"BtnText", "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"}}},
      {"German", {{"s0", "Einrichtung ~ ^"}, {"s7", ""}}},
  };
  std::string table, error;
  ASSERT_TRUE(MakeLanguageTable(entries, table, error)) << error;
  EXPECT_EQ(table[0], '\x02');
  ASSERT_EQ(vx::ListCount(table), 2);
  for (int i = 0; i < 2; ++i) {
    const std::string entry = vx::ListItem(table, i, "");
    EXPECT_EQ(vx::ListItem(entry, 0, ""), entries[i].name);
    for (const auto& kv : entries[i].values)
      EXPECT_EQ(vx::ListValue(entry, kv.first, "<default>"), kv.second) << kv.first;
  }
  ASSERT_TRUE(MakeLanguageTable({}, table, error));
  EXPECT_EQ(table, "\x02");
}

// ---------------------------------------------------------------------------------------------
// Space table, block header, DOS time

TEST(SpaceTable, RoundsEveryFileUpToClusters) {
  // sizes 0, 1, 512, 513, 70000: total 71026; with 512-byte clusters 0+512+512+1024+70144;
  // with 65536-byte clusters 0+65536+65536+65536+131072.
  uint32_t t[9];
  ASSERT_TRUE(SpaceTable({0, 1, 512, 513, 70000}, t));
  EXPECT_EQ(t[0], 71026u);
  EXPECT_EQ(t[1], 72192u);
  EXPECT_EQ(t[8], 327680u);
  EXPECT_FALSE(SpaceTable({0xFFFFFFFFull, 1}, t));
}

TEST(DosDateTime, LocalTimeFieldsAndClamping) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "UTC", 1);
  tzset();
  // 2024-05-17 13:45:08: date (44<<9)|(5<<5)|17 = 0x58B1, time (13<<11)|(45<<5)|4 = 0x6DA4.
  EXPECT_EQ(DosDateTime(1715953508), 0x58B16DA4u);
  EXPECT_EQ(DosDateTime(0), 0x00210000u);  // before 1980: 1980-01-01 00:00:00
  EXPECT_EQ(DosTimeText(0x58B16DA4u), "2024-05-17 13:45:08");
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
}

TEST(BlockHeader, NameDateAndZeroByte) {
  const std::string h = BlockHeader("setup.exe* /x", 0x58B16DA4u);
  ASSERT_EQ(h.back(), '\0');
  const std::string list = h.substr(0, h.size() - 1);
  EXPECT_EQ(vx::ListItem(list, 0, ""), "setup.exe* /x");
  EXPECT_EQ(vx::ListItem(list, 1, ""), "1488022948");
}

// ---------------------------------------------------------------------------------------------
// Manifest

TEST(Manifest, ParsesSectionsAndValues) {
  const std::string text =
      "; comment\r\n[package]\r\noutput = out/setup.exe\nlauncher=/abs/vxstub.exe\nfiles = payload\n"
      "setup = bin/setup.exe\nsetup_params = \"/x /y \"\nblock_size = 64K\nspan_size=1440k\n"
      "signable = yes\nconfirm_extract = on\nlevel = 12\ndates = none\n"
      "[settings]\nagent_token = tok\nrun_hidden = 1\n"
      "[web]\nurl_folder = http://h/dir/\ntoken = w\nsize = auto\n"
      "[files]\nextra\\a.txt = a.txt\n"
      "[language English]\ns0 = Setup = fine\nBtnText = |&OK|\n";
  BuildConfig cfg;
  std::string error;
  ASSERT_TRUE(ParseManifest(text, "/base", "m.ini", cfg, error)) << error;
  EXPECT_EQ(cfg.output, "/base/out/setup.exe");
  EXPECT_EQ(cfg.launcher, "/abs/vxstub.exe");
  EXPECT_EQ(cfg.filesFolder, "/base/payload");
  EXPECT_EQ(cfg.setupName, "bin/setup.exe");
  EXPECT_EQ(cfg.setupParams, "/x /y ");
  EXPECT_EQ(cfg.blockSize, 65536u);
  EXPECT_EQ(cfg.spanSize, 1440u * 1024);
  EXPECT_TRUE(cfg.signable && cfg.confirmExtract && cfg.runHidden && cfg.hasWeb);
  EXPECT_FALSE(cfg.storeDates);
  EXPECT_EQ(cfg.level, 12);
  EXPECT_EQ(cfg.web.folder, "http://h/dir");
  EXPECT_EQ(cfg.web.sizeText, "");
  ASSERT_EQ(cfg.extraFiles.size(), 1u);
  EXPECT_EQ(cfg.extraFiles[0].first, "extra\\a.txt");
  ASSERT_EQ(cfg.languages.size(), 1u);
  EXPECT_EQ(cfg.languages[0].values[0].second, "Setup = fine");
}

TEST(Manifest, ErrorsNameTheLine) {
  struct Case {
    std::string text;
    std::string expect;
  } cases[] = {
      {"[package]\nnonsense\n", "m.ini:2: expected key = value"},
      {"[package]\ncolour = red\n", "m.ini:2: unknown key colour in [package]"},
      {"[packages]\n", "m.ini:1: unknown section [packages]"},
      {"output = x\n", "m.ini:1: key outside of a section"},
      {"[package]\nblock_size = 12Q\n", "m.ini:2: block_size: expected a size"},
      {"[package]\nsignable = maybe\n", "m.ini:2: signable: expected yes or no"},
      {"[settings]\nagent_exe = a\n\nagent_exe = b\n", "m.ini:4: duplicate key agent_exe"},
      {"[language English]\n[language english]\n", "m.ini:2: language english given twice"},
      {"[package]\nlevel = 13\n", "m.ini:2: level: expected a number from 1 to 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    BuildConfig cfg;
    std::string error;
    EXPECT_FALSE(ParseManifest(c.text, "", "m.ini", cfg, error));
    EXPECT_EQ(error.compare(0, c.expect.size(), c.expect), 0) << error;
  }
}

// ---------------------------------------------------------------------------------------------
// Building and reading back

class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("vxpack_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

void WriteFile(const std::string& path, const Bytes& data) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Half random, half repeated text: compressible but not trivially so.
Bytes Payload(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) b[i] = (i / 512) % 2 ? static_cast<uint8_t>(rng()) : "vornix "[i % 7];
  return b;
}

Bytes FakeLauncher() {
  Bytes b = Payload(2048, 5);
  b[0] = 'M';
  b[1] = 'Z';
  b[256] = 'P';
  b[257] = 'E';
  for (int i = 252; i < 256; ++i) b[i] = 0x11;  // a stale package-end field must be cleared
  return b;
}

struct Extracted {
  std::map<std::string, Bytes> files;  // by name, blocks appended in order
  std::vector<std::string> runCommands;
  std::map<std::string, std::string> dates;
  size_t blocks = 0;
};

// Keeps the content of a file block.
class ContentSink : public vx::FileBlockSink {
 public:
  explicit ContentSink(Bytes& content) : content_(content) {}
  bool Header(const vx::String&, bool) override { return true; }
  bool Content(const uint8_t* data, size_t len) override {
    content_.insert(content_.end(), data, data + len);
    return true;
  }

 private:
  Bytes& content_;
};

// Walks the file blocks of one piece as the launcher does, while more than 74 bytes remain before
// the package end: in a first piece from past the string blocks (where TGFileInfo leaves its data
// start), in a later piece from the trailer's data start.
void ExtractPiece(const std::string& path, Extracted& out, bool laterPiece = false) {
  vx::TGFileInfo info(path);
  ASSERT_TRUE(info.IsPackage()) << path;
  vx::TrailerRecord raw;
  ASSERT_TRUE(vx::ReadTrailer(path, raw));
  vx::FileSource src(path);
  const uint64_t end = vx::PackageEnd(src);
  uint64_t pos = laterPiece ? raw.dataStart : info.Trailer().dataStart;
  while (end - pos > 74) {
    Bytes len(4);
    ASSERT_TRUE(src.ReadExact(pos, len.data(), 4));
    const uint32_t c = len[0] | len[1] << 8 | len[2] << 16 | static_cast<uint32_t>(len[3]) << 24;
    Bytes content;
    ContentSink sink(content);
    vx::BlockBuffers buffers(1 << 16);
    const vx::FileBlockResult s = vx::ReadFileBlock(src, pos + 4, c, buffers, sink);
    ASSERT_EQ(s.fault, vx::FileBlockFault::kNone) << vx::ZLibMessage(s.zlibCode);
    ASSERT_EQ(s.unusedBytes, 0u) << "one zlib stream fills the block";
    ASSERT_TRUE(s.headerEnded);
    std::string name = vx::ListItem(s.header, 0, "");
    if (name.find('*') != std::string::npos) {
      out.runCommands.push_back(name);
      name = name.substr(0, name.find('*'));
    }
    out.dates[name] = vx::ListItem(s.header, 1, "");
    Bytes& f = out.files[name];
    f.insert(f.end(), content.begin(), content.end());
    ++out.blocks;
    pos += 4 + c;
  }
  EXPECT_EQ(end - pos, 74u) << "blocks must end where the trailer starts";
}

void ExpectChecksumPasses(const std::string& path) {
  vx::TrailerRecord rec;
  ASSERT_TRUE(vx::ReadTrailer(path, rec));
  EXPECT_EQ(vx::PackageChecksum(path, rec.length), Val(rec.checksum)) << path;
}

struct Sample {
  TempDir dir;
  std::map<std::string, Bytes> files;
  BuildConfig cfg;

  Sample() {
    files["setup.exe"] = Payload(9000, 1);
    files["readme.txt"] = Payload(300, 2);
    files["empty.dat"] = Bytes();
    files["data\\big.bin"] = Payload(40000, 3);  // ten blocks of 4096 bytes
    for (const auto& f : files) {
      std::string rel = f.first;
      std::replace(rel.begin(), rel.end(), '\\', '/');
      WriteFile(dir / ("payload/" + rel), f.second);
    }
    WriteFile(dir / "vxstub.exe", FakeLauncher());
    cfg.output = dir / "setup.exe";
    cfg.launcher = dir / "vxstub.exe";
    cfg.filesFolder = dir / "payload";
    cfg.setupName = "SETUP.EXE";
    cfg.setupParams = "/silent";
    cfg.blockSize = 4096;
    cfg.threads = 2;
    cfg.makeAgent = true;
    cfg.secondBar = true;
    cfg.updateUrl = "http://updates.example.com/app";
    cfg.infoFile = "App.info";
    cfg.agentExe = "AppUpdate.exe";
    cfg.agentToken = "AgentSecret";
    cfg.runHidden = true;
    cfg.languages = {{"English", {{"s0", "App Setup"}, {"BtnText", "|&OK|&Cancel|"}}}};
    cfg.tokenSeed = 99;
  }

  uint64_t TotalSize() const {
    uint64_t t = 0;
    for (const auto& f : files) t += f.second.size();
    return t;
  }
};

void ExpectSameFiles(const Sample& s, const Extracted& x) {
  ASSERT_EQ(x.files.size(), s.files.size());
  for (const auto& f : s.files) {
    SCOPED_TRACE(f.first);
    ASSERT_TRUE(x.files.count(f.first));
    EXPECT_TRUE(x.files.at(f.first) == f.second);
  }
  ASSERT_EQ(x.runCommands.size(), 1u);
  EXPECT_EQ(x.runCommands[0], "setup.exe* /silent");
}

TEST(BuildPackage, SinglePackageReadsBackThroughTheLauncherReader) {
  Sample s;
  BuildReport report;
  std::string error;
  ASSERT_TRUE(BuildPackage(s.cfg, nullptr, report, error)) << error;
  ASSERT_EQ(report.outputs.size(), 1u);

  vx::TGFileInfo info(s.cfg.output);
  ASSERT_TRUE(info.IsPackage());
  EXPECT_TRUE(info.MakeAgentFlag());
  EXPECT_TRUE(info.SecondBarFlag());
  EXPECT_FALSE(info.ConfirmExtractFlag() || info.ContinuationFlag() || info.SpanFlag() ||
               info.WebFlag() || info.AgentFlag());
  // The file count is the number of file blocks: a file may take several.
  EXPECT_EQ(Val(info.Trailer().fileCount), report.blocks);
  EXPECT_GT(report.blocks, s.files.size());
  EXPECT_EQ(Val(info.Trailer().space[0]), s.TotalSize());
  uint64_t rounded4k = 0;
  for (const auto& f : s.files) rounded4k += (f.second.size() + 4095) / 4096 * 4096;
  EXPECT_EQ(Val(info.Trailer().space[4]), rounded4k);
  EXPECT_EQ(info.UpdateUrl(), "http://updates.example.com/app");
  EXPECT_EQ(info.InfoFileName(), "App.info");
  EXPECT_EQ(info.OriginalFileName(), "App.original");
  EXPECT_EQ(info.AgentExeName(), "AppUpdate.exe");
  EXPECT_EQ(info.AgentToken(true), "AgentSecret");
  EXPECT_NE(info.AgentToken(false), "AgentSecret");
  EXPECT_TRUE(info.RunHidden());
  EXPECT_EQ(vx::ListValue(vx::ListItem(info.LanguageBlock(), 0, ""), "s0", ""), "App Setup");
  EXPECT_TRUE(info.WebList().empty());
  ExpectChecksumPasses(s.cfg.output);

  // The launcher bytes come first, with the stale package-end field cleared.
  const Bytes out = ReadFile(s.cfg.output);
  Bytes launcher = FakeLauncher();
  for (int i = 252; i < 256; ++i) launcher[i] = 0;
  ASSERT_GE(out.size(), launcher.size());
  EXPECT_TRUE(std::equal(launcher.begin(), launcher.end(), out.begin()));

  Extracted x;
  ExtractPiece(s.cfg.output, x);
  ExpectSameFiles(s, x);
  EXPECT_EQ(x.blocks, 1u + 1u + 3u + 10u);  // empty, readme, setup (9000 = 3 blocks), big
  EXPECT_EQ(x.blocks, report.blocks);
  uint64_t size = 0;
  uint32_t dos = 0;
  int64_t mtime = 0;
  ASSERT_TRUE(StatFile(s.dir / "payload/readme.txt", size, dos, mtime));
  EXPECT_EQ(x.dates["readme.txt"], std::to_string(dos));

  const Inspection in = InspectPackage(s.cfg.output);
  EXPECT_TRUE(in.problems.empty()) << in.problems[0];
  EXPECT_EQ(in.blocks.size(), 2u + x.blocks);
}

TEST(BuildPackage, SignableLayoutIgnoresAppendedBytes) {
  Sample s;
  s.cfg.signable = true;
  BuildReport report;
  std::string error;
  ASSERT_TRUE(BuildPackage(s.cfg, nullptr, report, error)) << error;
  Bytes out = ReadFile(s.cfg.output);
  const uint32_t e = out[252] | out[253] << 8 | out[254] << 16 | static_cast<uint32_t>(out[255]) << 24;
  EXPECT_EQ(e, out.size());
  ExpectChecksumPasses(s.cfg.output);

  // What a code signer does: change header bytes below 512 and append a signature.
  out[300] ^= 0xFF;
  const Bytes signature = Payload(5000, 8);
  out.insert(out.end(), signature.begin(), signature.end());
  WriteFile(s.cfg.output, out);
  ExpectChecksumPasses(s.cfg.output);
  vx::TGFileInfo info(s.cfg.output);
  ASSERT_TRUE(info.IsPackage());
  EXPECT_EQ(info.AgentToken(true), "AgentSecret");
  Extracted x;
  ExtractPiece(s.cfg.output, x);
  ExpectSameFiles(s, x);
}

TEST(BuildPackage, SpannedPackageHasLauncherAndPieces) {
  struct Case {
    bool withLauncher;
    uint64_t span;
  } cases[] = {{true, 16384}, {false, 16384}, {true, 1u << 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.withLauncher) + " " + std::to_string(c.span));
    Sample s;
    Bytes noise(60000);  // incompressible: blocks must be split to fit the pieces
    std::mt19937 rng(11);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
    s.files["data\\noise.bin"] = noise;
    WriteFile(s.dir / "payload/data/noise.bin", s.files["data\\noise.bin"]);
    s.cfg.spanSize = c.span;
    s.cfg.confirmExtract = true;
    if (!c.withLauncher) s.cfg.launcher.clear();
    BuildReport report;
    std::string error;
    ASSERT_TRUE(BuildPackage(s.cfg, nullptr, report, error)) << error;

    std::vector<std::string> pieces;
    for (int k = 1; fs::exists(PiecePath(s.cfg.output, k)); ++k) pieces.push_back(PiecePath(s.cfg.output, k));
    ASSERT_EQ(static_cast<int>(pieces.size()), report.pieces);
    if (c.span == 16384) EXPECT_GE(pieces.size(), 5u);
    else EXPECT_EQ(pieces.size(), 1u);

    EXPECT_EQ(fs::exists(s.cfg.output), c.withLauncher);
    if (c.withLauncher) {
      vx::TGFileInfo launcher(s.cfg.output);
      ASSERT_TRUE(launcher.IsPackage());
      EXPECT_TRUE(launcher.SpanFlag());
      EXPECT_FALSE(launcher.ContinuationFlag());
      EXPECT_TRUE(launcher.MakeAgentFlag());
      EXPECT_EQ(launcher.AgentToken(true), "AgentSecret");
      EXPECT_EQ(Val(launcher.Trailer().fileCount), report.blocks);
      ExpectChecksumPasses(s.cfg.output);
      // The first piece starts with the launcher, so the update agent can be cut from it.
      const Bytes first = ReadFile(pieces[0]);
      const Bytes exe = ReadFile(s.cfg.output);
      const size_t launcherSize = FakeLauncher().size();
      EXPECT_TRUE(std::equal(exe.begin(), exe.begin() + launcherSize, first.begin()));
    }
    Extracted x;
    for (size_t k = 0; k < pieces.size(); ++k) {
      SCOPED_TRACE(pieces[k]);
      EXPECT_LE(fs::file_size(pieces[k]), c.span);
      ExpectChecksumPasses(pieces[k]);
      vx::TGFileInfo piece(pieces[k]);
      ASSERT_TRUE(piece.IsPackage());
      EXPECT_EQ(piece.ContinuationFlag(), k + 1 < pieces.size());
      EXPECT_FALSE(piece.SpanFlag());
      EXPECT_TRUE(piece.ConfirmExtractFlag());
      EXPECT_EQ(Val(piece.Trailer().space[0]), s.TotalSize());
      EXPECT_EQ(Val(piece.Trailer().fileCount), report.blocks);  // the whole package's, in every piece
      if (k == 0) {
        EXPECT_EQ(piece.AgentExeName(), "AppUpdate.exe");
      } else {
        vx::TrailerRecord raw;
        ASSERT_TRUE(vx::ReadTrailer(pieces[k], raw));
        EXPECT_EQ(Val(raw.dataStart), 0u);  // later pieces: file blocks from the first byte
      }
      ExtractPiece(pieces[k], x, k > 0);
      const Inspection in = InspectPackage(pieces[k]);
      EXPECT_TRUE(in.problems.empty()) << in.problems[0];
      EXPECT_EQ(in.laterPiece, k > 0);
    }
    ExpectSameFiles(s, x);
  }
}

TEST(BuildPackage, WebHostedLauncherMatchesTheFullPackage) {
  Sample s;
  s.cfg.hasWeb = true;
  s.cfg.web.folder = "http://downloads.example.com/app";
  s.cfg.web.token = "WebSecret";
  s.cfg.web.askDownload = true;
  s.cfg.web.noLocal = true;
  s.cfg.web.launcherOutput = s.dir / "websetup.exe";
  BuildReport report;
  std::string error;
  ASSERT_TRUE(BuildPackage(s.cfg, nullptr, report, error)) << error;
  ASSERT_EQ(report.outputs.size(), 2u);

  vx::TGFileInfo full(s.cfg.output);
  vx::TGFileInfo web(s.cfg.web.launcherOutput);
  ASSERT_TRUE(full.IsPackage());
  ASSERT_TRUE(web.IsPackage());
  EXPECT_FALSE(full.WebFlag());
  EXPECT_TRUE(web.WebFlag());
  EXPECT_TRUE(web.AskDownloadFlag());
  EXPECT_TRUE(web.WebNoLocal());
  EXPECT_EQ(web.WebFolder(), "http://downloads.example.com/app");
  EXPECT_EQ(web.WebFileName(), "setup.exe");
  EXPECT_EQ(web.WebSizeText(), std::to_string(fs::file_size(s.cfg.output)));
  EXPECT_EQ(web.WebToken(true), "WebSecret");
  EXPECT_TRUE(web.SameWebToken(full));
  EXPECT_TRUE(web.MakeAgentFlag());
  // No file blocks: the string blocks end where the trailer starts.
  EXPECT_EQ(Val(web.Trailer().dataStart) + 74u, fs::file_size(s.cfg.web.launcherOutput));
  ExpectChecksumPasses(s.cfg.web.launcherOutput);

  // A package built with another web token is refused by the token test.
  Sample other;
  other.cfg.hasWeb = true;
  other.cfg.web = s.cfg.web;
  other.cfg.web.token = "OtherSecret";
  other.cfg.web.launcherOutput = other.dir / "websetup.exe";
  ASSERT_TRUE(BuildPackage(other.cfg, nullptr, report, error)) << error;
  EXPECT_FALSE(web.SameWebToken(vx::TGFileInfo(other.cfg.output)));

  // inspect shows the web list of both files, never the token itself.
  for (const std::string& f : {s.cfg.output, s.cfg.web.launcherOutput}) {
    SCOPED_TRACE(f);
    const std::string text = FormatInspection(InspectPackage(f));
    EXPECT_NE(text.find("http://downloads.example.com/app"), std::string::npos) << text;
    EXPECT_NE(text.find("setup.exe"), std::string::npos);
    EXPECT_NE(text.find(std::to_string(fs::file_size(s.cfg.output))), std::string::npos);
    EXPECT_EQ(text.find("WebSecret"), std::string::npos);
  }
}

TEST(BuildPackage, RefusesBadInput) {
  struct Case {
    const char* name;
    void (*change)(Sample&);
    const char* expect;
  } cases[] = {
      {"setup missing", [](Sample& s) { s.cfg.setupName = "install.exe"; }, "setup program install.exe"},
      {"letter case twins",
       [](Sample& s) { WriteFile(s.dir / "payload/README.TXT", Bytes(3, 'x')); }, "differ only in letter case"},
      {"star in a name", [](Sample& s) { WriteFile(s.dir / "payload/a*b.txt", Bytes(3, 'x')); }, "not allowed"},
      {"launcher already packed",
       [](Sample& s) {
         std::string error;
         BuildReport r;
         ASSERT_TRUE(BuildPackage(s.cfg, nullptr, r, error));
         s.cfg.launcher = s.cfg.output;
         s.cfg.output = s.dir / "again.exe";
       },
       "already carries a package"},
      {"span too small for the launcher",
       [](Sample& s) {
         s.cfg.spanSize = 16384;
         s.cfg.languages[0].values.push_back({"s11", std::string(15000, 'x')});
       },
       "span size 16384 is too small"},
      {"signable without PE header",
       [](Sample& s) {
         WriteFile(s.dir / "plain.bin", Bytes(1000, 1));
         s.cfg.launcher = s.dir / "plain.bin";
         s.cfg.signable = true;
       },
       "no PE header"},
      {"web without launcher output", [](Sample& s) { s.cfg.hasWeb = true; s.cfg.web.folder = "x"; },
       "web launcher"},
      {"web file with a folder part",
       [](Sample& s) {
         s.cfg.hasWeb = true;
         s.cfg.web.folder = "http://h/d";
         s.cfg.web.launcherOutput = s.dir / "web.exe";
         s.cfg.web.fileName = "..\\setup.exe";
       },
       "plain file name"},
      {"missing files folder", [](Sample& s) { s.cfg.filesFolder = s.dir / "nowhere"; }, "files folder not found"},
      // A missing token matches nothing: such an agent or web launcher could never take a file.
      {"update agent without a token", [](Sample& s) { s.cfg.agentToken.clear(); }, "needs a secret token"},
      {"agent flag without a token",
       [](Sample& s) {
         s.cfg.makeAgent = false;
         s.cfg.agent = true;
         s.cfg.agentToken.clear();
       },
       "needs a secret token"},
      {"web without a token",
       [](Sample& s) {
         s.cfg.hasWeb = true;
         s.cfg.web.folder = "http://h/d";
         s.cfg.web.launcherOutput = s.dir / "web.exe";
       },
       "web-hosted package needs a secret token"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sample s;
    c.change(s);
    BuildReport report;
    std::string error;
    EXPECT_FALSE(BuildPackage(s.cfg, nullptr, report, error));
    EXPECT_NE(error.find(c.expect), std::string::npos) << error;
  }
}

// With SOURCE_DATE_EPOCH the same files and manifest give the same bytes: file times after it are
// stored as it, in UTC whatever the time zone, and the tokens' random filler comes from it. Both
// files of a web-hosted package, and the pieces of a spanned one, are compared.
TEST(BuildPackage, SourceDateEpochMakesBuildsByteIdentical) {
  const int64_t epoch = 1700000000;  // 2023-11-14 22:13:20 UTC
  const char* const oldTz = std::getenv("TZ");
  const std::string savedTz = oldTz ? oldTz : "";
  auto build = [&](Sample& s, const char* tz, int64_t mtime, bool reproducible, bool spanned) {
    setenv("TZ", tz, 1);
    tzset();
    for (const auto& f : s.files) {
      std::string rel = f.first;
      std::replace(rel.begin(), rel.end(), '\\', '/');
      const auto when = fs::file_time_type::clock::now() +
                        std::chrono::seconds(mtime - std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
      fs::last_write_time(s.dir / ("payload/" + rel), when);
    }
    s.cfg.hasWeb = !spanned;
    s.cfg.web.folder = "http://h/d";
    s.cfg.web.token = "WebSecret";
    s.cfg.web.launcherOutput = s.dir / "web.exe";
    s.cfg.spanSize = spanned ? 20000 : 0;
    s.cfg.sourceDateEpoch = reproducible ? epoch : -1;
    BuildReport report;
    std::string error;
    EXPECT_TRUE(BuildPackage(s.cfg, nullptr, report, error)) << error;
    std::vector<Bytes> out;
    for (const std::string& f : report.outputs) out.push_back(ReadFile(f));
    return out;
  };
  for (bool spanned : {false, true}) {
    SCOPED_TRACE(spanned ? "spanned" : "web-hosted");
    Sample a, b, c;
    const std::vector<Bytes> first = build(a, "UTC0", epoch + 86400, true, spanned);
    const std::vector<Bytes> second = build(b, "EST5EDT", epoch + 999999, true, spanned);
    ASSERT_GE(first.size(), 2u);
    EXPECT_TRUE(first == second) << "two reproducible builds differ";
    // Without it the tokens differ from build to build (and the times follow the files).
    const std::vector<Bytes> plain = build(c, "UTC0", epoch + 86400, false, spanned);
    EXPECT_FALSE(first == plain);
    if (!spanned) {
      // The stored time is the epoch in UTC: 2023-11-14 22:13:20.
      Extracted x;
      ExtractPiece(a.cfg.output, x);
      const uint32_t dos = (43u << 25) | (11u << 21) | (14u << 16) | (22u << 11) | (13u << 5) | 10u;
      EXPECT_EQ(x.dates["readme.txt"], std::to_string(dos));
    }
  }
  if (oldTz) setenv("TZ", savedTz.c_str(), 1); else unsetenv("TZ");
  tzset();
}

TEST(BuildPackage, SourceDateEpochIsAWholeNumberOfSeconds) {
  struct Case {
    const char* value;  // nullptr: not set
    bool ok;
    int64_t epoch;
  } const cases[] = {
      {nullptr, true, -1}, {"0", true, 0}, {"1700000000", true, 1700000000}, {"", false, -1},
      {"-5", false, -1},   {"17e8", false, -1}, {" 1", false, -1}, {"9999999999999999", false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(not set)");
    BuildConfig cfg;
    std::string error;
    EXPECT_EQ(ApplySourceDateEpoch(c.value, cfg, error), c.ok);
    EXPECT_EQ(cfg.sourceDateEpoch, c.epoch);
    EXPECT_EQ(error.empty(), c.ok) << error;
  }
}

// Names Windows cannot create, and names longer than the launcher takes, are refused with one
// line that names the file where it lies (control characters written as codes).
TEST(BuildPackage, RefusesNamesWindowsCannotHold) {
  struct Case {
    std::string name;  // below payload/
    const char* reason;
    const char* shown;  // how the name appears in the message; nullptr: as it is
  } const cases[] = {
      {"CON", "reserved device name", nullptr},
      {"aux.txt", "reserved device name", nullptr},
      {"data/com1.bin", "reserved device name", nullptr},
      {"COM\xB9", "reserved device name", nullptr},
      {"notes.", "ends in a blank or period", nullptr},
      {"notes ", "ends in a blank or period", nullptr},
      {"dir./x.txt", "ends in a blank or period", nullptr},
      {"a<b.txt", "not allowed", nullptr},
      {"a:b.txt", "not allowed", nullptr},
      {"what?.txt", "not allowed", nullptr},
      {"a\x01" "b.txt", "control character", "a\\x01b.txt"},
      {"line\nbreak.txt", "control character", "line\\x0Abreak.txt"},
      {std::string(241, 'n'), "longer than 240", nullptr},
      {std::string(120, 'd') + "/" + std::string(120, 'f'), "longer than 240", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sample s;
    WriteFile(s.dir / ("payload/" + c.name), Bytes(3, 'x'));
    BuildReport report;
    std::string error;
    EXPECT_FALSE(BuildPackage(s.cfg, nullptr, report, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(s.dir / ("payload/" + std::string(c.shown ? c.shown : c.name.c_str()))), std::string::npos)
        << error;
    for (char ch : error) EXPECT_GE(static_cast<unsigned char>(ch), 32u) << error;
    EXPECT_FALSE(fs::exists(s.cfg.output));
  }
}

// Agent packages (make_agent, agent, the settings list with the agent token) are built without
// any flag, and the launcher's reader finds what was asked for.
TEST(BuildPackage, BuildsAgentPackagesWithoutAFlag) {
  struct Case {
    const char* name;
    bool makeAgent, agent;
  } cases[] = {
      {"make_agent", true, false},
      {"agent", false, true},
      {"both", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sample s;
    s.cfg.allowUnfinished = false;
    s.cfg.makeAgent = c.makeAgent;
    s.cfg.agent = c.agent;
    s.cfg.updateUrl = "http://h/upd";
    s.cfg.infoFile = "sub\\App.info";
    s.cfg.agentExe = "AppUpdate.exe";
    s.cfg.agentToken = "SECRET";
    EXPECT_EQ(UnfinishedFeature(s.cfg), "");
    BuildReport report;
    std::string error;
    ASSERT_TRUE(BuildPackage(s.cfg, nullptr, report, error)) << error;
    vx::TGFileInfo info(vx::String(s.cfg.output));
    EXPECT_EQ(info.MakeAgentFlag(), c.makeAgent);
    EXPECT_EQ(info.AgentFlag(), c.agent);
    EXPECT_EQ(info.UpdateUrl(), "http://h/upd");
    EXPECT_EQ(info.InfoFileName(), "App.info");
    EXPECT_EQ(info.OriginalFileName(), "App.original");
    EXPECT_EQ(info.AgentExeName(), "AppUpdate.exe");
    EXPECT_EQ(info.AgentToken(true), "SECRET");
    EXPECT_NE(info.AgentToken(false), "SECRET");
  }
  // Web-hosted installers work: [web] needs no flag.
  Sample web;
  web.cfg.makeAgent = false;
  web.cfg.allowUnfinished = false;
  web.cfg.hasWeb = true;
  web.cfg.web.folder = "http://h/d";
  web.cfg.web.launcherOutput = web.cfg.output + ".web.exe";
  web.cfg.web.token = "WebSecret";
  EXPECT_EQ(UnfinishedFeature(web.cfg), "");
  BuildReport report;
  std::string error;
  EXPECT_TRUE(BuildPackage(web.cfg, nullptr, report, error)) << error;
  EXPECT_TRUE(fs::exists(web.cfg.web.launcherOutput));
}

// vxpack inspect lists every entry of the language table and every text of an entry in one
// pass: reading each from the start of its list made a table of 30,000 entries take 6 s.
TEST(Inspect, ListsALanguageTableInWorkInProportionToIt) {
  TempDir dir;
  WriteFile(dir / "payload/a.txt", Bytes(10, 'a'));
  std::map<int, std::string> packages;
  for (int n : {1500, 3000}) {
    BuildConfig cfg;
    cfg.output = dir / ("p" + std::to_string(n) + ".exe");
    cfg.filesFolder = dir / "payload";
    cfg.threads = 1;
    for (int i = 0; i < n; ++i) cfg.languages.push_back({"Lang" + std::to_string(i), {{"s0", "x"}, {"s1", "y"}}});
    cfg.languages.push_back({"Many", {}});
    for (int i = 0; i < n; ++i) cfg.languages.back().values.push_back({"k" + std::to_string(i), "v"});
    BuildReport report;
    std::string error;
    ASSERT_TRUE(BuildPackage(cfg, nullptr, report, error)) << error;
    packages[n] = cfg.output;
  }
  const std::string text = FormatInspection(InspectPackage(packages[1500]));
  EXPECT_NE(text.find("Lang1499: 2 texts\n    s0=x\n    s1=y\n  Many: 1500 texts\n    k0=v\n"), std::string::npos);
  EXPECT_NE(text.find("    k1499=v\n"), std::string::npos);
  vxtest::ExpectLinearWork([&](int n) { FormatInspection(InspectPackage(packages[n])); }, 1500);
}

TEST(Inspect, ExplainsWhyAFileIsNotAPackage) {
  TempDir dir;
  Bytes pe = FakeLauncher();
  for (int i = 252; i < 256; ++i) pe[i] = 0;
  Bytes farEnd = pe;
  farEnd[253] = 0x7F;  // package end far beyond the file
  Bytes badMagic = pe;
  const Bytes tail = {74, 0, 0, 0};
  badMagic.insert(badMagic.end(), tail.begin(), tail.end());
  struct Case {
    const char* name;
    Bytes bytes;
    const char* expect;
  } cases[] = {
      {"tiny", {1, 2}, "too small"},
      {"plain launcher", pe, "no package: there is no trailer"},
      {"package end", farEnd, "package-end field"},
      {"magic", badMagic, "magic number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir / "f.bin", c.bytes);
    const Inspection in = InspectPackage(dir / "f.bin");
    ASSERT_FALSE(in.problems.empty());
    EXPECT_NE(in.problems[0].find(c.expect), std::string::npos) << in.problems[0];
  }
  const Inspection missing = InspectPackage(dir / "missing.bin");
  ASSERT_FALSE(missing.problems.empty());
}

TEST(Inspect, ReportsDamagedBlocksAndChecksum) {
  Sample s;
  BuildReport report;
  std::string error;
  ASSERT_TRUE(BuildPackage(s.cfg, nullptr, report, error)) << error;
  Bytes out = ReadFile(s.cfg.output);
  const Inspection good = InspectPackage(s.cfg.output);
  ASSERT_TRUE(good.problems.empty());
  ASSERT_GT(good.blocks.size(), 3u);
  out[good.blocks[3].offset + 10] ^= 0x55;  // inside the first file block's stream
  WriteFile(s.cfg.output, out);
  const Inspection bad = InspectPackage(s.cfg.output);
  ASSERT_GE(bad.problems.size(), 2u);
  EXPECT_NE(bad.problems[0].find("checksum mismatch"), std::string::npos) << bad.problems[0];
  EXPECT_NE(bad.problems[1].find("block 4"), std::string::npos) << bad.problems[1];
}

}  // namespace
}  // namespace vxpack
