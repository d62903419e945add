// Extraction over an in-memory host: block loop, names, run command, agent, failures, pieces.
#include <gtest/gtest.h>

#include <random>

#include "fake_platform.h"
#include "package/zlib_stream.h"
#include "system/debug.h"
#include "unpack_support.h"

namespace vx {
namespace {

using namespace unpacktest;

const char* const kWork = "C:\\W";
const char* const kPrompt = "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue";

std::string RandomText(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

struct Entry {
  std::string header;
  std::string content;
};

PackageDesc SpecOf(const std::vector<std::vector<Entry>>& pieces) {
  PackageDesc desc;
  for (const auto& piece : pieces) {
    desc.pieces.emplace_back();
    for (const Entry& e : piece) {
      desc.pieces.back().push_back(FileStream(e.header, e.content));
    }
  }
  return desc;
}

UnpackResult Extract(FakeHost& host, const std::string& path, const std::string& agent = "",
                 bool forcePrompt = false) {
  UnpackRequest req;
  req.packagePath = path;
  req.workFolder = kWork;
  req.agentName = agent;
  req.forcePrompt = forcePrompt;
  req.promptText = kPrompt;
  return UnpackPackageWith(req, host);
}


TEST(Unpack, WritesEveryFileWithItsDateAndOneStepEach) {
  TempFolder tmp;
  // Content crossing several read and write chunks, partly incompressible.
  const std::string big = RandomText(300000, 7) + std::string(700000, 'z') + RandomText(5000, 8);
  const std::vector<Entry> entries = {
      {"|readme.txt|1519083520|", "hello"},
      {"|bin\\tool.dll|0|", big},
      {"|empty.dat|x|", ""},
      {"|setup.exe* /silent|0|", "MZsetup"},
  };
  const PackageDesc desc = SpecOf({entries});
  FakeHost host;
  host.pieces = WritePackage(tmp.Path(), "setup.exe", desc);
  vxtest::FakePlatform platform;
  const UnpackResult r = Extract(host, tmp.Path() + "/setup.exe");
  const std::string trace = platform.Trace();

  EXPECT_TRUE(r.checksumOk);
  EXPECT_EQ(r.failure, UnpackFailure::kNone) << r.errorText;
  EXPECT_EQ(r.runCommand, "setup.exe* /silent");
  EXPECT_EQ(r.blocks, 6);
  EXPECT_EQ(host.Content("readme.txt"), "hello");
  EXPECT_EQ(host.Content("bin\\tool.dll"), big);
  EXPECT_EQ(host.Content("empty.dat"), "");
  EXPECT_EQ(host.Content("setup.exe"), "MZsetup");
  EXPECT_EQ(host.files["readme.txt"].dosTime, 1519083520u);
  EXPECT_EQ(host.files["empty.dat"].dosTime, 0u);
  EXPECT_EQ(host.folders, std::vector<std::string>({"bin"}));
  EXPECT_EQ(host.events, std::vector<std::string>({"start 0..0 @0 +1", "start 0..4 @0 +1", "step", "step",
                                                   "step", "step"}));
  EXPECT_LE(host.largestWrite, kUnpackChunk);
  EXPECT_NE(trace.find("FileInfo.FilesCount=4\n"), std::string::npos) << trace;
  EXPECT_TRUE(host.errors.empty());
}

TEST(Unpack, RepeatedNamesAppendInOrderWithOneStep) {
  TempFolder tmp;
  // Letter case does not make another file, as on Windows.
  const PackageDesc desc = SpecOf({{{"|data.bin|0|", "AAA"},
                                    {"|other.txt|0|", "o"},
                                    {"|DATA.bin|0|", "BBB"},
                                    {"|data.bin|0|", "CCC"}}});
  FakeHost host;
  host.pieces = WritePackage(tmp.Path(), "p.exe", desc);
  const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
  EXPECT_EQ(r.failure, UnpackFailure::kNone) << r.errorText;
  EXPECT_EQ(host.files.size(), 2u);
  EXPECT_EQ(host.Content("data.bin"), "AAABBBCCC");
  EXPECT_EQ(host.files["data.bin"].name, "data.bin");
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "step"), 2);
  ASSERT_EQ(host.reports.size(), 4u);
  EXPECT_FALSE(host.reports[0].appended);
  EXPECT_TRUE(host.reports[2].appended);
  EXPECT_TRUE(host.reports[3].appended);
}

TEST(Unpack, RunCommandRules) {
  struct Case {
    const char* header;
    const char* runCommand;
    const char* file;
  } cases[] = {
      {"|setup.exe* /silent|0|", "setup.exe* /silent", "setup.exe"},
      {"|setup.exe*|0|", "setup.exe*", "setup.exe"},
      {"#setup.exe#0*#", "#setup.exe#0*#", "setup.exe"},  // "*" only in the date item
      {"#inst\\run.exe*-q#0#", "inst\\run.exe*-q", "inst\\run.exe"},  // any separator
      {"|plain.exe|0|", "", "plain.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    TempFolder tmp;
    FakeHost host;
    host.pieces = WritePackage(tmp.Path(), "p.exe", SpecOf({{{"|a.txt|0|", "a"}, {c.header, "x"}}}));
    const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
    EXPECT_EQ(r.runCommand, c.runCommand);
    EXPECT_EQ(host.Content(c.file), "x");
  }
}

// A "*" outside the name item makes the whole header the run command, and the program the setup
// is started as is its text before the "*": it is checked as every file name is. A header whose
// separator may stand in a file name could otherwise name a program outside the work folder.
TEST(Unpack, RunCommandOutsideTheNameItemIsCheckedLikeAFileName) {
  const char* const headers[] = {
      "Qsetup.exeQ0\\..\\..\\..\\..\\Windows\\System32\\cmd.exe*/c calcQ",  // the issue's way out
      "Qsetup.exeQC:\\Windows\\System32\\cmd.exe*Q",                         // a drive
      "Qsetup.exeQ0\\CON*Q",                                                  // a device
      "|setup.exe|0*|",                                                        // the separator itself
      "Qsetup.exeQ0\\notes. *Q",                                              // a trailing dot and blank
  };
  for (const char* header : headers) {
    SCOPED_TRACE(header);
    TempFolder tmp;
    FakeHost host;
    host.pieces = WritePackage(tmp.Path(), "p.exe", SpecOf({{{"|a.txt|0|", "a"}, {header, "x"}}}));
    const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
    EXPECT_EQ(r.failure, UnpackFailure::kBadName);
    EXPECT_EQ(r.runCommand, "");
    EXPECT_NE(r.errorText.find(header), std::string::npos) << r.errorText;
    EXPECT_EQ(host.Content("setup.exe"), "<missing>");
  }
}

TEST(Unpack, EmptyHeaderOrNoZeroByteIgnoresTheBlock) {
  TempFolder tmp;
  PackageDesc desc = SpecOf({{{"|a.txt|0|", "a"}}});
  desc.pieces[0].push_back(FileStream("", "content without a name"));
  desc.pieces[0].push_back(ZStream("no zero byte at all"));
  desc.pieces[0].push_back(FileStream("|b.txt|0|", "b"));
  FakeHost host;
  host.pieces = WritePackage(tmp.Path(), "p.exe", desc);
  const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
  EXPECT_EQ(r.failure, UnpackFailure::kNone) << r.errorText;
  EXPECT_EQ(host.files.size(), 2u);
  EXPECT_EQ(host.Content("b.txt"), "b");
}

// The last block ends exactly 74 bytes before the end: the loop stops. With one byte more in
// between, another block read starts there and runs into the trailer.
TEST(Unpack, BlockLoopStopsSeventyFourBytesBeforeTheEnd) {
  for (int extra : {0, 1}) {
    SCOPED_TRACE(extra);
    TempFolder tmp;
    const PackageDesc desc = SpecOf({{{"|setup.exe*|0|", "s"}, {"|b.txt|0|", "b"}}});
    FakeHost host;
    host.pieces = WritePackage(tmp.Path(), "p.exe", desc);
    Bytes& file = host.pieces.begin()->second;
    file.insert(file.end() - kTrailerLength, static_cast<size_t>(extra), 0x01);
    Reseal(file);
    const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
    EXPECT_TRUE(r.checksumOk);
    EXPECT_EQ(host.Content("b.txt"), "b");
    if (extra == 0) {
      EXPECT_EQ(r.failure, UnpackFailure::kNone);
      EXPECT_EQ(r.blocks, 4);
      EXPECT_EQ(r.runCommand, "setup.exe*");
    } else {
      EXPECT_EQ(r.failure, UnpackFailure::kBlockPastEnd);
      EXPECT_EQ(r.blocks, 5);
      EXPECT_EQ(r.runCommand, "");
      EXPECT_NE(r.errorText.find("block 5"), std::string::npos) << r.errorText;
    }
  }
}

TEST(Unpack, DamagedBlocksEndTheExtraction) {
  const std::string data = RandomText(20000, 3);
  const Bytes good = FileStream("|c.bin|0|", data);
  struct Case {
    const char* what;
    Bytes stream;
    UnpackFailure failure;
    const char* message;
  } cases[] = {
      {"invalid block type", {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF}, UnpackFailure::kDamagedData, "data error"},
      {"bad header check", {0x78, 0x00, 0x01, 0x02}, UnpackFailure::kDamagedData, "data error"},
      {"cut short", Bytes(good.begin(), good.begin() + good.size() / 2), UnpackFailure::kDamagedData,
       "buffer error"},
      {"preset dictionary", ZStream(std::string("|d.bin|0|") + '\0' + data, "dictionary"),
       UnpackFailure::kNeedDictionary, "need dictionary"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder tmp;
    PackageDesc desc = SpecOf({{{"|setup.exe*|0|", "s"}}});
    desc.pieces[0].push_back(c.stream);
    desc.pieces[0].push_back(FileStream("|after.txt|0|", "never"));
    FakeHost host;
    host.pieces = WritePackage(tmp.Path(), "p.exe", desc);
    const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
    EXPECT_TRUE(r.checksumOk);
    EXPECT_EQ(r.failure, c.failure);
    EXPECT_NE(r.errorText.find(c.message), std::string::npos) << r.errorText;
    EXPECT_NE(r.errorText.find("block 4"), std::string::npos) << r.errorText;
    EXPECT_EQ(r.runCommand, "");
    EXPECT_EQ(host.Content("after.txt"), "<missing>");
  }
}

TEST(Unpack, BlockLengthPastTheEndOfThePiece) {
  TempFolder tmp;
  const PackageDesc desc = SpecOf({{{"|setup.exe*|0|", "s"}, {"|b.txt|0|", "b"}}});
  FakeHost host;
  host.pieces = WritePackage(tmp.Path(), "p.exe", desc);
  Bytes& file = host.pieces.begin()->second;
  const size_t lengthAt = FirstFileBlock(desc) + 4 + desc.pieces[0][0].size();
  const uint32_t huge = 0x7FFFFFF0u;
  std::memcpy(&file[lengthAt], &huge, 4);
  Reseal(file);
  const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
  EXPECT_TRUE(r.checksumOk);
  EXPECT_EQ(r.failure, UnpackFailure::kBlockPastEnd);
  EXPECT_EQ(r.runCommand, "");
  EXPECT_EQ(host.Content("b.txt"), "<missing>");
}

// Names Windows cannot hold are refused as hostile names are: COM and LPT with a superscript digit
// (cp1252), which Windows reserves like COM1, a part ending in a dot or blank (Windows drops them,
// so the file would land under another name), CLOCK$, and names longer than 240 characters.
TEST(EntryName, NamesWindowsCannotHoldAreRefused) {
  const std::string longName = std::string(200, 'a') + "\\" + std::string(40, 'b');  // 241 characters
  struct Case {
    std::string name;
    const char* reason;
  } const cases[] = {
      {"COM\xB9", "device"},
      {"lpt\xB2.txt", "device"},
      {"sub\\Com\xB3.log", "device"},
      {"LPT\xB9 .dat", "device"},
      {"clock$", "device"},
      {"notes.", "dot or blank"},
      {"notes. ", "dot or blank"},
      {"dir.\\x.txt", "dot or blank"},
      {"dir \\x.txt", "dot or blank"},
      {"x.txt ", "dot or blank"},
      {longName, "too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    String rel = "old", reason;
    EXPECT_FALSE(CheckEntryName(c.name, rel, reason));
    EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(rel, "");
  }
  // What stays allowed next to them: other superscripts and letters, 240 characters.
  for (const std::string& name : {std::string("COM\xB4"), std::string("COM\xB9x"), std::string("xCOM\xB9"),
                                 std::string("LPT\xBC.txt"), std::string(240, 'n'), std::string(".x"),
                                 std::string("a.b")}) {
    SCOPED_TRACE(name);
    String rel, reason;
    EXPECT_TRUE(CheckEntryName(name, rel, reason)) << reason;
    EXPECT_EQ(rel, name);
  }
}

TEST(Unpack, NamesLeavingTheWorkFolderAreNeverWritten) {
  const char* names[] = {
      "..\\evil.txt", "sub\\..\\..\\evil.txt", "sub/../../evil.txt", "C:\\evil.txt", "C:evil.txt",
      "\\\\server\\share\\evil.txt", "\\evil.txt", "/etc/evil", "good.txt:stream", "...\\evil.txt",
      ".. \\evil.txt", "CON", "nul.txt", "sub\\COM1.log", "con.d\\file", "sub\\", "", "a?b.txt",
      "COM\xB9", "sub\\lpt\xB3.txt", "notes. ",
  };
  for (const char* name : names) {
    SCOPED_TRACE(name);
    TempFolder tmp;
    const PackageDesc desc = SpecOf({{{"|setup.exe*|0|", "s"}, {std::string("|") + name + "|0|", "evil"},
                                      {"|later.txt|0|", "later"}}});
    FakeHost host;
    host.pieces = WritePackage(tmp.Path(), "p.exe", desc);
    const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
    EXPECT_EQ(r.failure, UnpackFailure::kBadName);
    EXPECT_NE(r.errorText.find(std::string("\"") + name + "\""), std::string::npos) << r.errorText;
    EXPECT_EQ(r.runCommand, "");
    EXPECT_EQ(host.files.size(), 1u);  // only the setup written before it
    EXPECT_EQ(host.Content("later.txt"), "<missing>");
  }
}

TEST(EntryName, PlainRelativeNames) {
  struct Case {
    const char* name;
    const char* relative;
    const char* folder;
  } cases[] = {
      {"setup.exe", "setup.exe", ""},
      {"bin\\tool.dll", "bin\\tool.dll", "bin"},
      {"a/b//c.txt", "a\\b\\c.txt", "a\\b"},
      {".\\x.txt", "x.txt", ""},
      {"..x\\y..z", "..x\\y..z", "..x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    String rel, reason;
    EXPECT_TRUE(CheckEntryName(c.name, rel, reason)) << reason;
    EXPECT_EQ(rel, c.relative);
    EXPECT_EQ(EntryFolder(rel), c.folder);
  }
}

// The first failed write (disk full) ends the extraction: the rest of that block and the blocks
// after it are not inflated only to be dropped. Its box is the first of the process only.
TEST(Unpack, FirstFailedWriteEndsTheExtraction) {
  struct Case {
    const char* what;
    size_t bSize;
    size_t failAfter;  // bytes of b.txt written before its writes fail (0: none)
    int writeCalls;    // a.txt once, then b.txt until its write fails
  } cases[] = {
      {"fails at once", 10, 0, 1},
      {"fails within the block", 900000, 300000, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder tmp;
    const std::string b = RandomText(c.bSize, 3);
    const PackageDesc desc = SpecOf({{{"|a.txt|0|", "aaaa"},
                                      {"|b.txt|0|", b},
                                      {"|c.txt|0|", "cc"},
                                      {"|setup.exe*|0|", "dd"}}});
    FakeHost host;
    host.pieces = WritePackage(tmp.Path(), "p.exe", desc);
    host.failWrites = {"b.txt"};
    host.failAfterBytes = c.failAfter;
    const UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
    EXPECT_EQ(r.failure, UnpackFailure::kWriteFailed);
    EXPECT_EQ(r.runCommand, "");
    EXPECT_EQ(r.fileBlocks, 2);
    EXPECT_EQ(host.writeCalls, c.writeCalls);
    ASSERT_EQ(host.reports.size(), 2u);
    EXPECT_FALSE(host.reports[1].written);
    EXPECT_LT(host.reports[1].size, c.failAfter + 2 * kUnpackChunk);  // the rest was not inflated
    EXPECT_LE(host.reports[1].size, c.bSize);
    EXPECT_LE(host.Content("b.txt").size(), c.failAfter);
    EXPECT_EQ(host.Content("c.txt"), "<missing>");
    EXPECT_EQ(host.Content("setup.exe"), "<missing>");
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "C:\\W\\b.txt<P><P>Unable to save Extracted File!<P><P>There is not enough space on the "
                              "disk.<P>Data Size: <T>" + std::to_string(host.reports[1].size) +
                                  " Bytes<P>File Size: <T>" + std::to_string(host.Content("b.txt").size()) +
                                  " Bytes<P>Bytes Free: <T>123456789 Bytes");
    EXPECT_EQ(host.writeFailures, 1);
    // The count lives as long as the process: a second extraction's failure shows nothing.
    host.files.clear();
    EXPECT_EQ(Extract(host, tmp.Path() + "/p.exe").failure, UnpackFailure::kWriteFailed);
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.writeFailures, 2);
  }
}

TEST(Unpack, WorkFolderFailureIsShownAndExtractionGoesOn) {
  TempFolder tmp;
  FakeHost host;
  host.workFolderFails = true;
  host.pieces = WritePackage(tmp.Path(), "p.exe", SpecOf({{{"|a.txt|0|", "a"}}}));
  Extract(host, tmp.Path() + "/p.exe");
  EXPECT_EQ(host.errors, std::vector<std::string>({"C:\\W<P><P>Unable to create Directory!<P><P>Access is denied."}));
  EXPECT_EQ(host.Content("a.txt"), "a");
}

TEST(Unpack, ChecksumMismatchOrMissingPackageExtractsNothing) {
  TempFolder tmp;
  FakeHost host;
  host.pieces = WritePackage(tmp.Path(), "p.exe", SpecOf({{{"|setup.exe*|0|", "setup"}}}));
  Bytes& file = host.pieces.begin()->second;
  file[FirstFileBlock(PackageDesc()) + 10] ^= 0x40;
  UnpackResult r = Extract(host, tmp.Path() + "/p.exe");
  EXPECT_FALSE(r.checksumOk);
  EXPECT_TRUE(host.files.empty());
  EXPECT_EQ(host.events, std::vector<std::string>({"start 0..0 @0 +1"}));

  FakeHost none;
  r = Extract(none, tmp.Path() + "/missing.exe");
  EXPECT_FALSE(r.checksumOk);
  EXPECT_EQ(r.runCommand, "");
  EXPECT_EQ(none.events, std::vector<std::string>({"start 0..0 @0 +1"}));
}

TEST(Unpack, AgentIsLauncherAndTextsWithAgentTrailer) {
  TempFolder tmp;
  PackageDesc desc = SpecOf({{{"|setup.exe*|0|", "setup"}, {"|b.txt|0|", "b"}}});
  desc.launcher = FakeLauncher(1200);
  desc.signable = true;  // the package-end field at 252 is set in the package
  desc.strings = {std::string(1, '\x02'), "|http://u|x.ini|AUAgent.exe|tok|0|", "|w|"};
  FakeHost host;
  const auto written = WritePackage(tmp.Path(), "Setup.EXE", desc);
  const Bytes& package = written.begin()->second;
  ASSERT_NE(package[252] | package[253] | package[254] | package[255], 0);
  host.pieces = written;
  vxtest::FakePlatform platform;
  const UnpackResult r = Extract(host, tmp.Path() + "/Setup.EXE", "AUAgent.exe");
  const std::string trace = platform.Trace();
  EXPECT_EQ(r.failure, UnpackFailure::kNone) << r.errorText;

  Bytes expected(package.begin(), package.begin() + FirstFileBlock(desc));
  std::fill(expected.begin() + 252, expected.begin() + 256, 0);
  std::fill(expected.begin() + 408, expected.begin() + 416, 0);  // the certificate entry of a PE32 header
  Bytes trailer(package.end() - kTrailerLength, package.end());
  trailer[69] = 1;
  trailer[70] = 74;
  trailer[71] = trailer[72] = trailer[73] = 0;
  expected.insert(expected.end(), trailer.begin(), trailer.end());
  EXPECT_EQ(ToBytes(host.Content("AUAgent.exe")), expected);
  EXPECT_EQ(host.files["auagent.exe"].dosTime, 0x5A8B6000u);
  EXPECT_NE(trace.find("4242 New AU-Agent: C:\\W\\AUAgent.exe\n"), std::string::npos) << trace;
  // The agent is not a file of the package: no progress step for it.
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "step"), 2);
}

// A signed installer's header points at its signature; the agent cut from it has none.
TEST(Unpack, AgentDropsTheInstallersCertificateEntry) {
  struct Case {
    uint8_t magicHigh;  // 1: PE32 (0x10B), 2: PE32+ (0x20B)
    size_t entry, other;
  } cases[] = {{1, 408, 424}, {2, 424, 408}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    Bytes image = FakeLauncher(1200);
    image[280] = 0x0B;
    image[281] = c.magicHigh;
    for (size_t i = 0; i < 8; ++i) image[c.entry + i] = image[c.other + i] = static_cast<uint8_t>(0xA0 + i);
    Bytes first(image.begin(), image.begin() + 600), rest(image.begin() + 600, image.end());
    PatchAgentChunk(0, first.data(), first.size());
    PatchAgentChunk(600, rest.data(), rest.size());
    for (size_t i = 0; i < 8; ++i) {
      EXPECT_EQ(first[c.entry + i], 0) << i;
      EXPECT_EQ(first[c.other + i], 0xA0 + i) << "the other layout's offset is left alone";
    }
    for (size_t i = 252; i < 256; ++i) EXPECT_EQ(first[i], 0);
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), image.begin() + 600));
    // A first chunk too short to hold the header leaves it (the launcher's chunks are 64 KiB).
    Bytes shortChunk(image.begin(), image.begin() + 300);
    PatchAgentChunk(0, shortChunk.data(), shortChunk.size());
    EXPECT_TRUE(std::equal(shortChunk.begin() + 256, shortChunk.end(), image.begin() + 256));
  }
}

TEST(Unpack, AgentOnlyForExePackagesAndAFileName) {
  struct Case {
    const char* package;
    const char* agent;
    bool built;
  } cases[] = {
      {"setup.exe", "agent.exe", true},
      {"SETUP.EXE", "agent.exe", true},
      {"setup.exe.001", "agent.exe", true},
      {"setup.bin", "agent.exe", false},
      {"setup.exe", "", false},
      {"setup.exe", "tools\\", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.package) + " " + c.agent);
    TempFolder tmp;
    FakeHost host;
    PackageDesc desc = SpecOf({{{"|a.txt|0|", "a"}}});
    desc.launcher = FakeLauncher(600);
    host.pieces = WritePackage(tmp.Path(), c.package, desc);
    const UnpackResult r = Extract(host, tmp.Path() + "/" + c.package, c.agent);
    EXPECT_EQ(r.failure, UnpackFailure::kNone);
    EXPECT_EQ(host.files.size(), c.built ? 2u : 1u);
  }
}

// The update agent is not in the space table: a disk that fills while it is written is a failed
// write like any other (its box, no run command), not a setup started without its agent.
TEST(Unpack, AgentThatCannotBeWrittenEndsTheExtraction) {
  for (size_t failAfter : {size_t{0}, size_t{700}}) {
    SCOPED_TRACE(failAfter);
    TempFolder tmp;
    FakeHost host;
    PackageDesc desc = SpecOf({{{"|setup.exe*|0|", "s"}}});
    desc.launcher = FakeLauncher(1200);
    host.pieces = WritePackage(tmp.Path(), "setup.exe", desc);
    host.failWrites = {"agent.exe"};
    host.failAfterBytes = failAfter;
    const UnpackResult r = Extract(host, tmp.Path() + "/setup.exe", "agent.exe");
    EXPECT_EQ(r.failure, UnpackFailure::kWriteFailed);
    EXPECT_EQ(r.runCommand, "");
    EXPECT_NE(r.errorText.find("C:\\W\\agent.exe could not be written"), std::string::npos) << r.errorText;
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].find("C:\\W\\agent.exe<P><P>Unable to save Extracted File!<P><P>There is not enough "
                                  "space on the disk.<P>Data Size: <T>"),
              0u)
        << host.errors[0];
    EXPECT_LE(host.Content("agent.exe").size(), failAfter);
  }
}

TEST(Unpack, AgentNameLeavingTheWorkFolderEndsTheExtraction) {
  TempFolder tmp;
  FakeHost host;
  PackageDesc desc = SpecOf({{{"|setup.exe*|0|", "s"}}});
  desc.launcher = FakeLauncher(600);
  host.pieces = WritePackage(tmp.Path(), "setup.exe", desc);
  const UnpackResult r = Extract(host, tmp.Path() + "/setup.exe", "..\\agent.exe");
  EXPECT_EQ(r.failure, UnpackFailure::kBadName);
  EXPECT_EQ(r.runCommand, "");
  EXPECT_EQ(host.files.size(), 1u);
}

// Three pieces: setup.exe.001 (texts and files), .002 and .003 (files only).
struct Spanned {
  TempFolder tmp;
  std::map<std::string, Bytes> pieces;
  std::string first, second, third;
  Spanned() {
    pieces = WritePackage(tmp.Path(), "setup.exe",
                          SpecOf({{{"|setup.exe*|0|", "s"}, {"|one.txt|0|", "1"}},
                                  {{"|two.txt|0|", "2"}, {"|one.txt|0|", "+"}},
                                  {{"|three.txt|0|", "3"}}}));
    first = tmp.Path() + "/setup.exe.001";
    second = tmp.Path() + "/setup.exe.002";
    third = tmp.Path() + "/setup.exe.003";
  }
};

TEST(Unpack, MissingPieceIsAskedForUntilItIsThere) {
  Spanned s;
  FakeHost host;
  host.pieces = s.pieces;
  host.pieces.erase(s.second);
  host.answer = [&](int ask, FakeHost& h) {
    if (ask == 2) h.pieces[s.second] = s.pieces[s.second];  // OK without the disk asks again
    return true;
  };
  const UnpackResult r = Extract(host, s.first);
  EXPECT_TRUE(r.checksumOk);
  EXPECT_EQ(r.failure, UnpackFailure::kNone) << r.errorText;
  EXPECT_EQ(r.runCommand, "setup.exe*");
  EXPECT_EQ(host.asks, std::vector<std::string>(2, "Please insert <B>DISK #2</B> and press OK to continue"));
  EXPECT_EQ(host.Content("one.txt"), "1+");
  EXPECT_EQ(host.Content("three.txt"), "3");
  EXPECT_EQ(host.events, std::vector<std::string>({"start 0..0 @0 +1", "start 0..5 @0 +1", "step", "step",
                                                   "eject " + s.second, "ask", "ask", "step", "step", "step",
                                                   "step"}));
  EXPECT_EQ(host.autoPlayOff, 2);
}

TEST(Unpack, ForcePromptAsksForEveryFurtherDisk) {
  Spanned s;
  FakeHost host;
  host.pieces = s.pieces;
  host.answer = [](int, FakeHost&) { return true; };
  const UnpackResult r = Extract(host, s.first, "", true);
  EXPECT_EQ(host.asks, std::vector<std::string>({"Please insert <B>DISK #2</B> and press OK to continue",
                                                 "Please insert <B>DISK #3</B> and press OK to continue"}));
  EXPECT_EQ(r.runCommand, "setup.exe*");
  EXPECT_EQ(host.Content("three.txt"), "3");
}

TEST(Unpack, CancelledDiskQuestionClearsTheRunCommandOnly) {
  Spanned s;
  FakeHost host;
  host.pieces = s.pieces;
  host.pieces.erase(s.third);
  const UnpackResult r = Extract(host, s.first);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.checksumOk);
  EXPECT_EQ(r.failure, UnpackFailure::kNone);
  EXPECT_EQ(r.runCommand, "");
  EXPECT_EQ(host.asks, std::vector<std::string>({"Please insert <B>DISK #3</B> and press OK to continue"}));
  EXPECT_EQ(host.Content("two.txt"), "2");
  EXPECT_EQ(host.events.back(), "step");  // the step after the question comes even when cancelled
}

TEST(InflateBlock, RoundTripAndZLibMessages) {
  const std::string data = RandomText(100000, 11) + std::string(100000, 'q');
  const Bytes z = ZStream(data);
  String out;
  EZLibError err;
  ASSERT_TRUE(InflateBlock(ToText(z), out, err)) << err.message;
  EXPECT_EQ(out, data);

  struct Case {
    std::string in;
    int code;
    const char* message;
  } cases[] = {
      {ToText(Bytes{0x78, 0x9C, 0xFF, 0xFF}), -3, "data error"},
      {ToText(z).substr(0, z.size() / 2), -5, "buffer error"},
      {ToText(ZStream(data, "dict")), 2, "need dictionary"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_FALSE(InflateBlock(c.in, out, err));
    EXPECT_EQ(err.code, c.code);
    EXPECT_STREQ(err.message, c.message);
    EXPECT_TRUE(out.empty());
  }
  EXPECT_FALSE(InflateBlock(ToText(z), out, err, 1000));
  EXPECT_STREQ(err.message, "insufficient memory");
}

}  // namespace
}  // namespace vx
