// Trace channel buffering and the text forms of values in trace lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "system/debug.h"

namespace vx {
namespace {

using vxtest::FakePlatform;

// Records the deliveries of one test.
class DebugChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPlatform(nullptr);
    DebugFlush();  // drop anything left by another test
    SetPlatform(&platform_);
  }
  FakePlatform platform_;
  std::vector<std::string>& chunks_ = platform_.chunks;
};

TEST_F(DebugChannel, LongLineArrivesInBufferSizedChunks) {
  DebugWriteLn(std::string(300, 'x'));
  ASSERT_EQ(chunks_.size(), 3u);
  EXPECT_EQ(chunks_[0], std::string(128, 'x'));
  EXPECT_EQ(chunks_[1], std::string(128, 'x'));
  EXPECT_EQ(chunks_[2], std::string(44, 'x') + "\n");
}

TEST_F(DebugChannel, EachLineIsDeliveredSeparately) {
  DebugWriteLn("a");
  DebugWriteLn("bb");
  DebugWriteLn();
  EXPECT_EQ(chunks_, (std::vector<std::string>{"a\n", "bb\n", "\n"}));
}

TEST_F(DebugChannel, WriteWithoutLineWaitsForFullBufferOrFlush) {
  DebugWrite("abc");
  EXPECT_TRUE(chunks_.empty());
  DebugWrite(std::string(125, 'y'));  // exactly fills the buffer
  ASSERT_EQ(chunks_.size(), 1u);
  EXPECT_EQ(chunks_[0], "abc" + std::string(125, 'y'));
  DebugWrite("z");
  DebugFlush();
  ASSERT_EQ(chunks_.size(), 2u);
  EXPECT_EQ(chunks_[1], "z");
  DebugFlush();  // nothing buffered: nothing delivered
  EXPECT_EQ(chunks_.size(), 2u);
}

TEST_F(DebugChannel, WithoutReceiverLinesAreDropped) {
  SetPlatform(nullptr);  // a platform without a viewer
  DebugWrite("lost");
  DebugWriteLn(" too");
  SetPlatform(&platform_);
  DebugWriteLn("kept");
  EXPECT_EQ(chunks_, (std::vector<std::string>{"kept\n"}));
}

TEST_F(DebugChannel, PidLineStartsWithUnpaddedProcessId) {
  struct Case {
    uint32_t pid;
    const char* line;
  } const cases[] = {
      {4242, "4242 ==== STUB START ====> x<\n"},
      {7, "7 ==== STUB START ====> x<\n"},
      {0xFFFFFFFFu, "4294967295 ==== STUB START ====> x<\n"},  // unsigned, whatever its size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pid);
    chunks_.clear();
    platform_.processId = c.pid;
    DebugWriteLnPid(" ==== STUB START ====> x<");
    EXPECT_EQ(chunks_, (std::vector<std::string>{c.line}));
  }
}

TEST(DebugValues, Integers) {
  EXPECT_EQ(DbgInt(0), "0");
  EXPECT_EQ(DbgInt(-1), "-1");
  EXPECT_EQ(DbgInt(INT32_MIN), "-2147483648");
  EXPECT_EQ(DbgInt(INT32_MAX), "2147483647");
  EXPECT_EQ(DbgUInt(0xFFFFFFFFu), "4294967295");  // a failed handle as written by the eject lines
  EXPECT_EQ(DbgUInt(static_cast<uint32_t>(-2)), "4294967294");
  EXPECT_EQ(DbgBool(true), "TRUE");
  EXPECT_EQ(DbgBool(false), "FALSE");
  EXPECT_EQ(DbgChar('*'), "*");
}

TEST(DebugValues, FloatingPointInScientificFormOf23Characters) {
  struct Case {
    double value;
    const char* text;
  } const cases[] = {
      {1500, " 1.50000000000000E+0003"},
      {0, " 0.00000000000000E+0000"},
      {-2.5, "-2.50000000000000E+0000"},
      {0.001, " 1.00000000000000E-0003"},
      {123456789012345678.0, " 1.23456789012346E+0017"},
      {9.999999999999999, " 1.00000000000000E+0001"},  // rounding carries into the exponent
      {1e300, " 1.00000000000000E+0300"},
      {-4.0e-300, "-4.00000000000000E-0300"},
      {2147483648.0, " 2.14748364800000E+0009"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DbgFloat(c.value), c.text);
    EXPECT_EQ(DbgFloat(c.value).size(), 23u);
  }
}

}  // namespace
}  // namespace vx
