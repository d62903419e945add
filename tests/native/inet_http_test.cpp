// Portable pieces of the HTTP download: speed text, DOS stamp, partial-file names, the not-found
// page test, progress units, Content-Range and the resume decision.
#include <gtest/gtest.h>

#include "net/inet_http.h"

namespace vx {
namespace {

TEST(SpeedText, RingsOfFiveUpdates) {
  struct Step {
    bool start;
    int32_t done;
    int32_t lastRead;
    uint32_t tick;
    const char* text;
  } steps[] = {
      // The start call's ticks are all the same: no rate.
      {true, 0, 0, 1000, "0/1048576 Bytes   "},
      {false, 102400, 102400, 1100, "102400/1048576 Bytes   1000.00 KB/Sec"},  // 100 KiB in 0.1 s
      {false, 307200, 204800, 1200, "307200/1048576 Bytes   1500.00 KB/Sec"},  // 300 KiB in 0.2 s
      {false, 409600, 102400, 1300, "409600/1048576 Bytes   1333.33 KB/Sec"},  // 400 KiB in 0.3 s
      {false, 512000, 102400, 1400, "512000/1048576 Bytes   1250.00 KB/Sec"},  // 500 KiB in 0.4 s
      // The oldest tick and read leave the rings: 600 KiB (100+200+100+100+100) over 1100 .. 1500.
      {false, 614400, 102400, 1500, "614400/1048576 Bytes   1500.00 KB/Sec"},
      {false, 614400, 0, 1500, "614400/1048576 Bytes   1666.67 KB/Sec"},  // 500 KiB over 1200 .. 1500
      // A new start forgets everything.
      {true, 614400, 0, 9000, "614400/1048576 Bytes   "},
      {false, 615424, 1024, 10000, "615424/1048576 Bytes   1.00 KB/Sec"},
      // The tick count wraps.
      {true, 0, 0, 0xFFFFFF00u, "0/1048576 Bytes   "},
      {false, 1024, 1024, 0x000002E8u, "1024/1048576 Bytes   1.00 KB/Sec"},  // 1000 ms later
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    EXPECT_EQ(SpeedTextAt(s.start, 1048576, s.done, s.lastRead, s.tick), s.text);
  }
}

TEST(PackDosDateTime, PackedFormAndItsLimits) {
  struct Case {
    CivilTime t;
    uint32_t packed;
  } cases[] = {
      {{1980, 1, 1, 0, 0, 0}, 0x00210000u},
      {{2023, 3, 14, 10, 20, 30}, 0x566E528Fu},
      {{2023, 3, 14, 10, 20, 31}, 0x566E528Fu},  // seconds are halved
      {{2024, 2, 29, 0, 0, 0}, 0x585D0000u},     // leap day
      {{2000, 2, 29, 0, 0, 0}, 0x285D0000u},     // a century divisible by 400 is a leap year
      {{2107, 12, 31, 23, 59, 59}, 0xFF9FBF7Du},
      {{1979, 12, 31, 23, 59, 59}, 0},  // before 1980
      {{2108, 1, 1, 0, 0, 0}, 0},
      {{2023, 2, 29, 0, 0, 0}, 0},  // no such day
      {{2100, 2, 29, 0, 0, 0}, 0},  // a century not divisible by 400 is not
      {{2023, 13, 1, 0, 0, 0}, 0},
      {{2023, 0, 1, 0, 0, 0}, 0},
      {{2023, 4, 31, 0, 0, 0}, 0},
      {{2023, 1, 1, 24, 0, 0}, 0},
      {{2023, 1, 1, 0, 60, 0}, 0},
      {{2023, 1, 1, 0, 0, 60}, 0},
      {{0, 0, 0, 0, 0, 0}, 0},  // the zeroed time of a failed query
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.t.year << "-" << c.t.month << "-" << c.t.day << " " << c.t.hour << ":"
                                    << c.t.minute << ":" << c.t.second);
    EXPECT_EQ(PackDosDateTime(c.t), c.packed);
  }
}

TEST(PartialFileName, LengthPlusStampWrapsAsSigned32Bits) {
  struct Case {
    int32_t length;
    uint32_t stamp;
    const char* name;
  } cases[] = {
      {1048576, 0x566E528Fu, "C:\\T\\setup.exe.1451119247"},
      {1048576, 0, "C:\\T\\setup.exe.1048576"},  // no Last-Modified
      {1000, 0xFF9FBF7Du, "C:\\T\\setup.exe.-6306971"},
      {2000000000, 0xFF9FBF7Du, "C:\\T\\setup.exe.1993692029"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PartialFileName("C:\\T\\setup.exe", c.length, c.stamp), c.name);
    int32_t key = 0;
    ASSERT_TRUE(PartialKeyOf("C:\\T\\setup.exe", c.name, key));
    EXPECT_EQ(key, PartialKey(c.length, c.stamp));
  }
}

TEST(PartialFileName, OnlyDecimalSuffixesOfTheDestinationAreKeys) {
  struct Case {
    const char* name;
    bool isKey;
    int32_t key;
  } cases[] = {
      {"C:\\T\\a.exe.123", true, 123},
      {"C:\\t\\A.EXE.-5", true, -5},
      {"C:\\T\\a.exe.0", true, 0},
      {"C:\\T\\a.exe.0123", false, 0},
      {"C:\\T\\a.exe.+5", false, 0},
      {"C:\\T\\a.exe.x5", false, 0},
      {"C:\\T\\a.exe.bak", false, 0},
      {"C:\\T\\a.exe.", false, 0},
      {"C:\\T\\a.exe", false, 0},
      {"C:\\T\\a.exe.99999999999", false, 0},
      {"C:\\T\\a.exe.1.2", false, 0},
      {"C:\\T\\a.exeX123", false, 0},
      {"C:\\T\\b.exe.123", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int32_t key = 0;
    EXPECT_EQ(PartialKeyOf("C:\\T\\a.exe", c.name, key), c.isKey);
    if (c.isKey) {
      EXPECT_EQ(key, c.key);
    }
  }
}

TEST(NotFoundPage, TitleElementAnd404) {
  const std::string found = "<b>404 File Not Found...</b><P><P>URL:  http://h/d/f.exe.";
  struct Case {
    std::string content;
    bool notFound;
  } cases[] = {
      {"<html>\r\n<head><title>404 Not Found</title></head>\r\n<body></body></html>", true},
      {"<TITLE>Error</TITLE> code 404", true},
      {"<Title>Gone</tItLe>404", true},
      {std::string("\0\0\x01<title>404</title>", 20), true},  // binary bytes before the page
      {"<title>404 Not Found", false},                        // no closing tag
      {"404 Not Found", false},                               // no title element
      {"<title>Not Found</title>", false},                    // no 404
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    EXPECT_EQ(NotFoundPageText(c.content, "http://h/d/f.exe", "Bad Secret Token!"),
              c.notFound ? found : "Bad Secret Token!");
  }
}

TEST(DownloadProgressPlan, ChunkMaximumAndPosition) {
  struct Case {
    int32_t length, done;
    ProgressPlan plan;
  } cases[] = {
      {5, 0, {1, 6, 0}},  // a body of 5 bytes moves in 1-byte units
      {5, 3, {1, 6, 3}},
      {100, 0, {10, 11, 0}},
      {102400, 0, {10240, 11, 0}},
      {1048576, 307200, {10240, 103, 30}},  // 102.4 units
      {25, 0, {2, 13, 0}},                  // 12.5 rounds to 12
      {35, 0, {3, 13, 0}},                  // 11.67 rounds to 12
      {60, 9, {6, 11, 2}},                  // position 1.5 rounds to 2
      {60, 15, {6, 11, 2}},                 // position 2.5 rounds to 2
      {200 << 20, 0, {10240, 20481, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " " << c.done);
    const ProgressPlan p = DownloadProgressPlan(c.length, c.done);
    EXPECT_EQ(p.chunk, c.plan.chunk);
    EXPECT_EQ(p.max, c.plan.max);
    EXPECT_EQ(p.position, c.plan.position);
  }
}

TEST(DownloadProgressPlan, StepsOfAWholeTransferFillTheBar) {
  struct Case {
    int64_t bytes;
    int32_t chunk;
    int64_t units;
  } cases[] = {{0, 10, 0}, {1, 10, 1}, {10, 10, 1}, {11, 10, 2}, {1048576, 10240, 103}, {5, 1, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(ChunkUnits(c.bytes, c.chunk), c.units);
  }
}

TEST(ContentRange, Forms) {
  struct Case {
    const char* text;
    bool ok;
    int64_t first, last, total;
  } cases[] = {
      {"bytes 307200-1048575/1048576", true, 307200, 1048575, 1048576},
      {"BYTES 0-0/1", true, 0, 0, 1},
      {" bytes  5 - 9 / 10 ", true, 5, 9, 10},
      {"bytes=5-9/10", true, 5, 9, 10},
      {"bytes */1048576", false, 0, 0, 0},
      {"bytes 5-9/*", false, 0, 0, 0},
      {"bytes 5-4/10", false, 0, 0, 0},
      {"bytes 5-10/10", false, 0, 0, 0},
      {"bytes 5-9", false, 0, 0, 0},
      {"bytes 5-9/10 x", false, 0, 0, 0},
      {"items 5-9/10", false, 0, 0, 0},
      {"bytes -5-9/10", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int64_t first = -1, last = -1, total = -1;
    ASSERT_EQ(ParseContentRange(c.text, first, last, total), c.ok);
    if (c.ok) {
      EXPECT_EQ(first, c.first);
      EXPECT_EQ(last, c.last);
      EXPECT_EQ(total, c.total);
    }
  }
  EXPECT_EQ(RangeHeader(307200), "Range: bytes=307200-\r\n");
}

TEST(DecideReplyUse, ResumeOnlyFromTheRightOffsetOfTheSameFile) {
  const int32_t L = 1048576;
  const uint32_t S = 0x566E528Fu;
  const int32_t K = PartialKey(L, S);
  const int64_t N = 307200;
  const std::string range = "bytes 307200-1048575/1048576";
  struct Case {
    const char* what;
    int64_t offset;
    int status;
    int32_t contentLength;
    std::string contentRange;
    uint32_t stamp;
    ReplyUse use;
    int32_t length;
  } cases[] = {
      {"fresh request", 0, 200, L, "", S, ReplyUse::Rewrite, L},
      {"fresh request: an error page is a body too", 0, 404, 153, "", 0, ReplyUse::Rewrite, 153},
      {"fresh request without a length", 0, 200, -1, "", S, ReplyUse::Rewrite, -1},
      {"resumed", N, 206, L - N, range, S, ReplyUse::Append, L},
      {"range from another offset", N, 206, L, "bytes 0-1048575/1048576", S, ReplyUse::Retry, -1},
      {"changed Last-Modified", N, 206, L - N, range, S + 2, ReplyUse::Retry, -1},
      {"changed length", N, 206, L - N + 1, "bytes 307200-1048576/1048577", S, ReplyUse::Retry, -1},
      {"206 without Content-Range", N, 206, L - N, "", S, ReplyUse::Retry, -1},
      {"206 of unknown length", N, 206, L - N, "bytes 307200-1048575/*", S, ReplyUse::Retry, -1},
      {"range ignored", N, 200, L, "", S, ReplyUse::Rewrite, L},
      {"partial file not shorter than the file", N, 416, 0, "bytes */1048576", S, ReplyUse::Retry, -1},
      {"file gone", N, 404, 153, "", 0, ReplyUse::Retry, -1},
      {"server error", N, 500, 20, "", 0, ReplyUse::Retry, -1},
      {"no status", N, 0, L, "", S, ReplyUse::Retry, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReplyFacts r;
    r.status = c.status;
    r.contentLength = c.contentLength;
    r.contentRange = c.contentRange;
    r.stamp = c.stamp;
    const ReplyPlan p = DecideReplyUse(c.offset, K, r);
    EXPECT_EQ(p.use, c.use);
    EXPECT_EQ(p.length, c.length);
  }
}

TEST(DownloadErrors, Texts) {
  EXPECT_EQ(InitErrorText(), "1 Unable to initialize \"WinINet.dll\"");
  EXPECT_EQ(OpenUrlErrorText("http://h/f"), "2 Unable to open Internet Connection <P>URL: http://h/f");
  EXPECT_EQ(NotFoundErrorText("http://h/f"), "3 http://h/f<P><P>File Not Found !");
  EXPECT_STREQ(kDownloadAborted, "Download Aborted");
}

}  // namespace
}  // namespace vx
