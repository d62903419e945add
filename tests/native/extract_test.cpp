// vxpack extract and verify on real folders: round trip with the builder, Windows name rules,
// and nothing ever written outside the target folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

#include "builder.h"
#include "extract.h"
#include "unpack_support.h"

namespace {

using namespace unpacktest;
namespace fs = std::filesystem;

void WriteFile(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every regular file below root, relative, with its content.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> out;
  if (!fs::exists(root)) return out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) out[fs::relative(e.path(), root).string()] = ReadFile(e.path());
  return out;
}

TEST(VxpackExtract, RoundTripWithTheBuilder) {
  TempFolder tmp;
  const fs::path src = fs::path(tmp.Path()) / "src";
  std::mt19937 gen(5);
  std::string noise(700000, '\0');
  for (char& c : noise) c = static_cast<char>(gen());
  const std::map<std::string, std::string> files = {
      {"setup.exe", "MZ setup"},
      {"readme.txt", "read me\n"},
      {"bin/tool.dll", noise},
      {"bin/deep/zeros.dat", std::string(3000000, '\0')},
      {"empty.txt", ""},
  };
  for (const auto& f : files) WriteFile(src / f.first, f.second);
  // A known time: 2021-03-04 05:06:08 local time.
  struct tm t {};
  t.tm_year = 121, t.tm_mon = 2, t.tm_mday = 4, t.tm_hour = 5, t.tm_min = 6, t.tm_sec = 8, t.tm_isdst = -1;
  const time_t when = mktime(&t);
  fs::last_write_time(src / "readme.txt",
                      fs::file_time_type::clock::now() +
                          std::chrono::seconds(when - std::chrono::system_clock::to_time_t(std::chrono::system_clock::now())));

  vxpack::BuildConfig cfg;
  cfg.output = tmp.Path() + "/pkg.exe";
  cfg.filesFolder = src.string();
  cfg.setupName = "setup.exe";
  cfg.setupParams = "/q";
  cfg.blockSize = 256 * 1024;  // big files span several blocks
  vxpack::BuildReport report;
  std::string error;
  ASSERT_TRUE(vxpack::BuildPackage(cfg, nullptr, report, error)) << error;

  const fs::path out = fs::path(tmp.Path()) / "out" / "nested";
  const vxpack::ExtractSummary s = vxpack::ExtractPackage(cfg.output, out.string());
  ASSERT_TRUE(s.ok) << s.problem;
  EXPECT_EQ(s.result.runCommand, "setup.exe* /q");
  EXPECT_EQ(Tree(out), files);
  struct stat st {};
  ASSERT_EQ(stat((out / "readme.txt").c_str(), &st), 0);
  EXPECT_NEAR(static_cast<double>(st.st_mtime), static_cast<double>(when), 2.0);

  const vxpack::ExtractSummary v = vxpack::ExtractPackage(cfg.output, "");
  EXPECT_TRUE(v.ok) << v.problem;
  EXPECT_EQ(v.files.size(), s.files.size());
  EXPECT_GT(v.files.size(), files.size());  // the large files came in several blocks
}

TEST(VxpackExtract, NothingIsWrittenOutsideTheFolder) {
  const char* names[] = {"..\\escape.txt", "a\\..\\..\\escape.txt", "../escape.txt", "/tmp/escape.txt",
                         "C:\\escape.txt", "\\\\host\\share\\escape.txt", "x.txt:ads"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    TempFolder tmp;
    PackageDesc desc;
    desc.pieces = {{FileStream("|first.txt|0|", "1"), FileStream(std::string("|") + name + "|0|", "evil"),
                    FileStream("|last.txt|0|", "2")}};
    const auto pkg = WritePackage(tmp.Path(), "p.exe", desc);
    const fs::path out = fs::path(tmp.Path()) / "out";
    const vxpack::ExtractSummary s = vxpack::ExtractPackage(pkg.begin()->first, out.string());
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.result.failure, vx::UnpackFailure::kBadName);
    EXPECT_NE(s.problem.find(name), std::string::npos) << s.problem;
    // Outside out/ only the package itself; the file written before the bad one and the folder
    // made for it are removed again.
    std::map<std::string, std::string> all = Tree(tmp.Path());
    EXPECT_EQ(all.size(), 1u);
    EXPECT_EQ(all.count("p.exe"), 1u);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(s.removed, (std::vector<std::string>{(out / "first.txt").string(), out.string()}));
    EXPECT_TRUE(s.left.empty());
    EXPECT_FALSE(fs::exists("/tmp/escape.txt"));
  }
}

TEST(VxpackExtract, LinksInTheFolderAreNotFollowed) {
  // Each write through a link fails, and the first failed write ends the extraction: one
  // package per kind of link.
  const char* const headers[] = {"|link\\x.txt|0|", "|file.txt|0|"};
  for (const char* header : headers) {
    SCOPED_TRACE(header);
    TempFolder tmp;
    const fs::path out = fs::path(tmp.Path()) / "out";
    const fs::path elsewhere = fs::path(tmp.Path()) / "elsewhere";
    fs::create_directories(out);
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, out / "link");
    fs::create_symlink(elsewhere / "target.txt", out / "file.txt");
    PackageDesc desc;
    desc.pieces = {{FileStream(header, "via a link")}};
    const auto pkg = WritePackage(tmp.Path(), "p.exe", desc);
    const vxpack::ExtractSummary s = vxpack::ExtractPackage(pkg.begin()->first, out.string());
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.writeErrors.size(), 1u);
    EXPECT_TRUE(Tree(elsewhere).empty());
  }
}

TEST(VxpackExtract, WindowsNameRules) {
  TempFolder tmp;
  PackageDesc desc;
  desc.pieces = {{FileStream("|Data.bin|0|", "A"), FileStream("|Bin\\a.txt|0|", "a"),
                  FileStream("|data.BIN|0|", "B"), FileStream("|bin\\b.txt|0|", "b"),
                  FileStream("|sub/x.txt|0|", "x")}};
  const auto pkg = WritePackage(tmp.Path(), "p.exe", desc);
  const fs::path out = fs::path(tmp.Path()) / "out";
  const vxpack::ExtractSummary s = vxpack::ExtractPackage(pkg.begin()->first, out.string());
  EXPECT_TRUE(s.ok) << s.problem;
  EXPECT_EQ(Tree(out), (std::map<std::string, std::string>{
                           {"Data.bin", "AB"}, {"Bin/a.txt", "a"}, {"Bin/b.txt", "b"}, {"sub/x.txt", "x"}}));
  ASSERT_EQ(s.warnings.size(), 1u);
  EXPECT_NE(s.warnings[0].find("data.BIN"), std::string::npos) << s.warnings[0];
}

// Verify refuses what extract could not write: names longer than the launcher takes (240
// characters), such as a name part this system cannot hold (more than 255 bytes here).
TEST(VxpackVerify, RefusesNamesTheHostCannotHold) {
  const std::string names[] = {std::string(300, 'n'), "d\\" + std::string(250, 'f'), std::string(241, 'x')};
  for (const std::string& name : names) {
    SCOPED_TRACE(name.size());
    TempFolder tmp;
    PackageDesc desc;
    desc.pieces = {{FileStream("|first.txt|0|", "1"), FileStream("|" + name + "|0|", "long")}};
    const auto pkg = WritePackage(tmp.Path(), "p.exe", desc);
    const vxpack::ExtractSummary v = vxpack::ExtractPackage(pkg.begin()->first, "");
    EXPECT_FALSE(v.ok);
    EXPECT_EQ(v.result.failure, vx::UnpackFailure::kBadName);
    EXPECT_NE(v.problem.find("the file name is too long"), std::string::npos) << v.problem;
    const fs::path out = fs::path(tmp.Path()) / "out";
    const vxpack::ExtractSummary x = vxpack::ExtractPackage(pkg.begin()->first, out.string());
    EXPECT_FALSE(x.ok);
    EXPECT_EQ(x.problem, v.problem);
    EXPECT_FALSE(fs::exists(out));
  }
}

// A refused extraction removes the files and folders it made, and names what it leaves: a file
// that was there before and was written to. What else was in the folder stays untouched.
TEST(VxpackExtract, ARefusedExtractionRemovesWhatItWrote) {
  TempFolder tmp;
  const fs::path out = fs::path(tmp.Path()) / "out";
  WriteFile(out / "keep.txt", "mine");
  WriteFile(out / "app.ini", "[old]\n");
  WriteFile(out / "sub" / "own.txt", "own");
  PackageDesc desc;
  desc.pieces = {{FileStream("|app.ini|0|", "[new]\n"), FileStream("|a.txt|0|", "a"),
                  FileStream("|sub\\b.txt|0|", "b"), FileStream("|new\\deeper\\c.txt|0|", "c"),
                  FileStream("|..\\escape.txt|0|", "evil")}};
  const auto pkg = WritePackage(tmp.Path(), "p.exe", desc);
  const vxpack::ExtractSummary s = vxpack::ExtractPackage(pkg.begin()->first, out.string());
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.result.failure, vx::UnpackFailure::kBadName);
  EXPECT_EQ(Tree(out), (std::map<std::string, std::string>{
                           {"keep.txt", "mine"}, {"app.ini", "[old]\n[new]\n"}, {"sub/own.txt", "own"}}));
  EXPECT_FALSE(fs::exists(out / "new"));
  EXPECT_EQ(s.removed, (std::vector<std::string>{(out / "new/deeper/c.txt").string(), (out / "sub/b.txt").string(),
                                                 (out / "a.txt").string(), (out / "new/deeper").string(),
                                                 (out / "new").string()}));
  EXPECT_EQ(s.left, std::vector<std::string>{(out / "app.ini").string()});
  EXPECT_FALSE(fs::exists(fs::path(tmp.Path()) / "escape.txt"));
}

// A file that is no package is called so, not a damaged package.
TEST(VxpackVerify, SaysWhenAFileIsNotAPackage) {
  TempFolder tmp;
  std::mt19937 gen(24);
  std::string noise(5000, '\0');
  for (char& c : noise) c = static_cast<char>(gen());
  const std::map<std::string, std::string> files = {
      {"noise.bin", noise}, {"text.txt", "just some text\n"}, {"tiny", "ab"}, {"elf", "\x7F" "ELF" + noise}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.first);
    const fs::path path = fs::path(tmp.Path()) / f.first;
    WriteFile(path, f.second);
    const vxpack::ExtractSummary v = vxpack::ExtractPackage(path.string(), "");
    EXPECT_FALSE(v.ok);
    EXPECT_EQ(v.problem, "not a package: no trailer (" + path.string() + ")");
    const vxpack::ExtractSummary x = vxpack::ExtractPackage(path.string(), (fs::path(tmp.Path()) / "out").string());
    EXPECT_EQ(x.problem, v.problem);
    EXPECT_FALSE(fs::exists(fs::path(tmp.Path()) / "out"));
  }
}

// Messages name paths as this system writes them: "out/x/app.ini", not "out/x\app.ini".
TEST(VxpackExtract, MessagesNamePathsWithThisSystemsSeparators) {
  TempFolder tmp;
  const fs::path out = fs::path(tmp.Path()) / "out";
  fs::create_directories(out / "x" / "app.ini");  // a folder where the file goes: it cannot be written
  PackageDesc desc;
  desc.pieces = {{FileStream("|x\\app.ini|0|", "[app]")}};
  const auto pkg = WritePackage(tmp.Path(), "p.exe", desc);
  const vxpack::ExtractSummary s = vxpack::ExtractPackage(pkg.begin()->first, out.string());
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.result.failure, vx::UnpackFailure::kWriteFailed);
  EXPECT_EQ(s.problem, (out / "x" / "app.ini").string() + " could not be written: " + std::strerror(EISDIR));
  EXPECT_EQ(s.problem.find('\\'), std::string::npos) << s.problem;
  EXPECT_TRUE(fs::is_directory(out / "x" / "app.ini"));  // what was there stays
}

TEST(VxpackVerify, ReportsDamageAndMissingPieces) {
  TempFolder tmp;
  PackageDesc desc;
  desc.pieces = {{FileStream("|setup.exe*|0|", "s")}, {FileStream("|two.txt|0|", "2")}};
  auto pkg = WritePackage(tmp.Path(), "setup.exe", desc);
  const std::string first = tmp.Path() + "/setup.exe.001";
  const std::string second = tmp.Path() + "/setup.exe.002";

  vxpack::ExtractSummary v = vxpack::ExtractPackage(first, "");
  EXPECT_TRUE(v.ok) << v.problem;
  EXPECT_EQ(v.pieces.size(), 2u);
  EXPECT_EQ(v.result.runCommand, "setup.exe*");

  fs::rename(second, second + ".away");
  v = vxpack::ExtractPackage(first, "");
  EXPECT_FALSE(v.ok);
  EXPECT_NE(v.problem.find("setup.exe.002 is missing"), std::string::npos) << v.problem;
  fs::rename(second + ".away", second);

  Bytes damaged = pkg[second];
  damaged[3] ^= 0x10;
  std::ofstream(second, std::ios::binary).write(reinterpret_cast<const char*>(damaged.data()),
                                                static_cast<std::streamsize>(damaged.size()));
  v = vxpack::ExtractPackage(first, "");
  EXPECT_FALSE(v.ok);
  EXPECT_NE(v.problem.find("checksum mismatch in " + second), std::string::npos) << v.problem;

  v = vxpack::ExtractPackage(tmp.Path() + "/none.exe", "");
  EXPECT_FALSE(v.ok);
}

}  // namespace
