// The trace channel's deliveries to a ".VDebug." window, and the debug viewer program.
#include <gtest/gtest.h>

#include "system/debug.h"
#include "test_support.h"

using namespace vxtest;

namespace {

std::string Exe(const std::string& name) { return "\"" + TestBinDir() + name + "\""; }

// Connects this process's channel for one test and disconnects it afterwards.
class DebugChannelHere : public ::testing::Test {
 protected:
  TraceChannelHere channel_;
};

TEST_F(DebugChannelHere, ChunksReachTheViewerBeforeTheWriteReturns) {
  TraceViewer viewer;
  vx::DebugWriteLn(std::string(300, 'a'));
  // No message pumping in between: the send is synchronous.
  ASSERT_EQ(viewer.Chunks().size(), 3u);
  EXPECT_EQ(viewer.Chunks()[0], std::string(128, 'a'));
  EXPECT_EQ(viewer.Chunks()[1], std::string(128, 'a'));
  EXPECT_EQ(viewer.Chunks()[2], std::string(44, 'a') + "\n");
  vx::DebugWriteLn("one");
  ASSERT_EQ(viewer.Chunks().size(), 4u);
  vx::DebugWriteLn();
  ASSERT_EQ(viewer.Chunks().size(), 5u);
  EXPECT_EQ(viewer.Chunks()[3], "one\n");
  EXPECT_EQ(viewer.Chunks()[4], "\n");
  vx::DebugWriteLn(vx::DbgFloat(1500) + " " + vx::DbgUInt(0xFFFFFFFFu));
  EXPECT_EQ(viewer.Lines().back(), " 1.50000000000000E+0003 4294967295");
}

TEST_F(DebugChannelHere, WithoutViewerLinesAreDropped) {
  ASSERT_EQ(FindWindowA(".VDebug.", nullptr), nullptr);
  for (int i = 0; i < 200; ++i) vx::DebugWriteLn("nobody listens " + std::string(150, 'z'));
  // A viewer started afterwards gets only what is written from then on.
  TraceViewer viewer;
  vx::DebugWriteLn("late");
  EXPECT_EQ(viewer.Lines(), (std::vector<std::string>{"late"}));
}

TEST(DebugChannel, LinesOfAnotherProcessArriveInOrder) {
  TraceViewer viewer;
  ProcessResult r = RunAndWait(Exe("tracewriter.exe") + " 4 200 tail", 20000);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  std::vector<std::string> expected;
  for (int i = 1; i <= 4; ++i)
    expected.push_back(std::to_string(r.processId) + " line " + std::to_string(i) + " " + std::string(200, 'x'));
  expected.push_back("tail");  // still buffered at the end: delivered when the process ends
  EXPECT_EQ(viewer.Lines(), expected);
  for (const auto& c : viewer.Chunks()) EXPECT_LE(c.size(), 128u);
}

TEST(DebugChannel, ProgramWithoutViewerRunsTheSame) {
  ASSERT_EQ(FindWindowA(".VDebug.", nullptr), nullptr);
  ProcessResult r = RunAndWait(Exe("tracewriter.exe") + " 50 300", 20000);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
}

TEST(DebugViewer, HiddenViewerLogsLinesAndStops) {
  const std::string dir = FreshTempDir("viewer");
  const std::string log = dir + "view log.txt";
  HANDLE viewer = StartProcess(Exe("vxdebugview.exe") + " /hidden /log=\"" + log + "\"");
  ASSERT_NE(viewer, nullptr);
  HWND wnd = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (wnd = FindWindowA(".VDebug.", nullptr)) != nullptr; }, 15000));
  EXPECT_FALSE(IsWindowVisible(wnd));

  ProcessResult r = RunAndWait(Exe("tracewriter.exe") + " 3 300 end", 20000);
  ASSERT_TRUE(r.finished);
  ProcessResult stop = RunAndWait(Exe("vxdebugview.exe") + " /stop", 20000);
  EXPECT_TRUE(stop.finished);
  EXPECT_EQ(WaitForSingleObject(viewer, 15000), WAIT_OBJECT_0);
  CloseHandle(viewer);

  std::string expected;
  for (int i = 1; i <= 3; ++i)
    expected += std::to_string(r.processId) + " line " + std::to_string(i) + " " + std::string(300, 'x') + "\r\n";
  expected += "end\r\n";  // the last, unterminated line is written when the viewer closes
  EXPECT_EQ(ReadWholeFile(log), expected);
}

}  // namespace
