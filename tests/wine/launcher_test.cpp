#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"

using namespace vxtest;

namespace {

uint32_t U32At(const std::string& b, size_t off) {
  uint32_t v = 0;
  if (off + 4 <= b.size()) std::memcpy(&v, b.data() + off, 4);
  return v;
}

// Names of the DLLs a PE32 image imports.
std::vector<std::string> ImportedDlls(const std::string& img) {
  std::vector<std::string> out;
  uint32_t pe = U32At(img, 0x3C);
  uint16_t nsect = static_cast<uint16_t>(U32At(img, pe + 6));
  uint16_t optSize = static_cast<uint16_t>(U32At(img, pe + 20));
  size_t opt = pe + 24;
  uint32_t importRva = U32At(img, opt + 104);  // data directory 1
  size_t sect = opt + optSize;
  auto rvaToOff = [&](uint32_t rva) -> size_t {
    for (int i = 0; i < nsect; ++i) {
      size_t s = sect + 40 * i;
      uint32_t va = U32At(img, s + 12), vsize = U32At(img, s + 8), raw = U32At(img, s + 20);
      if (rva >= va && rva < va + vsize) return raw + (rva - va);
    }
    return 0;
  };
  for (size_t d = rvaToOff(importRva); d != 0 && d + 20 <= img.size(); d += 20) {
    uint32_t nameRva = U32At(img, d + 12);
    if (nameRva == 0) break;
    size_t n = rvaToOff(nameRva);
    std::string name;
    while (n < img.size() && img[n] != 0) name += static_cast<char>(tolower(img[n++]));
    out.push_back(name);
  }
  return out;
}

TEST(LauncherImage, PeHeaderAtOffset256AndPackageEndFieldClear) {
  std::string img = ReadWholeFile(ShippedLauncher());
  ASSERT_GT(img.size(), 1024u);
  EXPECT_EQ(img.substr(0, 2), "MZ");
  EXPECT_EQ(U32At(img, 0x3C), 256u);
  EXPECT_EQ(img.substr(256, 4), std::string("PE\0\0", 4));
  EXPECT_EQ(U32At(img, 252), 0u);
  // GUI subsystem, i386.
  EXPECT_EQ(static_cast<uint16_t>(U32At(img, 256 + 4)), 0x14c);
  EXPECT_EQ(static_cast<uint16_t>(U32At(img, 256 + 24 + 68)), 2);
}

TEST(LauncherImage, ImportsSystemLibrariesOnly) {
  std::string img = ReadWholeFile(ShippedLauncher());
  const char* allowed[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comctl32.dll",
                           "shell32.dll", "msvcrt.dll", "ole32.dll"};
  auto dlls = ImportedDlls(img);
  ASSERT_FALSE(dlls.empty());
  for (const auto& d : dlls) {
    SCOPED_TRACE(d);
    bool ok = false;
    for (const char* a : allowed) ok = ok || d == a;
    EXPECT_TRUE(ok) << "unexpected import " << d;
  }
}

TEST(Launcher, WithoutPackageReportsBadCrcAndEndsCleanly) {
  std::string dir = FreshTempDir("nopkg");
  ASSERT_TRUE(CopyFileTo(TestBinDir() + "vxstub.exe", dir + "plain.exe"));
  TraceViewer viewer;
  HANDLE h = StartProcess("\"" + dir + "plain.exe\" /x=1");
  ASSERT_NE(h, nullptr);
  HWND box = WaitForForeignWindow(kMessageBoxClass, 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(AllTexts(box).find("Bad CRC!"), std::string::npos) << AllTexts(box);
  PostMessageA(box, WM_CLOSE, 0, 0);
  bool ended = PumpUntil([&] { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }, 20000);
  DWORD code = 1;
  GetExitCodeProcess(h, &code);
  if (!ended) TerminateProcess(h, 1);
  CloseHandle(h);
  ASSERT_TRUE(ended);
  EXPECT_EQ(code, 0u);
  PumpFor(100);
  auto lines = viewer.Lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(lines[0].find(" ==== STUB START ====> \"" + dir + "plain.exe\" /x=1<"), std::string::npos);
  EXPECT_NE(lines[1].find(" ThisIs_AutoUpdateProg=FALSE"), std::string::npos);
  EXPECT_NE(lines[lines.size() - 2].find(" ==== STUB END ====> "), std::string::npos);
  EXPECT_EQ(lines.back(), "");
  // Lines with a process id start with it, unpadded.
  EXPECT_TRUE(lines[0][0] >= '1' && lines[0][0] <= '9');
}

}  // namespace
