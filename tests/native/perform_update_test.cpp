// The update's step sequence against an in-memory system: which questions are asked, which
// shut-down is applied, whether the setup runs and the program is restarted, what is recorded.
#include <gtest/gtest.h>

#include <string>

#include "agent/agent_state.h"
#include "agent/perform_update.h"
#include "agent/settings.h"
#include "fake_platform.h"
#include "launcher/remote.h"
#include "settings_fake.h"
#include "system/macros.h"
#include "text/utils.h"

using namespace vx;
using vxtest::FakePlatform;
using vxtest::FakeSettingsStore;
using vxtest::SettingsFixtureScope;

namespace {

constexpr const char* kFetched = "C:\\agent\\Setup2.exe";

// Records every outward step as text; the program runs until a shut-down it obeys, the last of
// a number of notices, or the end of the wait (the user closes it).
class FakeUpdateHost final : public UpdateHost {
 public:
  bool Ask(const String& text, bool heading) override {
    Log(std::string(heading ? "ask+H:" : "ask:") + text.c_str());
    const bool yes = next < answers.size() ? answers[next] == 'y' : true;
    ++next;
    return yes;
  }
  void Notice(const String& text, bool heading) override {
    Log(std::string(heading ? "note+H:" : "note:") + text.c_str());
    if (--noticesToEnd == 0) running = false;
  }
  bool FetchUpdate(const String& location, const String& name, String& path) override {
    Log(std::string("fetch:") + location.c_str() + "|" + name.c_str());
    if (fetchOk) path = kFetched;
    return fetchOk;
  }
  String ProgramPath(const String& text) override {
    return ReplaceAll(text, "<InstallDir>", InstallFolder());
  }
  bool IsRunning(const String& program) override {
    EXPECT_EQ(std::string(program.c_str()), "C:\\Prog\\app.exe");
    return running;
  }
  void Apply(ShutDown method, const String&) override {
    Log(method == ShutDown::Close ? "close" : method == ShutDown::Quit ? "quit" : "terminate");
    if (obeys) running = false;
  }
  void WaitForEnd(const String&) override {
    Log("wait");
    running = false;
  }
  bool RunSetup(const String& setupFile, const String& tail, bool foreground) override {
    Log(std::string("setup:") + setupFile.c_str() + (foreground ? "|fg" : "|bg"));
    this->tail = tail.c_str();
    return setupOk;
  }
  void Delete(const String& file) override { Log(std::string("del:") + file.c_str()); }
  void Start(const String& program) override { Log(std::string("start:") + program.c_str()); }

  void Log(const std::string& event) { events += (events.empty() ? "" : ";") + event; }

  std::string answers, events, tail;
  size_t next = 0;
  bool running = false, obeys = true, fetchOk = true, setupOk = true;
  int noticesToEnd = 0;
};

struct UpdateCase {
  const char* name;
  const char* location;  // DownloadURL_UPDATE
  const char* flags;     // switches on: D ConfirmDownload, I ConfirmInstall, B Background,
                         // F InformFinish, R Restart; X an interactive check
  const char* method;
  bool running;          // the program runs when the update starts
  bool obeys;            // it ends when the method is applied to it
  int noticesToEnd;      // it ends after this many notices (0: they do not end it)
  const char* answers;   // to the questions in turn ('y' once they run out)
  bool fetchOk, setupOk;
  const char* events;
  bool result;
  const char* versionOriginal;
  const char* steps;     // the numbers of the trace lines, in order
  const char* notes;     // the client notifications
};

// Shorthands of the expected events.
#define FETCH "fetch:http://srv/upd|..\\..\\Tools\\Setup2.exe;"
#define SETUP "setup:C:\\agent\\Setup2.exe|fg;del:C:\\agent\\Setup2.exe"
#define START ";start:C:\\Prog\\app.exe"
#define ALL_STEPS "4 5 6 7 8 9 10 11 12"
#define ALL_NOTES "41:1 41:2 42:1 42:2"

std::string StepsIn(const std::string& trace) {
  std::string steps;
  const std::string mark = " ==== PerformAutoUpdate-";
  for (size_t at = trace.find(mark); at != std::string::npos; at = trace.find(mark, at + 1)) {
    const size_t from = at + mark.size();
    steps += (steps.empty() ? "" : " ") + trace.substr(from, trace.find(' ', from) - from);
  }
  return steps;
}

TEST(PerformUpdate, StepsFollowTheSwitchesTheMethodAndTheProgramsState) {
  const UpdateCase cases[] = {
      {"close, restart question", "http://srv/upd", "FR", "Using WM_CLOSE", true, true, 0, "",
       true, true, FETCH "close;wait;" SETUP ";ask:Demo is new. Restart PROG_NAME?" START, true, "2",
       ALL_STEPS, ALL_NOTES},
      {"quit, restart without a notice", "http://srv/upd", "R", "Using WM_QUIT", true, true, 0,
       "", true, true, FETCH "quit;wait;" SETUP START, true, "2", ALL_STEPS, ALL_NOTES},
      {"terminate, no restart, finish notice", "http://srv/upd", "F", "Using Terminate Process",
       true, true, 0, "", true, true, FETCH "terminate;wait;" SETUP ";note:Demo is new.", true, "2",
       ALL_STEPS, ALL_NOTES},
      {"notices until the user closes it", "http://srv/upd", "R", "Issue a Message Box", true,
       false, 2, "", true, true,
       FETCH "note+H:Close app.exe!;note+H:Close app.exe!;wait;" SETUP START, true, "2", ALL_STEPS,
       ALL_NOTES},
      {"a program that ignores the close waits", "http://srv/upd", "R", "Using WM_CLOSE", true,
       false, 0, "", true, true, FETCH "close;wait;" SETUP START, true, "2", ALL_STEPS, ALL_NOTES},
      {"empty method only waits", "http://srv/upd", "R", "", true, false, 0, "", true, true,
       FETCH "wait;" SETUP START, true, "2", ALL_STEPS, ALL_NOTES},
      {"unknown method (other case) only waits", "http://srv/upd", "R", "using wm_close", true,
       true, 0, "", true, true, FETCH "wait;" SETUP START, true, "2", ALL_STEPS, ALL_NOTES},
      {"don't shut down: no wait, no restart", "http://srv/upd", "FR", "Don't Shut Down", true,
       true, 0, "", true, true, FETCH SETUP ";note:Demo is new.", true, "2", ALL_STEPS, ALL_NOTES},
      {"not running: nothing restarted", "http://srv/upd", "R", "Using WM_CLOSE", false, true, 0,
       "", true, true, FETCH "close;wait;" SETUP, true, "2", ALL_STEPS, ALL_NOTES},
      {"download declined", "http://srv/upd", "DR", "Using WM_CLOSE", true, true, 0, "n", true,
       true, "ask+H:Fetch Demo. Later?", false, "1", "4 5 12", ""},
      {"install declined", "http://srv/upd", "DIR", "Using WM_CLOSE", true, true, 0, "yn", true,
       true, "ask+H:Fetch Demo. Then install?;" FETCH "ask+H:Install Demo?", false, "1",
       "4 5 6 12", "41:1 41:2"},
      {"install asked alone", "http://srv/upd", "IR", "Using WM_CLOSE", true, true, 0, "", true,
       true, FETCH "ask+H:Install Demo?;close;wait;" SETUP START, true, "2", ALL_STEPS, ALL_NOTES},
      {"interactive: no questions, finish notice", "http://srv/upd", "DIX", "Using WM_CLOSE",
       true, true, 0, "", true, true, FETCH "close;wait;" SETUP ";note:Demo is new.", true, "2",
       ALL_STEPS, ALL_NOTES},
      {"background setup, questions still asked", "http://srv/upd", "DB", "Using WM_CLOSE", false,
       true, 0, "", true, true,
       "ask+H:Fetch Demo. Later?;" FETCH
       "close;wait;setup:C:\\agent\\Setup2.exe|bg;del:C:\\agent\\Setup2.exe",
       true, "2", ALL_STEPS, ALL_NOTES},
      {"restart declined", "http://srv/upd", "FR", "Using WM_CLOSE", true, true, 0, "n", true,
       true, FETCH "close;wait;" SETUP ";ask:Demo is new. Restart PROG_NAME?", true, "2", ALL_STEPS,
       ALL_NOTES},
      {"failed setup: no record, no notice, restarted", "http://srv/upd", "FR", "Using WM_CLOSE",
       true, true, 0, "", true, false, FETCH "close;wait;" SETUP START, false, "1", ALL_STEPS,
       ALL_NOTES},
      {"failed fetch: nothing shut down", "http://srv/upd", "FR", "Using WM_CLOSE", true, true, 0,
       "", false, true, "fetch:http://srv/upd|..\\..\\Tools\\Setup2.exe", false, "1", "4 5 6 12",
       "41:1 41:2"},
      {"no location: nothing at all", "", "DFR", "Using WM_CLOSE", true, true, 0, "", true, true,
       "", false, "1", "4 12", ""},
  };
  for (const UpdateCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    FakeSettingsStore store;
    SettingsFixtureScope scope(store);
    const std::string flags = c.flags;
    const auto on = [&](char f) { return flags.find(f) != std::string::npos ? "1" : "0"; };
    store.SetInfo("DownloadURL_UPDATE", c.location);
    store.SetInfo("NameOfUpdateFile", "..\\..\\Tools\\Setup2.exe");
    store.SetInfo("ProgramName", "Demo");
    store.SetInfo("VersionNew", "2");
    store.SetInfo("ShutDownMethod", c.method);
    store.SetInfo("RunningProcess", "<InstallDir>\\app.exe");
    store.SetInfo("RequestConfirmationBeforeDownload", on('D'));
    store.SetInfo("RequestConfirmationBeforeInstall", on('I'));
    store.SetInfo("BackgroundUpdate", on('B'));
    store.SetInfo("InformFinish", on('F'));
    store.SetInfo("RestartProcess", on('R'));
    store.SetOriginal("VersionOriginal", "1");
    store.values[FakeSettingsStore::Key(FakeSettingsStore::kOriginal, "Directories", "TargetDir")] = "C:\\Prog";
    const char* const texts[][2] = {{"s11", "Fetch PROG_NAME."}, {"s12", " Later?"},
                                    {"s13", " Then install?"},   {"s14", "Install PROG_NAME?"},
                                    {"s15", "Close PROG_NAME!"}, {"s16", "PROG_NAME is new."},
                                    {"s17", " Restart PROG_NAME?"}};
    for (const auto& t : texts)
      store.values[FakeSettingsStore::Key(FakeSettingsStore::kOriginal, "AutoUpdate", t[0])] = t[1];
    ResetAgentState();
    SetInteractiveState(on('X')[0] == '1' ? 1 : 0);
    SetClient(0x77, 0x8001);
    FakeUpdateHost host;
    host.running = c.running;
    host.obeys = c.obeys;
    host.noticesToEnd = c.noticesToEnd;
    host.answers = c.answers;
    host.fetchOk = c.fetchOk;
    host.setupOk = c.setupOk;

    EXPECT_EQ(PerformAutoUpdateWith(host), c.result);

    // s17 keeps its PROG_NAME; the setup and its deletion use the fetched file, not the name.
    EXPECT_EQ(host.events, c.events);
    EXPECT_EQ(store.Original("VersionOriginal"), c.versionOriginal);
    EXPECT_EQ(StepsIn(platform.Trace()), c.steps);
    std::string notes;
    for (const FakePlatform::Posted& p : platform.posted)
      if (p.window == 0x77 && p.message == 0x8001)
        notes += (notes.empty() ? "" : " ") + std::to_string(p.wParam) + ":" + std::to_string(p.lParam);
    EXPECT_EQ(notes, c.notes);
    if (!host.tail.empty()) {
      EXPECT_EQ(host.tail, std::string("/OriginalInfoFile=\"") + FakeSettingsStore::kInfo + "\"");
      EXPECT_EQ(ActivityState(), 3);
    }
    SetClient(0, 0);
    SetInstallFolders("", "", "");
  }
}

TEST(PerformUpdate, ShutDownMethodsCompareExactly) {
  const struct {
    const char* text;
    ShutDown method;
  } cases[] = {{"Issue a Message Box", ShutDown::Notice}, {"Using WM_CLOSE", ShutDown::Close},
               {"Using WM_QUIT", ShutDown::Quit},         {"Using Terminate Process", ShutDown::Terminate},
               {"Don't Shut Down", ShutDown::None},       {"", ShutDown::Wait},
               {"Using WM_CLOSE ", ShutDown::Wait},       {"dont shut down", ShutDown::Wait}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ShutDownFor(c.text), c.method);
  }
}

}  // namespace
