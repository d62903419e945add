#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/agent_host.h"
#include "agent/agent_state.h"
#include "agent/schedule.h"
#include "agent/settings.h"
#include "agent_host_fake.h"
#include "fake_platform.h"
#include "launcher/commands.h"
#include "launcher/remote.h"
#include "settings_fake.h"
#include "text/utils.h"

using namespace vx;
using vxtest::FakeAgentHost;
using vxtest::FakePlatform;
using vxtest::FakeSettingsStore;
using vxtest::SettingsFixtureScope;

namespace {

// Fresh settings, host, platform and agent state for one case.
struct AgentScope {
  FakePlatform platform;
  FakeSettingsStore store;
  SettingsFixtureScope settings{store};
  FakeAgentHost host;
  AgentScope() {
    ResetAgentState();
    SetStopRequest(-1);
  }
  ~AgentScope() {
    ResetAgentState();
    SetStopRequest(-1);
  }
};

TEST(AgentSchedule, ShotTimeStatusDecides) {
  struct Case {
    const char* name;
    const char* interval;  // nullptr: missing
    int64_t lastAgo;       // ProbeSecondsLast = now - lastAgo
    bool testMode;
    bool probing;
    bool checkNow;
    int32_t status;
  };
  const Case cases[] = {
      {"interval passed", "3600", 3600, false, true, false, 1},
      {"interval not passed", "3600", 3599, false, true, false, 0},
      {"missing interval: once", nullptr, 0, false, true, false, 2},
      {"interval 0: once", "0", 0, false, true, false, 2},
      {"interval 0, last in the future", "0", -10, false, true, false, 0},
      {"interval -1: never", "-1", 100000, false, true, false, 0},
      {"interval -1, check now", "-1", 0, false, true, true, 1},
      {"probing off", "3600", 7200, false, false, false, 0},
      {"probing off, check now", "3600", 0, false, false, true, 1},
      {"last in the future", "60", -100, false, true, false, 0},
      {"test mode: every 5 s", "3600", 5, true, true, false, 1},
      {"test mode: 4 s is early", "3600", 4, true, true, false, 0},
      {"test mode keeps 0 as once", "0", 5, true, true, false, 2},
      {"test mode keeps -1", "-1", 5, true, true, false, 0},
      {"check now with interval 0", "0", 0, false, true, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AgentScope s;
    if (c.interval) s.store.SetOriginal("ProbeSecondsInterval", c.interval);
    s.store.SetOriginal("ProbeSecondsLast", std::string(IntText(NowSeconds() - c.lastAgo)));
    if (c.testMode) s.host.registry["TestMode"] = "1";
    ReadTestMode(true);
    SetProbingEnabled(c.probing);
    SetCheckNow(c.checkNow);
    EXPECT_EQ(ShotTimeStatus(), c.status);
    EXPECT_FALSE(CheckNow());
  }
}

// ProbeSecondsLast and ProbeSecondsInterval come from a settings file: their sum is taken as the
// number it is, without wrapping round, so a last check in the far future never makes one due.
TEST(AgentSchedule, ProbeTimesAtTheEndsOfTheRange) {
  constexpr int64_t kMax = INT64_MAX, kMin = INT64_MIN;
  struct Case {
    const char* name;
    int64_t last;  // 1 stands for now (the fake clock's)
    int64_t interval;
    int32_t status;
  } const cases[] = {
      {"last in the far future", kMax - 10, 100, 0},
      {"both at the top", kMax, kMax, 0},
      {"now and the largest interval", 1, kMax, 0},
      {"far past, an hour", kMin + 5, 3600, 1},
      {"lowest last, largest interval", kMin, kMax, 1},
      {"far past, lowest interval", kMin, kMin, 1},
      {"far future, lowest interval", kMax, kMin, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AgentScope s;
    s.store.SetOriginal("ProbeSecondsInterval", std::string(IntText(c.interval)));
    s.store.SetOriginal("ProbeSecondsLast", std::string(IntText(c.last == 1 ? NowSeconds() : c.last)));
    ReadTestMode(true);
    SetProbingEnabled(true);
    EXPECT_EQ(ShotTimeStatus(), c.status);
  }
}

// Runs ticks through the portable steps, as the Win32 tick does around the check; returns per
// tick: 'q' quit posted, the decision digit, 'a' asked.
std::string RunTicks(int ticks) {
  std::string out;
  for (int i = 0; i < ticks; ++i) {
    TickPlan plan;
    if (!BeginAgentTick(plan)) {
      out += "-";
      continue;
    }
    if (plan.quit) out += "q";
    out += std::to_string(plan.status);
    if (plan.ask) out += "a";
    EndAgentTick();
    out += " ";
  }
  return out;
}

TEST(AgentSchedule, TicksCountDownStartDecideAndStop) {
  struct Case {
    const char* name;
    const char* interval;
    int64_t sleep;       // "/SleepX=", -1: none
    int32_t stop;        // stop request before the first tick
    int32_t askFlag;     // transient AskBeforeCheck
    int ticks;
    const char* expected;
  };
  const Case cases[] = {
      {"first decision on the fourth tick, once", "0", -1, -1, 255, 6, "0 0 0 2 0 0 "},
      {"every tick once the interval passed", "-100", -1, -1, 255, 5, "0 0 0 1 1 "},
      {"never on schedule", "-1", -1, -1, 255, 5, "0 0 0 0 0 "},
      {"sleep 1", "0", 1, -1, 255, 3, "0 2 0 "},
      {"sleep 0", "0", 0, -1, 255, 2, "2 0 "},
      {"stop 0 ends on the next tick", "0", -1, 0, 255, 2, "q0 0 "},
      {"stop 2 ends on the third tick", "0", -1, 2, 255, 4, "0 0 q0 2 "},
      {"ask before check", "0", -1, -1, 1, 5, "0 0 0 2a 0 "},
      {"ask flag 0 does not ask", "0", -1, -1, 0, 4, "0 0 0 2 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AgentScope s;
    s.store.SetOriginal("ProbeSecondsInterval", c.interval);
    s.store.SetOriginal("ProbeSecondsLast", std::string(IntText(NowSeconds())));
    ApplySleepSwitch(c.sleep);
    SetStopRequest(c.stop);
    SetTransientFlag(1, c.askFlag);
    EXPECT_EQ(RunTicks(c.ticks), c.expected);
    EXPECT_EQ(ActivityState(), 0);
  }
}

TEST(AgentSchedule, StopByCommandAndMessageIsReadByTheTick) {
  AgentScope s;
  s.store.SetOriginal("ProbeSecondsInterval", "-1");
  EXPECT_EQ(RunTicks(2), "0 0 ");
  RunRemoteCommand(30, 1);  // command 30: stop after one more tick
  EXPECT_EQ(RunTicks(3), "0 q0 0 ");
  EXPECT_EQ(StopRequest(), -1);
  SetStopRequest(0);  // message 1123 with 0
  EXPECT_EQ(RunTicks(1), "q0 ");
}

TEST(AgentSchedule, InteractiveRequestSkipsTheDelayAndAsks) {
  AgentScope s;
  s.store.SetOriginal("ProbeSecondsInterval", "-1");
  RunRemoteCommand(31, 2);
  EXPECT_EQ(InteractiveState(), 2);
  EXPECT_EQ(RunTicks(1), "1a ");  // counter reset: decided at once, asked first
  EXPECT_EQ(InteractiveState(), 0);
  EXPECT_EQ(AutoUpdateTimerCount(), 1);
  RunRemoteCommand(31, 1);  // plain check request: not interactive, not asked
  EXPECT_EQ(RunTicks(2), "1 0 ");
}

TEST(AgentSchedule, BusyTicksDoNothingAndARequestMadeMeanwhileSurvives) {
  AgentScope s;
  s.store.SetOriginal("ProbeSecondsInterval", "-1");
  SetAutoUpdateTimerCount(5);
  TickPlan plan;
  ASSERT_TRUE(BeginAgentTick(plan));
  SetActivityState(1);
  EXPECT_TRUE(AgentTickBusy());
  EXPECT_EQ(RunTicks(2), "--");
  RunRemoteCommand(31, 2);  // arrives while the check runs
  EndAgentTick();
  EXPECT_FALSE(AgentTickBusy());
  EXPECT_EQ(ActivityState(), 0);
  EXPECT_EQ(InteractiveState(), 2);
  EXPECT_EQ(RunTicks(1), "1a ");
}

TEST(AgentSchedule, TicksAreTraced) {
  AgentScope s;
  s.store.SetOriginal("ProbeSecondsInterval", "0");
  RunTicks(4);
  const std::string trace = s.platform.Trace();
  EXPECT_NE(trace.find("4242 AutoUpdateTimerCount=-2"), std::string::npos);
  EXPECT_NE(trace.find("4242 AutoUpdateTimerCount=1"), std::string::npos);
  EXPECT_NE(trace.find("4242 ShotTimeStatus=2"), std::string::npos);
  EXPECT_EQ(trace.find("ShotTimeStatus=0"), std::string::npos);
}

TEST(AgentSchedule, QuestionBeforeACheck) {
  const std::string note = "<P><P><T><B>PLEASE NOTE</B> - You are now running in <B>Test Mode</B>!";
  struct Case {
    const char* location;
    bool testMode;
    std::string question;
  };
  const Case cases[] = {
      {"http://host/upd", false, "Check PROG? App 2 online. Go?"},
      {"\\\\srv\\upd", false, "Check PROG? App 2 online. Go?"},
      {"C:\\upd", false, "Check PROG? App 2 Go?"},
      {"C", false, "Check PROG? App 2 Go?"},
      {"", true, "Check PROG? App 2 Go?" + note},
      {"\\\\srv\\test", true, "Check PROG? App 2 online. Go?" + note},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    AgentScope s;
    s.store.values[FakeSettingsStore::Key(FakeSettingsStore::kOriginal, "AutoUpdate", "s22")] = "Check PROG? PROG_NAME ";
    s.store.values[FakeSettingsStore::Key(FakeSettingsStore::kOriginal, "AutoUpdate", "s23")] = "online. ";
    s.store.values[FakeSettingsStore::Key(FakeSettingsStore::kOriginal, "AutoUpdate", "s24")] = "Go?";
    s.store.SetOriginal("ProgramName", "App 2");
    EXPECT_EQ(ConfirmShotQuestion(c.location, c.testMode), c.question);
  }
}

TEST(AgentRelaunch, CommandLineQuotesTheAgentPath) {
  struct Case {
    const char* folder;
    const char* agent;
    const char* flags;
    const char* line;
  };
  const Case cases[] = {
      {"C:\\Program Files\\App\\", "Agent.exe", "|255|1|0|0|0|255|",
       "\"C:\\Program Files\\App\\Agent.exe\" /_ZZ=99 /WAIT=3 /TRANSIENT=|255|1|0|0|0|255|"},
      {"C:\\App\\", "Agent.exe", "|255|255|255|255|255|255|",
       "\"C:\\App\\Agent.exe\" /_ZZ=99 /WAIT=3 /TRANSIENT=|255|255|255|255|255|255|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(RelaunchCommandLine(c.folder, c.agent, c.flags), c.line);
  }
}

}  // namespace
