// Extraction under Windows: the disk prompt of spanned packages (with the real launcher), the
// force-prompt setting, the first failed write, and damaged or unsafe packages.
#include <gtest/gtest.h>

#include <functional>

#include "compressor.h"
#include "launcher/tempspace.h"
#include "package/unpack_win.h"
#include "package_support.h"
#include "package_writer.h"
#include "test_support.h"

using namespace vxtest;

namespace {

const char kSpanKey[] = "Software\\Brevanto\\Vornix\\SpanDisk";
const char kButtons[] = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
const char kPrompt[] = "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Noise(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (char& c : s) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  return s;
}

void SetForcePrompt(const char* value) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSpanKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (value == nullptr) {
    RegDeleteValueA(key, "ForcePrompt");
  } else {
    RegSetValueExA(key, "ForcePrompt", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
  }
  RegCloseKey(key);
}

// ---- In-process: the Win32 host with its boxes ----

// Answers every markup box of this thread while body runs: records its text, then clicks the
// button that choose() names (or closes the box when it names none).
class BoxAnswerer {
 public:
  using Choose = std::function<std::string(int index, const std::string& text)>;
  std::vector<std::string> Run(const std::function<void()>& body, Choose choose) {
    self_ = this;
    choose_ = std::move(choose);
    texts_.clear();
    current_ = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
    body();
    KillTimer(nullptr, timer);
    self_ = nullptr;
    return texts_;
  }

 private:
  static BOOL CALLBACK FindBox(HWND w, LPARAM lp) {
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, kMessageBoxClass) == 0 && IsWindowVisible(w)) {
      *reinterpret_cast<HWND*>(lp) = w;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    BoxAnswerer* self = self_;
    if (self == nullptr) return;
    if (self->current_ != nullptr && IsWindow(self->current_)) return;  // still closing
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;
    self->current_ = box;
    const std::string text = AllTexts(box);
    self->texts_.push_back(text);
    PressOrClose(box, self->choose_(static_cast<int>(self->texts_.size()), text));
  }

  static BoxAnswerer* self_;
  Choose choose_;
  std::vector<std::string> texts_;
  HWND current_ = nullptr;
};
BoxAnswerer* BoxAnswerer::self_ = nullptr;

std::vector<uint8_t> Stream(const std::string& header, const std::string& content) {
  std::string data = header + std::string(1, '\0') + content;
  vxpack::Compressor c(6);
  std::vector<uint8_t> out;
  c.Compress(reinterpret_cast<const uint8_t*>(data.data()), data.size(), out);
  return out;
}

// A package of raw file blocks (names the builder itself would refuse are allowed here).
bool WriteRawPackage(const std::string& path, const std::vector<std::vector<uint8_t>>& blocks) {
  vxpack::PackageLayout layout;
  layout.stringBlocks = {std::string(1, '\x02'), "|||||"};
  vxpack::PackageWriter w;
  std::string error;
  bool ok = w.Begin(layout, path, error);
  for (const auto& b : blocks) ok = ok && w.WriteBlock(b, error);
  ok = ok && w.Finish(error);
  EXPECT_TRUE(ok) << error;
  return ok;
}

struct Unpacked {
  bool ok = false;
  vx::String runCommand;
  bool checksumOk = false;
  std::vector<std::string> boxes;
};

Unpacked UnpackWithBoxes(const std::string& package, const std::string& work, bool forcePrompt,
                         BoxAnswerer::Choose choose) {
  Unpacked u;
  BoxAnswerer answerer;
  u.boxes = answerer.Run(
      [&] {
        vx::UnpackRequest request;
        request.packagePath = package;
        request.workFolder = work;
        request.forcePrompt = forcePrompt;
        request.promptText = kPrompt;
        vx::UnpackUi ui;
        ui.buttons = kButtons;
        ui.caption = "Attention";
        const vx::UnpackResult r = vx::UnpackPackage(request, ui);
        u.ok = r.failure == vx::UnpackFailure::kNone;
        u.runCommand = r.runCommand;
        u.checksumOk = r.checksumOk;
      },
      std::move(choose));
  return u;
}

TEST(UnpackWin, FirstFailedWriteEndsTheExtractionAndIsShownOnce) {
  const std::string dir = FreshTempDir("unpack_writefail");
  const std::string work = dir + "work";
  ASSERT_TRUE(WriteRawPackage(dir + "p.exe", {Stream("|a.txt|0|", "0123456789"), Stream("|b.txt|0|", "bb"),
                                              Stream("|c.txt|0|", "cc"), Stream("|setup.exe*|0|", "s")}));
  // Folders where two files should go: those writes fail (read-only files would not stop root).
  CreateDirectoryA(work.c_str(), nullptr);
  for (const char* name : {"\\a.txt", "\\b.txt"}) ASSERT_TRUE(CreateDirectoryA((work + name).c_str(), nullptr));
  Unpacked u = UnpackWithBoxes(dir + "p.exe", work, false, [](int, const std::string&) { return "&OK"; });
  EXPECT_FALSE(u.ok);
  EXPECT_EQ(u.runCommand, "");  // the setup is not started from a partial extraction
  ASSERT_EQ(u.boxes.size(), 1u);
  const std::string& t = u.boxes[0];
  EXPECT_NE(t.find(work + "\\a.txt"), std::string::npos) << t;
  EXPECT_NE(t.find("Unable to save Extracted File!"), std::string::npos) << t;
  EXPECT_NE(t.find("Data Size:"), std::string::npos) << t;
  EXPECT_NE(t.find("10 Bytes"), std::string::npos) << t;
  EXPECT_NE(t.find("File Size:"), std::string::npos) << t;
  EXPECT_NE(t.find("Bytes Free:"), std::string::npos) << t;
  // Extraction stopped at the first failure: nothing after it was written.
  EXPECT_EQ(GetFileAttributesA((work + "\\c.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((work + "\\setup.exe").c_str()), INVALID_FILE_ATTRIBUTES);

  // The count lives as long as the process: later failures are silent.
  u = UnpackWithBoxes(dir + "p.exe", work, false, [](int, const std::string&) { return "&OK"; });
  EXPECT_TRUE(u.boxes.empty());
}

struct ProgressCall {
  int32_t kind, max, step;
};
std::vector<ProgressCall> g_progress;

void RecordProgress(int32_t kind, int32_t, int32_t max, int32_t, int32_t step, const vx::String&) {
  g_progress.push_back({kind, max, step});
}

TEST(UnpackWin, ProgressStepsAddUpToTheNewFilesWhateverTheirGrouping) {
  // The host hands steps over gathered (step = their number when above 1): the bar must still
  // get one step per file that did not exist before, after the start calls and before the
  // extraction returns. Blocks appended to an existing file give no step.
  const std::string dir = FreshTempDir("unpack_progress");
  std::vector<std::vector<uint8_t>> blocks;
  for (int i = 0; i < 300; ++i) blocks.push_back(Stream("|f" + std::to_string(i % 240) + ".txt|0|", Noise(900, i)));
  blocks.push_back(Stream("|setup.exe*|0|", "s"));
  ASSERT_TRUE(WriteRawPackage(dir + "p.exe", blocks));
  struct Case {
    const char* what;
    bool existing;  // f0.txt .. f9.txt lie in the work folder already
    int32_t newFiles;
  } cases[] = {{"empty work folder", false, 241}, {"ten files there", true, 231}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string work = dir + (c.existing ? "w2" : "w1");
    CreateDirectoryA(work.c_str(), nullptr);
    if (c.existing) {
      for (int i = 0; i < 10; ++i) ASSERT_TRUE(WriteWholeFile(work + "\\f" + std::to_string(i) + ".txt", "x"));
    }
    g_progress.clear();
    vx::UnpackRequest request;
    request.packagePath = dir + "p.exe";
    request.workFolder = work;
    request.promptText = kPrompt;
    vx::UnpackUi ui;
    ui.buttons = kButtons;
    ui.caption = "Attention";
    ui.progress = RecordProgress;
    ASSERT_EQ(vx::UnpackPackage(request, ui).failure, vx::UnpackFailure::kNone);
    ASSERT_GE(g_progress.size(), 2u);
    EXPECT_EQ(g_progress[0].kind, 0);  // reset, then the file count as the range
    EXPECT_EQ(g_progress[0].max, 0);
    EXPECT_EQ(g_progress[1].kind, 0);
    EXPECT_EQ(g_progress[1].max, 301);
    int32_t steps = 0;
    for (size_t i = 2; i < g_progress.size(); ++i) {
      EXPECT_EQ(g_progress[i].kind, 1);
      steps += g_progress[i].step > 1 ? g_progress[i].step : 1;
    }
    EXPECT_EQ(steps, c.newFiles);
  }
}

TEST(UnpackWin, DamagedOrUnsafePackagesStopWithAnErrorBox) {
  const std::string dir = FreshTempDir("unpack_unsafe");
  struct Case {
    const char* what;
    std::vector<uint8_t> block;
    const char* shown;
  } cases[] = {
      {"parent folder", Stream("|..\\evil.txt|0|", "evil"), "..\\evil.txt"},
      {"absolute path", Stream("|" + dir + "evil.txt|0|", "evil"), "evil.txt"},
      {"stream name", Stream("|x.txt:hidden|0|", "evil"), "x.txt:hidden"},
      {"damaged data", {0x78, 0x9C, 0xFF, 0xFF, 0xFF}, "data error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string work = dir + "work";
    ASSERT_TRUE(WriteRawPackage(dir + "p.exe", {Stream("|setup.exe*|0|", "s"), c.block,
                                                Stream("|later.txt|0|", "later")}));
    Unpacked u = UnpackWithBoxes(dir + "p.exe", work, false, [](int, const std::string&) { return "&OK"; });
    EXPECT_FALSE(u.ok);
    EXPECT_TRUE(u.checksumOk);
    EXPECT_EQ(u.runCommand, "");
    ASSERT_EQ(u.boxes.size(), 1u);
    EXPECT_NE(u.boxes[0].find(c.shown), std::string::npos) << u.boxes[0];
    EXPECT_FALSE(Exists(dir + "evil.txt"));
    EXPECT_FALSE(Exists(work + "\\later.txt"));
    DeleteFileA((work + "\\setup.exe").c_str());
  }
}

TEST(UnpackWin, SubfoldersAreMadeInsideTheWorkFolder) {
  const std::string dir = FreshTempDir("unpack_folders");
  ASSERT_TRUE(WriteRawPackage(dir + "p.exe", {Stream("|bin\\x86\\tool.dll|1519083520|", "tool"),
                                              Stream("|bin/readme.txt|0|", "r")}));
  Unpacked u = UnpackWithBoxes(dir + "p.exe", dir + "work", false, [](int, const std::string&) { return ""; });
  EXPECT_TRUE(u.ok);
  EXPECT_TRUE(u.boxes.empty());
  EXPECT_EQ(ReadWholeFile(dir + "work\\bin\\x86\\tool.dll"), "tool");
  EXPECT_EQ(ReadWholeFile(dir + "work\\bin\\readme.txt"), "r");
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA((dir + "work\\bin\\x86\\tool.dll").c_str(), GetFileExInfoStandard, &data));
  FILETIME local;
  WORD date = 0, time = 0;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  EXPECT_EQ((static_cast<uint32_t>(date) << 16) | time, 1519083520u);
}

TEST(UnpackWin, ForcePromptValue) {
  struct Case {
    const char* value;  // null: no value
    bool forced;
  } cases[] = {{"1", true}, {"01", false}, {"true", false}, {"0", false}, {nullptr, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value == nullptr ? "(none)" : c.value);
    SetForcePrompt(c.value);
    EXPECT_EQ(vx::ForcePromptSetting(), c.forced);
  }
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSpanKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  RegSetValueExA(key, "ForcePrompt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
  EXPECT_TRUE(vx::ForcePromptSetting());  // a number value reads as its decimal text
  SetForcePrompt(nullptr);
}

// ---- End to end: the launcher of a spanned package, started from its first disk ----

class SpanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTempDir("span_disks");
    const std::string payload = FreshTempDir("span_payload");
    ASSERT_TRUE(CopyFileTo(TestBinDir() + "fakesetup.exe", payload + "fakesetup.exe"));
    CreateDirectoryA((payload + "data").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(payload + "data\\big.bin", Noise(700000, 99)));
    ASSERT_TRUE(WriteWholeFile(payload + "data\\last.txt", "the last file"));
    log_ = dir_ + "setup.log";
    auto cfg = LauncherPackageConfig(launcher());
    cfg.filesFolder = payload;
    cfg.setupName = "fakesetup.exe";
    cfg.setupParams = "/log=" + log_ + " /list /complete";
    // The first piece holds the launcher and about 150 KB of blocks, the later ones 400 KB.
    cfg.spanSize = ReadWholeFile(TestBinDir() + "vxstub.exe").size() + 150000;
    ASSERT_TRUE(BuildTestPackage(cfg));
    ASSERT_TRUE(Exists(launcher() + ".003"));
  }
  void TearDown() override { SetForcePrompt(nullptr); }

  std::string launcher() const { return dir_ + "setup.exe"; }
  std::string piece(int k) const { return launcher() + ".00" + std::to_string(k); }

  // Waits for the relay copy's next box; its text, or empty when none came.
  std::string NextBox(HWND& box, DWORD timeoutMs) {
    box = WaitForForeignWindow(kMessageBoxClass, timeoutMs);
    return box == nullptr ? std::string() : AllTexts(box);
  }
  bool Click(HWND box, const char* caption) {
    HWND b = ChildButton(box, caption);
    if (b == nullptr) return false;
    PostMessageA(b, BM_CLICK, 0, 0);
    return PumpUntil([&] { return !IsWindow(box); }, 10000);
  }
  bool LogHas(const std::string& line) {
    const std::string log = ReadWholeFile(log_);
    return log.find(line + "\r\n") != std::string::npos;
  }

  std::string dir_, log_;
};

TEST_F(SpanTest, MissingPieceIsAskedForAndExtractionGoesOnOnceItIsThere) {
  ASSERT_TRUE(MoveFileA(piece(2).c_str(), (piece(2) + ".away").c_str()));
  ProcessResult first = RunAndWait("\"" + launcher() + "\"", 30000);
  ASSERT_TRUE(first.finished);
  HWND box = nullptr;
  const std::string text = NextBox(box, 60000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find("Please insert DISK #2 and press OK to continue"), std::string::npos) << text;
  // OK without the disk asks again; with it, extraction goes on.
  ASSERT_TRUE(Click(box, "&OK"));
  const std::string again = NextBox(box, 30000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(again.find("DISK #2"), std::string::npos) << again;
  ASSERT_TRUE(MoveFileA((piece(2) + ".away").c_str(), piece(2).c_str()));
  ASSERT_TRUE(Click(box, "&OK"));
  ASSERT_TRUE(PumpUntil([&] { return LogHas("setup=end"); }, 60000));
  EXPECT_TRUE(LogHas("file=data\\big.bin:700000"));
  EXPECT_TRUE(LogHas("file=data\\last.txt:13"));
}

TEST_F(SpanTest, CancelEndsWithoutBadCrcAndRunsNothing) {
  ASSERT_TRUE(MoveFileA(piece(2).c_str(), (piece(2) + ".away").c_str()));
  TraceViewer viewer;
  ProcessResult first = RunAndWait("\"" + launcher() + "\"", 30000);
  ASSERT_TRUE(first.finished);
  HWND box = nullptr;
  const std::string text = NextBox(box, 60000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find("DISK #2"), std::string::npos) << text;
  ASSERT_TRUE(Click(box, "&Cancel"));
  // The relay copy ends without another box.
  bool anotherBox = false;
  const bool ended = PumpUntil(
      [&] {
        if (WaitForForeignWindow(kMessageBoxClass, 0) != nullptr) anotherBox = true;
        for (const std::string& line : viewer.Lines())
          if (line.find(" ==== STUB END ====> ") != std::string::npos && line.find("/SpanCdLvl=2") != std::string::npos)
            return true;
        return anotherBox;
      },
      60000);
  EXPECT_TRUE(ended);
  EXPECT_FALSE(anotherBox) << "a box followed the cancelled disk question";
  EXPECT_FALSE(Exists(log_)) << "the setup was started";
  MoveFileA((piece(2) + ".away").c_str(), piece(2).c_str());
}

TEST_F(SpanTest, ForcePromptAsksForEveryDiskEvenWhenPresent) {
  SetForcePrompt("1");
  ProcessResult first = RunAndWait("\"" + launcher() + "\"", 30000);
  ASSERT_TRUE(first.finished);
  std::vector<std::string> asked;
  for (int k = 2; Exists(piece(k)); ++k) {
    HWND box = nullptr;
    const std::string text = NextBox(box, 60000);
    ASSERT_NE(box, nullptr) << "no question for disk " << k;
    asked.push_back(text);
    EXPECT_NE(text.find("DISK #" + std::to_string(k)), std::string::npos) << text;
    ASSERT_TRUE(Click(box, "&OK"));
  }
  EXPECT_GE(asked.size(), 2u);
  ASSERT_TRUE(PumpUntil([&] { return LogHas("setup=end"); }, 60000));
  EXPECT_TRUE(LogHas("file=data\\last.txt:13"));
}

}  // namespace
