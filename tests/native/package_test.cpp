// Package reader: trailer location, checksum, tokens, string blocks and hostile input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "package/package.h"
#include "system/debug.h"

namespace vx {
namespace {

using Bytes = std::vector<uint8_t>;

// Trailer fields are packed: copy them before gtest takes references.
template <class T>
T Val(T v) {
  return v;
}

void PutU32(Bytes& b, size_t off, uint32_t v) {
  if (b.size() < off + 4) b.resize(off + 4);
  for (int i = 0; i < 4; ++i) b[off + i] = static_cast<uint8_t>(v >> (8 * i));
}

void AppendU32(Bytes& b, uint32_t v) { PutU32(b, b.size(), v); }

void AppendText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

void AppendBlock(Bytes& b, const std::string& text) {
  AppendU32(b, static_cast<uint32_t>(text.size()));
  AppendText(b, text);
}

// A trailer laid out field by field at the documented offsets (independent of TrailerRecord).
struct TrailerSpec {
  uint8_t count = 2;
  uint32_t dataStart = 0;
  uint32_t fileCount = 0;
  uint32_t magic = kPackageMagic;
  uint32_t checksum = 0;
  uint32_t space[9] = {};
  uint8_t flags = 0, web = 0, ask = 0, makeAgent = 0, agent = 0;
  uint32_t length = 74;
};

void AppendTrailer(Bytes& b, const TrailerSpec& t) {
  const size_t base = b.size();
  b.resize(base + 74, 0);
  b[base + 0] = 1;
  b[base + 1] = t.count;
  PutU32(b, base + 4, t.dataStart);
  PutU32(b, base + 8, t.fileCount);
  PutU32(b, base + 12, t.magic);
  PutU32(b, base + 16, t.checksum);
  for (int i = 0; i < 9; ++i) PutU32(b, base + 28 + 4 * i, t.space[i]);
  b[base + 65] = t.flags;
  b[base + 66] = t.web;
  b[base + 67] = t.ask;
  b[base + 68] = t.makeAgent;
  b[base + 69] = t.agent;
  PutU32(b, base + 70, t.length);
}

// A launcher-like prefix: "MZ" at 0, "PE" at 256, package-end field at 252 set to e.
Bytes PePrefix(size_t size, int32_t e) {
  Bytes b(size, 0x90);
  b[0] = 'M';
  b[1] = 'Z';
  b[256] = 'P';
  b[257] = 'E';
  PutU32(b, 252, static_cast<uint32_t>(e));
  return b;
}

// prefix + language block + settings list (+ web list) + trailer.
Bytes MakePackage(Bytes prefix, TrailerSpec t, const std::string& lang, const std::string& settings,
                  const std::string* web) {
  t.dataStart = static_cast<uint32_t>(prefix.size());
  Bytes b = std::move(prefix);
  AppendBlock(b, lang);
  AppendBlock(b, settings);
  if (web) AppendBlock(b, *web);
  AppendTrailer(b, t);
  return b;
}

void ExpectEmpty(const TGFileInfo& info) {
  EXPECT_FALSE(info.IsPackage());
  EXPECT_EQ(Val(info.Trailer().magic), 0u);
  EXPECT_EQ(Val(info.Trailer().dataStart), 0u);
  EXPECT_EQ(Val(info.Trailer().fileCount), 0u);
  EXPECT_FALSE(info.ConfirmExtractFlag() || info.ContinuationFlag() || info.SpanFlag() ||
               info.SecondBarFlag() || info.WebFlag() || info.AskDownloadFlag() ||
               info.MakeAgentFlag() || info.AgentFlag());
  EXPECT_TRUE(info.LanguageBlock().empty());
  EXPECT_TRUE(info.SettingsList().empty());
  EXPECT_TRUE(info.WebList().empty());
  EXPECT_EQ(SpaceForCluster(info.Trailer(), 65536), 0.0);
  EXPECT_EQ(info.AgentExeName(), "");
}

bool IsDecimalBelow99999(const std::string& s) {
  if (s.empty() || s.size() > 5) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return std::atoi(s.c_str()) <= 99998;
}

// ---------------------------------------------------------------------------------------------

TEST(PackageReader, PackageEndFieldDecidesWhereTheTrailerEnds) {
  const std::string web = "|http://h/f|full.exe|1|tok|5|";
  TrailerSpec good;
  good.fileCount = 26;
  good.flags = kFlagSpan;
  TrailerSpec later;  // a second trailer written after the package end
  later.fileCount = 99;
  later.flags = kFlagConfirmExtract;

  const Bytes base = MakePackage(PePrefix(600, 0), good, "\x02", "|u|n.info|agent.exe|t|1|", &web);
  const int32_t ownSize = static_cast<int32_t>(base.size());
  struct Case {
    const char* name;
    int32_t e;
    bool appendLater;
  } cases[] = {
      {"E=0 uses the file end", 0, false},
      {"negative E uses the file end", -5, false},
      {"E=own size", ownSize, false},
      {"E before appended bytes and a later trailer", ownSize, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = base;
    PutU32(b, 252, static_cast<uint32_t>(c.e));
    if (c.appendLater) {
      AppendText(b, "appended signature bytes");
      later.dataStart = 600;
      AppendTrailer(b, later);
    }
    MemorySource src(b);
    TGFileInfo info(src);
    ASSERT_TRUE(info.IsPackage());
    EXPECT_EQ(Val(info.Trailer().fileCount), 26u);
    EXPECT_TRUE(info.SpanFlag());
    EXPECT_FALSE(info.ConfirmExtractFlag());
    EXPECT_EQ(info.AgentExeName(), "agent.exe");
    EXPECT_EQ(Val(info.Trailer().length), 74u);
    EXPECT_EQ(PackageEnd(src), c.e > 0 ? static_cast<uint64_t>(c.e) : b.size());
  }
}

TEST(PackageReader, PackageEndFieldIsIgnoredWithoutPeSignatureAtOffset256) {
  TrailerSpec t;
  t.fileCount = 3;
  Bytes prefix = PePrefix(600, 10);  // would be hostile if it were read
  prefix[256] = 'X';
  MemorySource notPe(prefix);
  EXPECT_FALSE(IsPeFile(notPe));
  MemorySource src(MakePackage(prefix, t, "\x02", "||", nullptr));
  TGFileInfo info(src);
  ASSERT_TRUE(info.IsPackage());
  EXPECT_EQ(Val(info.Trailer().fileCount), 3u);
}

TEST(PackageReader, StringBlockCountSelectsTheWebList) {
  const std::string web = "|http://host/dir|full.exe|1|x|5242880|";
  struct Case {
    uint8_t count;
    bool withWeb;
    uint8_t expectCount;
    std::string expectWeb;
  } cases[] = {
      {0, false, 2, ""},
      {2, false, 2, ""},
      {2, true, 2, ""},  // a third block is there but not announced
      {3, true, 3, web},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.count));
    TrailerSpec t;
    t.count = c.count;
    MemorySource src(MakePackage(Bytes(40, 0), t, "\x02", "|a|b|c|", c.withWeb ? &web : nullptr));
    TGFileInfo info(src);
    ASSERT_TRUE(info.IsPackage());
    EXPECT_EQ(Val(info.Trailer().stringBlockCount), c.expectCount);
    EXPECT_EQ(info.WebList(), c.expectWeb);
    EXPECT_EQ(info.WebFolder(), c.expectWeb.empty() ? "" : "http://host/dir");
    EXPECT_EQ(info.WebSizeText(), c.expectWeb.empty() ? "" : "5242880");
    EXPECT_EQ(info.SettingsList(), "|a|b|c|");
    // Data start moves past the string blocks: 40 + (4+1) + (4+7) [+ (4+web)].
    EXPECT_EQ(Val(info.Trailer().dataStart), 40u + 5 + 11 + (c.expectWeb.empty() ? 0 : 4 + web.size()));
  }
}

TEST(PackageReader, TraceShowsTheStoredCountBeforeZeroBecomesTwo) {
  TrailerSpec t;
  t.count = 0;
  MemorySource src(MakePackage(Bytes(8, 0), t, "\x02", "||", nullptr));
  vxtest::FakePlatform platform;
  TGFileInfo info(src);
  EXPECT_EQ(platform.Trace(), "n1=0\nn2=2\n");
}

TEST(PackageReader, LongerTrailerReadsItsFirst70Bytes) {
  TrailerSpec t;
  t.fileCount = 7;
  t.length = 90;
  Bytes b = MakePackage(Bytes(16, 0), t, "\x02", "||", nullptr);
  // 70 bytes of fields, 16 bytes the reader does not know, then the length field (90).
  b.insert(b.end() - 4, 16, 0xEE);
  MemorySource src(b);
  TGFileInfo info(src);
  ASSERT_TRUE(info.IsPackage());
  EXPECT_EQ(Val(info.Trailer().fileCount), 7u);
  EXPECT_EQ(Val(info.Trailer().length), 74u);
}

TEST(PackageReader, HostileFilesGiveAnEmptyObject) {
  const Bytes good = MakePackage(PePrefix(600, 0), TrailerSpec{}, "\x02", "|a|b|", nullptr);
  const size_t size = good.size();
  const size_t trailer = size - 74;
  const size_t langLen = 600;      // offset of the language block length
  const size_t setLen = 600 + 5;   // offset of the settings list length
  struct Case {
    const char* name;
    Bytes bytes;
  };
  auto with = [&](size_t off, uint32_t v) {
    Bytes b = good;
    PutU32(b, off, v);
    return b;
  };
  std::vector<Case> cases = {
      {"empty file", {}},
      {"three bytes", {1, 2, 3}},
      {"length field 0", with(size - 4, 0)},
      {"length field 3", with(size - 4, 3)},
      {"length field 10 hides the magic", with(size - 4, 10)},
      {"length field huge", with(size - 4, 0xFFFFFFFFu)},
      {"length field one past the file", with(size - 4, static_cast<uint32_t>(size + 1))},
      {"package end beyond the file", with(252, static_cast<uint32_t>(size + 100))},
      {"package end 2", with(252, 2)},
      {"package end inside the launcher", with(252, 300)},
      {"wrong magic", with(trailer + 12, 0x4A3B2C1E)},
      {"data start beyond the file", with(trailer + 4, static_cast<uint32_t>(size + 10))},
      {"data start inside the trailer", with(trailer + 4, static_cast<uint32_t>(trailer + 2))},
      {"data start at 0xFFFFFFFF", with(trailer + 4, 0xFFFFFFFFu)},
      {"language length past the end", with(langLen, 0xFFFFFFF0u)},
      {"language length into the trailer", with(langLen, static_cast<uint32_t>(trailer - langLen))},
      {"settings length past the end", with(setLen, 0x7FFFFFFFu)},
  };
  {
    Bytes b = good;
    b[trailer + 1] = 3;  // announces a web list that is not there: the length is trailer bytes
    cases.push_back({"web list announced but missing", b});
  }
  // A language block longer than any real one, though wholly inside the file; one byte less is read.
  auto bigBlock = [](size_t len) {
    Bytes b(8, 0);
    AppendBlock(b, std::string(len, 'x'));
    AppendBlock(b, "||");
    TrailerSpec t;
    t.dataStart = 8;
    AppendTrailer(b, t);
    return b;
  };
  cases.push_back({"string block over the size limit", bigBlock(kMaxStringBlock + 1)});
  {
    MemorySource atLimit(bigBlock(kMaxStringBlock));
    EXPECT_EQ(TGFileInfo(atLimit).LanguageBlock().size(), kMaxStringBlock);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySource src(c.bytes);
    TGFileInfo info(src);
    ExpectEmpty(info);
  }
  MemorySource src(good);
  EXPECT_TRUE(TGFileInfo(src).IsPackage());
}

TEST(PackageReader, MissingFileGivesAnEmptyObject) {
  TGFileInfo info(std::string("/nonexistent/dir/setup.exe"));
  ExpectEmpty(info);
  TrailerRecord rec;
  EXPECT_FALSE(ReadTrailer(std::string("/nonexistent/dir/setup.exe"), rec));
  EXPECT_FALSE(IsPeFile(std::string("/nonexistent/dir/setup.exe")));
}

TEST(PackageReader, SettingsAccessors) {
  struct Case {
    std::string settings;
    std::string url, info, original, agent;
    bool hidden;
  } cases[] = {
      {"|http://u/|MyApp.info|MyAppUpdate.exe|tok|1|", "http://u/", "MyApp.info", "MyApp.original",
       "MyAppUpdate.exe", true},
      {"~x~C:\\dir\\sub\\App.ini~a.exe~~yes~", "x", "App.info", "App.original", "a.exe", false},
      {"|u|http://h/p/NoExt|a||1 |", "u", "NoExt.info", "NoExt.original", "a", false},
      {"|u|", "u", ".info", ".original", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    MemorySource src(MakePackage(Bytes(4, 0), TrailerSpec{}, "\x02", c.settings, nullptr));
    TGFileInfo info(src);
    ASSERT_TRUE(info.IsPackage());
    EXPECT_EQ(info.UpdateUrl(), c.url);
    EXPECT_EQ(info.InfoFileName(), c.info);
    EXPECT_EQ(info.OriginalFileName(), c.original);
    EXPECT_EQ(info.AgentExeName(), c.agent);
    EXPECT_EQ(info.RunHidden(), c.hidden);
  }
}

TEST(PackageReader, FlagAccessorsFollowTheirBitsAndBytes) {
  TrailerSpec t;
  t.flags = kFlagConfirmExtract | kFlagSecondBar;
  t.web = 7;
  t.agent = 1;
  MemorySource src(MakePackage(Bytes(4, 0), t, "\x02", "||", nullptr));
  TGFileInfo info(src);
  EXPECT_TRUE(info.ConfirmExtractFlag());
  EXPECT_FALSE(info.ContinuationFlag());
  EXPECT_FALSE(info.SpanFlag());
  EXPECT_TRUE(info.SecondBarFlag());
  EXPECT_TRUE(info.WebFlag());
  EXPECT_FALSE(info.AskDownloadFlag());
  EXPECT_FALSE(info.MakeAgentFlag());
  EXPECT_TRUE(info.AgentFlag());
}

TEST(PackageReader, SpaceTableEntryFollowsClusterSize) {
  TrailerRecord rec{};
  for (int i = 0; i < 9; ++i) rec.space[i] = 1000 + static_cast<uint32_t>(i);
  struct Case {
    uint32_t cluster;
    double expect;
  } cases[] = {{0, 1000}, {511, 1000}, {512, 1001}, {1023, 1001}, {1024, 1002},
               {4096, 1004}, {65535, 1007}, {65536, 1008}, {1u << 20, 1008}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cluster);
    EXPECT_EQ(SpaceForCluster(rec, c.cluster), c.expect);
  }
}

TEST(PackageReader, SpaceRequiredAsksThePlatformForTheFoldersClusterSize) {
  TrailerSpec t;
  for (int i = 0; i < 9; ++i) t.space[i] = 2000 + static_cast<uint32_t>(i);
  MemorySource src(MakePackage(Bytes(8, 0), t, "\x02", "||", nullptr));
  const TGFileInfo info(src);
  struct Case {
    uint32_t cluster;  // the platform's answer
    double expect;
  } const cases[] = {{0, 2000}, {512, 2001}, {4096, 2004}, {32768, 2007}};
  vxtest::FakePlatform platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cluster);
    platform.clusterSize = c.cluster;
    platform.clusterFolders.clear();
    EXPECT_EQ(info.SpaceRequired("D:\\Temp\\SETUP_1"), c.expect);
    EXPECT_EQ(platform.clusterFolders, std::vector<String>{"D:\\Temp\\SETUP_1"});
  }
}

// ---------------------------------------------------------------------------------------------
// Checksum. Expected values are worked out by hand from the definition in the comments.

TEST(PackageChecksum, WordsCountUpToEightBytesBeforeTheTrailer) {
  // Plain file of 200 bytes, L = 74: n starts at 126; the word at offset o counts while o < 118.
  // The single 200-byte read ends with n = 126 - 200 < 4, so no 1234 is added.
  struct Case {
    size_t offset;
    uint32_t expect;
  } cases[] = {{0, 0x01020304}, {116, 0x01020304}, {120, 0}, {124, 0}, {196, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    Bytes b(200, 0);
    PutU32(b, c.offset, 0x01020304);
    MemorySource src(b);
    EXPECT_EQ(PackageChecksum(src, 74), c.expect);
  }
}

TEST(PackageChecksum, PackageEndMovesStartAndEnd) {
  // PE file of 1200 bytes with E = 1000: sum starts at 512 with n = 1000 - 74 - 512 = 414,
  // so word j (at 512 + 4j) counts while 4j < 414 - 8: the last one is at 916.
  struct Case {
    size_t offset;
    bool counts;
  } cases[] = {{100, false}, {508, false}, {512, true}, {600, true}, {916, true},
               {920, false}, {1100, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    Bytes b = PePrefix(1200, 1000);
    for (size_t i = 300; i < b.size(); ++i) b[i] = 0;
    PutU32(b, c.offset, 0xA0B0C0D0);
    MemorySource src(b);
    EXPECT_EQ(PackageChecksum(src, 74), c.counts ? 0xA0B0C0D0u : 0u);
  }
}

TEST(PackageChecksum, Adds1234AfterEachChunkWhileWordsRemain) {
  // Zero files, L = 74. n after chunk k is (size - 74) - 4096 * k.
  struct Case {
    size_t size;
    uint32_t expect;
  } cases[] = {
      {3 * 4096 + 100, 3 * 1234},  // 12314 -> 8218, 4122, 26 (all > 4), then -74
      {2 * 4096, 1234},            // 8118 -> 4022, -74, then an empty read: -74
      {4096 + 78, 0},              // 4100 -> 4 (not above 4), then the 78-byte chunk: < 4
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    MemorySource src(Bytes(c.size, 0));
    EXPECT_EQ(PackageChecksum(src, 74), c.expect);
  }
}

// The checksum as the format defines it, one word at a time: chunks of 4096 bytes until a
// short one, n counting down by 4 per word, words added while n > 4, 1234 after each chunk
// while n > 4. The reader adds many words at once; both must agree on every length.
uint32_t ChecksumByDefinition(const Bytes& file, uint32_t trailerLength) {
  const bool pe = file.size() >= 258 && file[0] == 'M' && file[1] == 'Z' && file[256] == 'P' && file[257] == 'E';
  int32_t e = 0;
  if (pe) e = static_cast<int32_t>(file[252] | file[253] << 8 | file[254] << 16 | static_cast<uint32_t>(file[255]) << 24);
  int64_t n = e > 0 ? e : static_cast<int64_t>(file.size());
  n -= trailerLength;
  size_t offset = 0;
  if (e > 0) {
    offset = 512;
    n -= 512;
  }
  uint32_t sum = 0;
  for (;;) {
    const size_t got = offset < file.size() ? std::min<size_t>(4096, file.size() - offset) : 0;
    for (size_t w = 0; w + 4 <= got; w += 4) {
      n -= 4;
      const size_t at = offset + w;
      if (n > 4) sum += file[at] | file[at + 1] << 8 | file[at + 2] << 16 | static_cast<uint32_t>(file[at + 3]) << 24;
    }
    if (n > 4) sum += 1234;
    offset += got;
    if (got < 4096) return sum;
  }
}

TEST(PackageChecksum, AgreesWithTheWordByWordDefinitionOnEveryLength) {
  // Random bytes (fixed seed), so every word counts; lengths around the word, the chunk, the
  // reader's 256 KiB reads and the trailer, lengths that are no whole number of words, and
  // package ends inside, at and beyond odd offsets.
  struct Case {
    size_t size;
    int32_t packageEnd;  // -1: a plain file; else a PE file with this package-end field
  } cases[] = {
      {0, -1},           {3, -1},           {4, -1},           {74, -1},          {78, -1},
      {79, -1},          {83, -1},          {4095, -1},        {4096, -1},        {4097, -1},
      {4096 + 78, -1},   {4096 + 81, -1},   {65535, -1},       {65536 + 77, -1},  {262143, -1},
      {262144, -1},      {262144 + 74, -1}, {262144 + 82, -1}, {524288 + 4093, -1}, {1048576 + 6, -1},
      {600, 0},          {600, 600},        {1200, 1000},      {1200, 1001},      {1200, 1003},
      {5000, 598},       {5000, 599},       {300000, 262144 + 512 + 80}, {300000, 299999}, {300000, 123457}, {5000, 8000},
  };
  std::srand(20261210);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.size << " bytes, package end " << c.packageEnd);
    Bytes b(c.size);
    for (uint8_t& v : b) v = static_cast<uint8_t>(std::rand() >> 7);
    if (c.packageEnd >= 0) {
      Bytes pe = PePrefix(c.size, c.packageEnd);
      std::copy(pe.begin(), pe.begin() + 258, b.begin());
    }
    MemorySource src(b);
    EXPECT_EQ(PackageSum(src, 74), ChecksumByDefinition(b, 74));
    EXPECT_EQ(PackageChecksum(src, 74), ChecksumByDefinition(b, 74));
  }
}

class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path_((std::filesystem::temp_directory_path() /
               (name + "_" + std::to_string(::getpid()))).string()) {}
  ~TempFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(PackageChecksum, SizeLimitIsInclusive) {
  // Sparse zero files with the word 5 at offset 409600. At exactly 52428800 bytes:
  // n = 52428726; 12800 full chunks and then an empty read. 1234 is added after chunks
  // 1..12799 (n after chunk 12799 is 4022). One byte more: 1234 and nothing is read.
  TempFile tmp("vx_checksum_limit");
  struct Case {
    uint64_t size;
    uint32_t expect;
  } cases[] = {{52428800, 12799u * 1234u + 5u}, {52428801, 1234}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::FILE* f = std::fopen(tmp.path().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    std::filesystem::resize_file(tmp.path(), c.size);
    f = std::fopen(tmp.path().c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    const uint8_t word[4] = {5, 0, 0, 0};
    std::fseek(f, 4096 * 100, SEEK_SET);
    std::fwrite(word, 1, 4, f);
    std::fclose(f);
    EXPECT_EQ(PackageChecksum(tmp.path(), 74), c.expect);
  }
}

// ---------------------------------------------------------------------------------------------
// Tokens. Encoded form: each byte as two upper-case hex digits, every character shifted by +50.

std::string Scramble(const std::vector<uint8_t>& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  for (uint8_t v : bytes) {
    s += static_cast<char>(kHex[v >> 4] + 50);
    s += static_cast<char>(kHex[v & 15] + 50);
  }
  return s;
}

TEST(DecodeToken, HandBuiltToken) {
  // d1=0x11, key 0x5A, a=0, b=1: 11 | 5A 5B | 'A'^5A 'B'^5A | sum | 11^5A.
  // Sum of the others: 0x11+0x5A+0x5B+0x1B+0x18+0x4B = 324 = 0x44 (mod 256).
  EXPECT_EQ(DecodeToken(Scramble({0x11, 0x5A, 0x5B, 0x1B, 0x18, 0x44, 0x4B})), "AB");
  // Same with a = 2 padding bytes in front (a^k = 0x58): sum = 324 - 0x5A + 0x58 + 0x01 + 0x02.
  EXPECT_EQ(DecodeToken(Scramble({0x11, 0x58, 0x5B, 0x01, 0x02, 0x1B, 0x18, 0x45, 0x4B})), "AB");
}

TEST(DecodeToken, DamagedTokensGiveARandomNumber) {
  const std::string cases[] = {
      "",
      "bb",
      "hello world",
      Scramble({0x11, 0x5A, 0x5B, 0x1B, 0x18, 0x45, 0x4B}),  // sum byte off by one
      Scramble({0x11, 0x5A, 0x5B, 0x1B, 0x18, 0x44}),        // truncated
      // a = 200 claims more bytes than the token has (sum fixed up to pass the test).
      Scramble({0x11, 200 ^ 0x5A, 0x5B, 0x1B, 0x18,
                static_cast<uint8_t>(0x11 + (200 ^ 0x5A) + 0x5B + 0x1B + 0x18 + 0x4B), 0x4B}),
  };
  for (const std::string& c : cases) {
    SCOPED_TRACE(c);
    EXPECT_TRUE(IsDecimalBelow99999(DecodeToken(c))) << DecodeToken(c);
  }
}

// A missing or damaged token never matches, not even another missing one: its random stand-in
// came from the clock's milliseconds, so two decoded in one tick were equal, and a web launcher
// whose package has no token took a downloaded package without one.
TEST(SameToken, MissingOrDamagedTokensMatchNothing) {
  // "AB" (a = 0, b = 1) and the same with two filler bytes in front: two spellings of one token.
  const std::string ab = Scramble({0x11, 0x5A, 0x5B, 0x1B, 0x18, 0x44, 0x4B});
  const std::string abPadded = Scramble({0x11, 0x58, 0x5B, 0x01, 0x02, 0x1B, 0x18, 0x45, 0x4B});
  const std::string damaged = Scramble({0x11, 0x5A, 0x5B, 0x1B, 0x18, 0x45, 0x4B});  // sum off by one
  // An empty text, stored correctly (a = 0, b = 1, nothing between): decodes to "".
  const std::string emptyText = Scramble({0x11, 0x5A, 0x5B, 0x11, 0x4B});
  ASSERT_EQ(DecodeToken(emptyText), "");
  struct Case {
    const char* name;
    std::string a, b;
    bool same;
  } const cases[] = {
      {"one token, two spellings", ab, abPadded, true},
      {"the same text", ab, ab, true},
      {"both missing", "", "", false},
      {"one missing", ab, "", false},
      {"both damaged alike", damaged, damaged, false},
      {"one damaged", ab, damaged, false},
      {"both empty texts", emptyText, emptyText, false},
      {"garbage", "hello", "hello", false},
  };
  vxtest::FakePlatform platform;  // one clock for every decode
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SameToken(c.a, c.b), c.same);
    EXPECT_EQ(SameToken(c.b, c.a), c.same);
  }
}

TEST(SameToken, WebLaunchersWithoutATokenAcceptNoPackage) {
  vxtest::FakePlatform platform;  // one clock for every decode
  const std::string token = Scramble({0x11, 0x5A, 0x5B, 0x1B, 0x18, 0x44, 0x4B});
  const std::string lists[] = {"|x|f.exe|0||5|", "|x|f.exe|0|" + Scramble({1, 2}) + "|5|", "|x|f.exe|0|" + token + "|5|"};
  const bool tokenIntact[] = {false, false, true};
  for (size_t i = 0; i < 3; ++i) {
    for (size_t k = 0; k < 3; ++k) {
      SCOPED_TRACE(lists[i] + " / " + lists[k]);
      TrailerSpec t;
      t.count = 3;
      t.web = 1;
      MemorySource a(MakePackage(PePrefix(512, 0), t, "\x02", "|||||", &lists[i]));
      t.web = 0;
      MemorySource b(MakePackage(PePrefix(512, 0), t, "\x02", "|||||", &lists[k]));
      const TGFileInfo launcher(a), package(b);
      ASSERT_TRUE(launcher.IsPackage());
      ASSERT_TRUE(package.IsPackage());
      EXPECT_EQ(launcher.SameWebToken(package), tokenIntact[i] && tokenIntact[k]);
    }
  }
}

}  // namespace
}  // namespace vx
