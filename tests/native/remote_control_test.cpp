#include <gtest/gtest.h>

#include <vector>

#include "agent/agent_state.h"
#include "agent/settings.h"
#include "launcher/remote.h"
#include "fake_platform.h"
#include "launcher/stub_window_layout.h"
#include "settings_fake.h"

using namespace vx;
using vxtest::FakePlatform;
using vxtest::FakeSettingsStore;
using vxtest::SettingsFixtureScope;

namespace {

// Fresh settings, agent state, stop request and client for one test.
class RemoteScope : public SettingsFixtureScope {
 public:
  explicit RemoteScope(FakeSettingsStore& store) : SettingsFixtureScope(store) { Reset(); }
  ~RemoteScope() { Reset(); }

 private:
  static void Reset() {
    ResetAgentState();
    SetStopRequest(-1);
    SetClient(0, 0);
  }
};

void Preload(FakeSettingsStore& store) {
  store.SetOriginal("VersionOriginal", "17");
  store.SetOriginal("ProbeSecondsInterval", "4294967301");  // 2^32 + 5
  store.SetOriginal("ReAskSecondsInterval", "8589934591");  // 2^33 - 1
  store.SetOriginal("ProbeSecondsLast", "3787088523");
  store.SetOriginal("ReAskSecondsLast", "12");
  store.SetInfo("VersionNew", "23");
}

TEST(RemoteControl, ReadCommandsAnswerLow32Bits) {
  struct Case {
    uint32_t command;
    int32_t result;
  };
  const Case cases[] = {
      {4, 17}, {5, 23}, {7, 3}, {8, 5}, {9, -1}, {10, -507878773}, {11, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    FakeSettingsStore store;
    RemoteScope scope(store);
    Preload(store);
    SetActivityState(3);
    const auto before = store.values;
    EXPECT_EQ(RunRemoteCommand(c.command, 1000), c.result);
    EXPECT_EQ(store.values, before);
  }
}

TEST(RemoteControl, WriteCommandsStoreSignExtendedValues) {
  struct Case {
    uint32_t command;
    int32_t value;
    const char* key;
    const char* stored;
    const char* copy;  // readable copy, nullptr: none written
    uint32_t readBack;
  };
  const Case cases[] = {
      {12, -1, "ProbeSecondsInterval", "-1", nullptr, 8},
      {13, -5, "ReAskSecondsInterval", "-5", nullptr, 9},
      {14, 2000000000, "ProbeSecondsLast", "2000000000", "17-MAY-1963  03:33:20", 10},
      {15, 2000000000, "ReAskSecondsLast", "2000000000", "17-MAY-1963  03:33:20", 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    FakeSettingsStore store;
    RemoteScope scope(store);
    EXPECT_EQ(RunRemoteCommand(c.command, c.value), 0);
    EXPECT_EQ(store.Original(c.key), c.stored);
    EXPECT_EQ(store.Original(std::string("__") + c.key), c.copy ? c.copy : "<missing>");
    EXPECT_EQ(store.values.size(), c.copy ? 2u : 1u);
    EXPECT_EQ(RunRemoteCommand(c.readBack, 0), c.value);
  }
}

TEST(RemoteControl, TransientFlagCommandsTakeTheLowByte) {
  FakeSettingsStore store;
  RemoteScope scope(store);
  const int32_t values[] = {256, 1, 258, -1, 7, 0};  // commands 20 .. 25
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(RunRemoteCommand(20 + i, values[i]), 0);
  EXPECT_EQ(TransientFlag(1), 0);
  EXPECT_EQ(TransientFlagsText(), "|0|1|2|255|7|0|");
  EXPECT_TRUE(store.values.empty());
}

TEST(RemoteControl, StopAndCheckRequests) {
  FakeSettingsStore store;
  RemoteScope scope(store);
  EXPECT_EQ(StopRequest(), -1);
  EXPECT_EQ(RunRemoteCommand(30, 4), 0);
  EXPECT_EQ(StopRequest(), 4);

  EXPECT_EQ(RunRemoteCommand(31, 1), 0);
  EXPECT_TRUE(CheckNow());
  EXPECT_EQ(InteractiveState(), 0);
  SetCheckNow(false);
  EXPECT_EQ(RunRemoteCommand(31, 2), 0);
  EXPECT_TRUE(CheckNow());
  EXPECT_EQ(InteractiveState(), 2);
}

TEST(RemoteControl, UnknownCommandsAnswerZeroAndChangeNothing) {
  const uint32_t commands[] = {0, 1, 3, 6, 16, 19, 26, 29, 32, 99, 1125, 0xFFFFFFFFu};
  for (uint32_t command : commands) {
    SCOPED_TRACE(command);
    FakeSettingsStore store;
    RemoteScope scope(store);
    Preload(store);
    const auto before = store.values;
    EXPECT_EQ(RunRemoteCommand(command, 2), 0);
    EXPECT_EQ(store.values, before);
    EXPECT_EQ(TransientFlagsText(), "|255|255|255|255|255|255|");
    EXPECT_EQ(StopRequest(), -1);
    EXPECT_FALSE(CheckNow());
    EXPECT_EQ(InteractiveState(), 0);
  }
}

TEST(RemoteControl, NotificationsNeedBothClientWindowAndMessage) {
  struct Case {
    uintptr_t window;
    uint32_t message;
    bool delivered;
  };
  const Case cases[] = {{0x1234, 0, false}, {0, 0x8005, false}, {0, 0, false}, {0x1234, 0x8005, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    FakeSettingsStore store;
    RemoteScope scope(store);
    FakePlatform platform;
    Subscribe(c.window, c.message, 0x5678);
    EXPECT_EQ(ClientWindow(), c.window);
    EXPECT_EQ(ClientMessage(), c.message);
    PostClientNotification(kNotifyLoopEnded, 0);
    std::vector<FakePlatform::Posted> expected;
    if (c.delivered) {
      expected = {{c.window, c.message, 50, 0x5678}, {c.window, c.message, 51, 1125}, {c.window, c.message, 43, 0}};
    }
    EXPECT_EQ(platform.posted, expected);
  }
}

TEST(StubWindowRules, CentringTruncatesTowardsZero) {
  struct Case {
    int screen, size, origin;
  };
  const Case cases[] = {{1024, 492, 266}, {768, 110, 329}, {493, 492, 0}, {400, 492, -46}, {391, 492, -50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screen);
    EXPECT_EQ(CenteredOrigin(c.screen, c.size), c.origin);
  }
}

TEST(StubWindowRules, ProgressRangeKeepsSixteenBits) {
  struct Case {
    int32_t max;
    int32_t top;
    uint32_t param;
  };
  const Case cases[] = {
      {100, 100, 0x00640000u}, {65535, 65535, 0xFFFF0000u}, {65536, 0, 0}, {70000, 4464, 0x11700000u}, {0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.max);
    EXPECT_EQ(ProgressRangeParam(c.max), c.param);
    EXPECT_EQ(ProgressRangeMax(c.max), c.top);
  }
}

TEST(StubWindowRules, ActivityCounterCycles) {
  int32_t count = 0;
  std::vector<int32_t> seen;
  for (int i = 0; i < 8; ++i) seen.push_back(count = NextActivityCount(count));
  EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4, 5, 0, 1, 2}));
}

TEST(StubWindowRules, StepsThatStayWithinTheBarsRange) {
  struct Case {
    int32_t position, top, stepSize, steps, expect;
  } cases[] = {
      {0, 100, 1, 5, 5},     // all fit
      {95, 100, 1, 5, 5},    // the last lands exactly on the top
      {96, 100, 1, 5, 4},    // the fifth would pass the top and wrap
      {100, 100, 1, 3, 0},   // at the top: the next one wraps
      {0, 100, 10, 20, 10},  // steps of ten
      {5, 100, 10, 20, 9},   // 95 is the last position within the range
      {0, 0, 1, 4, 0},       // an empty range
      {0, 100, 0, 4, 0},     // steps that do not move: taken one by one
      {50, 100, -1, 4, 0},   // steps backwards: taken one by one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.position << "/" << c.top << " step " << c.stepSize << " x" << c.steps);
    EXPECT_EQ(StepsWithinRange(c.position, c.top, c.stepSize, c.steps), c.expect);
  }
}

TEST(AgentState, SleepSwitchStartsTheTickCounter) {
  struct Case {
    int64_t sleep;
    int32_t count;
  };
  const Case cases[] = {{-1, kInitialTimerCount}, {-7, kInitialTimerCount}, {0, 0}, {7, -7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sleep);
    ResetAgentState();
    EXPECT_EQ(AutoUpdateTimerCount(), -3);
    ApplySleepSwitch(c.sleep);
    EXPECT_EQ(AutoUpdateTimerCount(), c.count);
  }
  ResetAgentState();
}

}  // namespace
