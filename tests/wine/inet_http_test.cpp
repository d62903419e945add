// HTTP downloads through WinINet against real servers on loopback: nginx (HTTP, HTTPS) and the
// fault-injecting server, which counts the body bytes it sends.
#include <gtest/gtest.h>

#include "net/inet_http.h"
#include "net_support.h"
#include "system/debug.h"
#include "test_support.h"

using namespace vxtest;

namespace {

constexpr int32_t kMiB = 1048576;
constexpr int32_t kCut = 307200;             // 300 KiB
constexpr uint32_t kFaultStamp = 0x566E528F;  // the fault server's first Last-Modified, 2023-03-14 10:20:30

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Progress {
  int starts = 0, steps = 0;
  int32_t max = -1, position = -1, step = -1;
  std::string lastText;
};
Progress g_progress;

void RecordProgress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step,
                    const vx::String& text) {
  if (kind == 0) {
    ++g_progress.starts;
    EXPECT_EQ(first, 0);
    g_progress.max = max;
    g_progress.position = position;
    g_progress.step = step;
  } else {
    // Steps may come gathered: one call whose step is their number (above 1).
    g_progress.steps += step > 1 ? step : 1;
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(max, 0);
  }
  g_progress.lastText = text;
}

void CALLBACK SetAbortFlag(HWND, UINT, UINT_PTR, DWORD) { vx::SetDownloadAbortFlag(true); }

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_progress = Progress();
    dir_ = FreshTempDir("net dl");
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    file_ = "dl_" + name + ".bin";
    dest_ = dir_ + "got.bin";
    vx::SetDownloadAbortFlag(false);
  }
  void TearDown() override { DeleteFileA((WebRoot() + file_).c_str()); }

  // Puts n bytes on the servers under this test's file name.
  std::string Serve(size_t n, uint32_t seed = 1) {
    std::string bytes = RandomBytes(n, seed);
    EXPECT_TRUE(WriteWholeFile(WebRoot() + file_, bytes));
    return bytes;
  }
  // The fault server's path of this test's file with the given options.
  std::string FaultPath(const std::string& options) const { return "/" + options + "/" + key_ + "/" + file_; }

  std::string Download(const std::string& url, vx::ProgressCallback cb = RecordProgress) {
    vx::String content, error;
    vx::HTTP_DownloadFile_Incremental(nullptr, url, dest_, content, cb, error);
    EXPECT_TRUE(content.empty());
    return error;
  }
  std::vector<std::string> Partials() const { return FilesStartingWith(dir_, "got.bin."); }

  std::string dir_, file_, dest_;
  std::string key_ = "k" + std::to_string(GetTickCount());
};

TEST_F(DownloadTest, FileFromNginxArrivesWholeWithProgressInChunkUnits) {
  const std::string bytes = Serve(kMiB);
  EXPECT_EQ(Download(NginxHttp() + "/" + file_), "");
  EXPECT_TRUE(ReadWholeFile(dest_) == bytes);
  EXPECT_TRUE(Partials().empty());
  // 10240-byte units: the bar's maximum is round(102.4) + 1, and 103 steps fill it.
  EXPECT_EQ(g_progress.starts, 1);
  EXPECT_EQ(g_progress.max, 103);
  EXPECT_EQ(g_progress.position, 0);
  EXPECT_EQ(g_progress.step, 1);
  EXPECT_EQ(g_progress.steps, 103);
  const std::string done = "1048576/1048576 Bytes   ";
  EXPECT_EQ(g_progress.lastText.compare(0, done.size(), done), 0) << g_progress.lastText;
}

TEST_F(DownloadTest, BodyOfFiveBytesStepsInOneByteUnits) {
  const std::string bytes = Serve(5);
  EXPECT_EQ(Download(NginxHttp() + "/" + file_), "");
  EXPECT_EQ(ReadWholeFile(dest_), bytes);
  EXPECT_EQ(g_progress.max, 6);
  EXPECT_EQ(g_progress.steps, 5);
}

TEST_F(DownloadTest, MemoryModeReturnsTheBodyAndWritesNothing) {
  const std::string bytes = Serve(200000);
  vx::String content, error;
  vx::HTTP_DownloadFile_Incremental(nullptr, NginxHttp() + "/" + file_, "", content, nullptr, error);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(content == bytes);
  EXPECT_TRUE(FilesStartingWith(dir_, "").empty());
}

TEST_F(DownloadTest, HttpsWithTheTrustedTestCa) {
  const std::string bytes = Serve(300000);
  EXPECT_EQ(Download(NginxHttps() + "/" + file_), "");
  EXPECT_TRUE(ReadWholeFile(dest_) == bytes);
}

TEST_F(DownloadTest, FailuresGiveTheirTextsAndTraceLines) {
  Serve(100000);
  TraceChannelHere channel;
  struct Case {
    const char* what;
    std::string url;
    std::string error;
  } cases[] = {
      {"no Content-Length (chunked)", FaultServer() + FaultPath("chunked"), ""},
      {"nothing listens", ClosedPortUrl() + "/" + file_, ""},
      {"certificate of an unknown issuer", NginxHttpsUntrusted() + "/" + file_, ""},
  };
  cases[0].error = "3 " + cases[0].url + "<P><P>File Not Found !";
  cases[1].error = "2 Unable to open Internet Connection <P>URL: " + cases[1].url;
  cases[2].error = "2 Unable to open Internet Connection <P>URL: " + cases[2].url;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TraceViewer viewer;
    EXPECT_EQ(Download(c.url), c.error);
    EXPECT_FALSE(Exists(dest_));
    EXPECT_TRUE(Partials().empty());
    vx::DebugFlush();
    EXPECT_TRUE(viewer.HasLineContaining(" HTTP_DownloadFile_Incremental: " + c.error));
  }
}

TEST_F(DownloadTest, NotFoundPageWithALengthIsDownloadedAndRecognised) {
  const std::string url = FaultServer() + FaultPath("notfound");
  EXPECT_EQ(Download(url), "");
  const std::string page = ReadWholeFile(dest_);
  EXPECT_NE(page.find("<title>404 Not Found</title>"), std::string::npos);
  EXPECT_EQ(vx::CheckNotFoundPage(dest_, "", url, "Bad Secret Token!"),
            "<b>404 File Not Found...</b><P><P>URL:  " + url + ".");
  EXPECT_EQ(vx::CheckNotFoundPage("", page, url, ""), "<b>404 File Not Found...</b><P><P>URL:  " + url + ".");
  EXPECT_EQ(vx::CheckNotFoundPage("", "a package", url, "Bad Secret Token!"), "Bad Secret Token!");
}

// A transfer that ends short (connection cut, or stalled and then dropped) keeps a partial file
// named by the file's length and date and leaves the destination alone; the next call fetches
// only the remaining bytes and replaces the destination.
TEST_F(DownloadTest, ShortTransferResumesWithTheRemainingBytesOnly) {
  const std::string bytes = Serve(kMiB);
  const std::string partial = "got.bin." + std::to_string(static_cast<int32_t>(kMiB + kFaultStamp));
  const char* options[] = {"cut=307200", "cut=307200,stall=1500"};
  for (const char* o : options) {
    SCOPED_TRACE(o);
    const std::string path = FaultPath(o);
    ASSERT_TRUE(WriteWholeFile(dest_, "the previous download"));
    EXPECT_EQ(Download(FaultServer() + path), "");
    EXPECT_EQ(ReadWholeFile(dest_), "the previous download") << "a short transfer leaves the destination alone";
    ASSERT_EQ(Partials(), std::vector<std::string>{partial});
    EXPECT_EQ(ReadWholeFile(dir_ + partial), bytes.substr(0, kCut));

    g_progress = Progress();
    EXPECT_EQ(Download(FaultServer() + path), "");
    EXPECT_TRUE(ReadWholeFile(dest_) == bytes);
    EXPECT_TRUE(Partials().empty());
    // The bar starts at the partial file's 30 units and steps through the rest.
    EXPECT_EQ(g_progress.position, 30);
    EXPECT_EQ(g_progress.steps, 103 - 30);
    const std::vector<ServedRequest> served = ServedRequests(path);
    ASSERT_EQ(served.size(), 2u);
    EXPECT_EQ(served[0].bytes, kCut);
    EXPECT_EQ(served[1].status, 206);
    EXPECT_EQ(served[1].range, "bytes=307200-");
    EXPECT_EQ(served[1].bytes, kMiB - kCut);
    DeleteFileA(dest_.c_str());
  }
}

// A short transfer leaves a partial file; the next call sends its range, but the reply cannot
// continue it: the file changed (a 206 of another version, dropped and asked again without a
// range), or the server ignores ranges (a 200 with the whole file). Either way the whole file is
// fetched again from byte 0, the destination is byte-identical and the old partial file is gone.
TEST_F(DownloadTest, ResumeAgainstAChangedOrRangeBlindServerFetchesTheWholeFile) {
  const std::string bytes = Serve(kMiB);
  struct Later {
    int status;
    const char* range;
  };
  struct Case {
    const char* options;
    std::vector<Later> later;  // the requests after the cut one
  } cases[] = {
      {"cut=307200,lmchange", {{206, "bytes=307200-"}, {200, "-"}}},
      {"cut=307200,norange", {{200, "bytes=307200-"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string path = FaultPath(c.options);
    EXPECT_EQ(Download(FaultServer() + path), "");
    ASSERT_EQ(Partials().size(), 1u);
    EXPECT_EQ(Download(FaultServer() + path), "");
    EXPECT_TRUE(ReadWholeFile(dest_) == bytes);
    EXPECT_TRUE(Partials().empty());
    const std::vector<ServedRequest> served = ServedRequests(path);
    ASSERT_EQ(served.size(), 1 + c.later.size());
    EXPECT_EQ(served[0].bytes, kCut);
    for (size_t i = 0; i < c.later.size(); ++i) {
      SCOPED_TRACE(i + 1);
      EXPECT_EQ(served[i + 1].status, c.later[i].status);
      EXPECT_EQ(served[i + 1].range, c.later[i].range);
    }
    EXPECT_EQ(served.back().bytes, kMiB) << "the whole file again";
    DeleteFileA(dest_.c_str());
  }
}

// A partial file that cannot be continued by the reply to its range request is never extended:
// the reply is not used, the partial file is deleted and the file is fetched from byte 0.
TEST_F(DownloadTest, RangeRequestsThatCannotContinueThePartialFile) {
  const std::string bytes = Serve(100000);
  const std::string good = "got.bin." + std::to_string(static_cast<int32_t>(100000 + kFaultStamp));
  struct Case {
    const char* what;
    std::string partialName;
    size_t partialSize;
    const char* options;
    int rangeStatus;
  } cases[] = {
      {"partial file longer than the server file", good, 100500, "plain", 416},
      {"partial file as long as the server file", good, 100000, "plain", 416},
      {"the file is gone", good, 5000, "notfound", 404},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteWholeFile(dir_ + c.partialName, std::string(c.partialSize, 'J')));
    const std::string path = FaultPath(c.options);
    EXPECT_EQ(Download(FaultServer() + path), "");
    const std::vector<ServedRequest> served = ServedRequests(path);
    ASSERT_EQ(served.size(), 2u);
    EXPECT_EQ(served[0].status, c.rangeStatus);
    EXPECT_EQ(served[0].range, "bytes=" + std::to_string(c.partialSize) + "-");
    EXPECT_EQ(served[1].range, "-");
    // The destination holds the second reply's body and nothing else: no byte of the partial
    // file before or after it.
    const std::string got = ReadWholeFile(dest_);
    EXPECT_EQ(static_cast<int64_t>(got.size()), served[1].bytes);
    EXPECT_NE(got.compare(0, 64, std::string(64, 'J')), 0);
    if (served[1].status == 200) {
      EXPECT_TRUE(got == bytes);
    } else {
      EXPECT_NE(got.find("404 Not Found"), std::string::npos);
    }
    EXPECT_TRUE(Partials().empty());
    DeleteFileA(dest_.c_str());
    key_ += "x";
  }
}

// The abort flag, set by a window handler while the body arrives, ends the transfer.
TEST_F(DownloadTest, AbortFlagSetByAWindowHandlerStopsTheTransfer) {
  Serve(kMiB);
  HWND wnd = CreateWindowExA(0, "STATIC", "abort timer", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  SetTimer(wnd, 7, 800, SetAbortFlag);
  EXPECT_EQ(Download(FaultServer() + FaultPath("slow=40")), "Download Aborted");
  KillTimer(wnd, 7);
  DestroyWindow(wnd);
  EXPECT_FALSE(Exists(dest_));
  const std::vector<std::string> partials = Partials();
  ASSERT_EQ(partials.size(), 1u);
  const size_t kept = ReadWholeFile(dir_ + partials[0]).size();
  EXPECT_GT(kept, 0u);
  EXPECT_LT(kept, static_cast<size_t>(kMiB));
  vx::SetDownloadAbortFlag(false);
}

TEST_F(DownloadTest, ContentLengthQuery) {
  Serve(123456);
  EXPECT_EQ(vx::HttpContentLength(NginxHttp() + "/" + file_), 123456);
  EXPECT_EQ(vx::HttpContentLength(FaultServer() + FaultPath("chunked")), -1);
  EXPECT_EQ(vx::HttpContentLength(ClosedPortUrl() + "/" + file_), -1);
}

TEST(InternetLibrary, ConnectedStateAndUnloadReload) {
  EXPECT_TRUE(vx::InternetConnected());
  vx::InternetUnload();
  EXPECT_TRUE(vx::InternetConnected());  // bound again on first use
}

TEST(DosStamp, MatchesTheSystemsFileDateRules) {
  const vx::CivilTime times[] = {{1980, 1, 1, 0, 0, 0},    {2023, 3, 14, 10, 20, 31}, {2024, 2, 29, 23, 59, 58},
                                 {2107, 12, 31, 23, 59, 59}, {1979, 12, 31, 23, 59, 59}};
  for (const vx::CivilTime& t : times) {
    SCOPED_TRACE(t.year);
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    WORD date = 0, time = 0;
    const uint32_t system = FileTimeToDosDateTime(&ft, &date, &time) ? (static_cast<uint32_t>(date) << 16) | time : 0;
    EXPECT_EQ(vx::PackDosDateTime(t), system);
  }
}

}  // namespace
