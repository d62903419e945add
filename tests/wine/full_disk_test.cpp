// A full disk under Wine: the launcher's extraction and its download fill a small drive, a tmpfs
// that scripts/small_drive.sh mounts and maps as X:, where the launcher's temporary folder (and so
// its work folder) is placed. The user sees one error box, with the caption and buttons of the
// package's language table; no setup starts and nothing is reported as done; what the launcher
// wrote on the drive is gone again.
#include <gtest/gtest.h>

#include <cstdlib>

#include "net_support.h"
#include "package_support.h"
#include "test_support.h"

using namespace vxtest;

namespace {

const char kCaption[] = "Out of Room";
const char kOk[] = "Understood";

uint64_t FreeBytes(const std::string& root) {
  ULARGE_INTEGER avail;
  if (!GetDiskFreeSpaceExA(root.c_str(), &avail, nullptr, nullptr)) return 0;
  return avail.QuadPart;
}

// The names in a folder ("." and ".." left out).
std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string n = fd.cFileName;
    if (n != "." && n != "..") out.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

void RemoveTree(const std::string& folder) {
  for (const std::string& n : Entries(folder)) {
    const std::string p = folder + n;
    if (GetFileAttributesA(p.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
      RemoveTree(p + "\\");
    else
      DeleteFileA(p.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

uint64_t RoundUp(uint64_t n, uint64_t unit) { return (n + unit - 1) / unit * unit; }

class FullDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* drive = std::getenv("VX_TEST_SMALL_DRIVE");
    if (drive == nullptr || *drive == '\0') {
      const char* why = std::getenv("VX_TEST_SMALL_DRIVE_MISSING");
      GTEST_SKIP() << "no small drive: " << (why != nullptr ? why : "run the Windows tests through scripts/test.sh");
    }
    root_ = std::string(drive) + "\\";
    temp_ = root_ + "vxtmp\\";
    RemoveTree(temp_);
    ASSERT_TRUE(CreateDirectoryA(temp_.c_str(), nullptr)) << temp_;
    free_ = FreeBytes(root_);
    ASSERT_GT(free_, 1000000u);
    ASSERT_LT(free_, 64000000u) << root_ << " is not a small drive";
    dir_ = FreshTempDir("full disk");
    payload_ = FreshTempDir("full_disk_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload_ + "fakesetup.exe"));
    CreateDirectoryA((payload_ + "data").c_str(), nullptr);
    log_ = dir_ + "setup.log";
  }
  void TearDown() override {
    if (!temp_.empty()) RemoveTree(temp_);
  }

  // The package of the tests: the fake setup and size bytes that do not compress, with a
  // language table whose error caption and buttons are the test's own.
  vxpack::BuildConfig Config(const std::string& output, uint64_t size) {
    EXPECT_TRUE(WriteWholeFile(payload_ + "data\\big.bin", RandomBytes(static_cast<size_t>(size), 24)));
    auto cfg = LauncherPackageConfig(output);
    cfg.filesFolder = payload_;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=\"" + log_ + "\" /complete";
    cfg.languages = {{"English", {{"Error", kCaption}, {"BtnText", std::string("|") + kOk + "|No way|Yes|No|Abort|Retry|Ignore|"}}}};
    return cfg;
  }

  // Runs exe with its temporary folder on the small drive, answers the one box it shows, and
  // returns the box's texts (its caption first). The launcher must end by itself, show no other
  // box, and start no setup.
  std::string RunExpectingOneBox(const std::string& exe) {
    TempFolderOverride temp(temp_);
    TraceViewer viewer;
    HANDLE h = StartProcess("\"" + exe + "\"");
    EXPECT_NE(h, nullptr);
    if (h == nullptr) return std::string();
    HWND box = WaitForForeignWindow(kMessageBoxClass, 90000);
    std::string texts = "<no box>";
    if (box != nullptr) {
      texts = AllTexts(box);
      EXPECT_NE(ChildButton(box, kOk), nullptr) << texts;
      AnswerBox(box, kOk);
    }
    int boxes = 0;
    HWND last = nullptr;
    const bool ended = PumpUntil(
        [&] {
          HWND other = FindForeignWindow(kMessageBoxClass, true);
          if (other != nullptr && other != last) {
            ++boxes;
            last = other;
            PressOrClose(other, "");
          }
          return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        },
        90000);
    DWORD code = 0;
    GetExitCodeProcess(h, &code);
    if (!ended) TerminateProcess(h, 1);
    CloseHandle(h);
    EXPECT_TRUE(ended);
    EXPECT_EQ(code, 0u) << "the launcher crashed or was stopped";
    EXPECT_EQ(boxes, 0) << "more than one box";
    PumpFor(200);
    EXPECT_FALSE(viewer.HasLineContaining(">>")) << "the setup was started";
    EXPECT_EQ(GetFileAttributesA(log_.c_str()), INVALID_FILE_ATTRIBUTES) << "the setup ran";
    return texts;
  }

  // Nothing the launcher wrote is left on the drive: its room is what it was.
  void ExpectDriveAsBefore() {
    EXPECT_TRUE(Entries(temp_).empty()) << Entries(temp_)[0];
    EXPECT_EQ(FreeBytes(root_), free_);
  }

  std::string root_, temp_, dir_, payload_, log_;
  uint64_t free_ = 0;
};

// The space table says the files fit (a table that lies, or a drive that another program fills
// while the launcher extracts): the first file the drive cannot take ends the extraction.
TEST_F(FullDiskTest, ExtractionThatFillsTheDrive) {
  const std::string exe = dir_ + "Setup.exe";
  ASSERT_TRUE(BuildTestPackage(Config(exe, free_ + 1048576)));
  // The space table is in the trailer, outside the checksum: one byte for every cluster size.
  std::string bytes = ReadWholeFile(exe);
  for (int i = 0; i < 9; ++i) {
    const size_t at = bytes.size() - 74 + 28 + 4 * i;
    bytes[at] = 1;
    bytes[at + 1] = bytes[at + 2] = bytes[at + 3] = 0;
  }
  ASSERT_TRUE(WriteWholeFile(exe, bytes));

  const std::string texts = RunExpectingOneBox(exe);
  EXPECT_EQ(texts.compare(0, sizeof kCaption - 1, kCaption), 0) << texts;
  EXPECT_NE(texts.find(temp_ + "SETUP_"), std::string::npos) << texts;
  EXPECT_NE(texts.find("\\data\\big.bin"), std::string::npos) << texts;
  EXPECT_NE(texts.find("Unable to save Extracted File!"), std::string::npos) << texts;
  EXPECT_NE(texts.find("Bytes Free:"), std::string::npos) << texts;
  ExpectDriveAsBefore();
}

// An honest space table: the files fit, but the update agent, which the table does not count (the
// launcher and the package's texts), does not. A setup started without its agent would be a
// success that is not one.
TEST_F(FullDiskTest, UpdateAgentThatFillsTheDrive) {
  const std::string exe = dir_ + "Setup.exe";
  const uint64_t setupSize = ReadWholeFile(payload_ + "fakesetup.exe").size();
  // Every file rounded up to the largest cluster the table knows stays below the room; what is
  // left after the files is less than the agent's texts alone.
  const uint64_t big = (free_ - RoundUp(setupSize, 65536) - 2 * 65536) / 65536 * 65536;
  auto cfg = Config(exe, big);
  cfg.makeAgent = true;
  cfg.agentExe = "MyAppUpdate.exe";
  cfg.agentToken = "SECRET";
  cfg.infoFile = "MyApp.info";
  cfg.languages[0].values.push_back({"Notes", std::string(400000, 'n')});
  ASSERT_TRUE(BuildTestPackage(cfg));

  const std::string texts = RunExpectingOneBox(exe);
  EXPECT_EQ(texts.compare(0, sizeof kCaption - 1, kCaption), 0) << texts;
  EXPECT_NE(texts.find("\\MyAppUpdate.exe"), std::string::npos) << texts;
  EXPECT_NE(texts.find("Unable to save Extracted File!"), std::string::npos) << texts;
  ExpectDriveAsBefore();
}

// A web launcher's download fills the drive of the temporary folder: the partial file is
// removed (it would keep the drive full, and no one else knows of it), the box says why.
TEST_F(FullDiskTest, DownloadThatFillsTheDrive) {
  const std::string name = "full_disk_web.exe";
  auto cfg = Config(WebRoot() + name, free_ + 1048576);
  cfg.hasWeb = true;
  cfg.web.folder = NginxHttp();
  cfg.web.token = "WebSecret";
  cfg.web.launcherOutput = dir_ + "Web Setup.exe";
  ASSERT_TRUE(BuildTestPackage(cfg));

  const std::string texts = RunExpectingOneBox(cfg.web.launcherOutput);
  DeleteFileA((WebRoot() + name).c_str());
  EXPECT_EQ(texts.compare(0, sizeof kCaption - 1, kCaption), 0) << texts;
  EXPECT_NE(texts.find("Unable to Write File!"), std::string::npos) << texts;
  EXPECT_NE(texts.find(temp_ + name), std::string::npos) << texts;
  EXPECT_EQ(texts.find("Bad Secret Token"), std::string::npos) << texts;
  ExpectDriveAsBefore();
}

}  // namespace
