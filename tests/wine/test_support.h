// Shared support of the Windows tests: folders, child processes, a trace viewer window.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace vxtest {

std::string TestBinDir();                        // folder of wine_tests.exe, trailing backslash
// The launcher as shipped (32-bit), for checks of the file itself; the test tree's own
// vxstub.exe is the one the tests run, which is a 64-bit build on machines without 32-bit support.
std::string ShippedLauncher();
std::string FreshTempDir(const std::string& name);  // an empty folder under the temp folder
bool CopyFileTo(const std::string& from, const std::string& to);
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// A text file's lines without their CR LF (a log the fixtures write).
std::vector<std::string> LogLines(const std::string& path);
// The value of the first "key=value" line, empty when there is none.
std::string LogValue(const std::vector<std::string>& lines, const std::string& key);

// Sets TMP and TEMP for the programs this process starts (their temporary folder, so their work
// folders go there); the old values come back at the end. An empty folder changes nothing.
class TempFolderOverride {
 public:
  explicit TempFolderOverride(const std::string& folder);
  ~TempFolderOverride();
  TempFolderOverride(const TempFolderOverride&) = delete;
  TempFolderOverride& operator=(const TempFolderOverride&) = delete;

 private:
  bool active_;
  std::vector<std::string> saved_;
};

// Pumps this thread's messages (sent ones included) for ms milliseconds.
void PumpFor(DWORD ms);
// Pumps until pred() is true or timeoutMs passes; returns pred()'s last value.
template <typename Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return pred();
    PumpFor(10);
  }
  return true;
}

struct ProcessResult {
  bool started = false;
  bool finished = false;
  DWORD exitCode = 0;
  DWORD processId = 0;
};
// Starts a command line and waits (pumping messages) until it ends or timeoutMs passes;
// a process still running then is terminated and reported as not finished.
ProcessResult RunAndWait(const std::string& commandLine, DWORD timeoutMs, const std::string& dir = "");
HANDLE StartProcess(const std::string& commandLine, const std::string& dir = "");

// An agent copy deletes its own file after it ended, through a batch file in the temp folder.
// Pumps until the file is gone and that batch is done with it (or timeoutMs passes); true when
// it is. Wine's interpreter cannot always delete the batch it runs; a batch left closed counts
// as done.
bool WaitForSelfDeletion(const std::string& exePath, DWORD timeoutMs);

// Sets an environment variable of this process (and so of the processes it starts) for the
// life of the object; the old value (or its absence) comes back afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const std::string& name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

// A top-level window of the class owned by another process (visible ones only, when asked).
HWND FindForeignWindow(const std::string& cls, bool visibleOnly);
// A visible top-level window of the class owned by another process, waited for while pumping; null
// when none appears within timeoutMs.
HWND WaitForForeignWindow(const std::string& cls, DWORD timeoutMs);
// The texts of a window and all its descendants, joined with line feeds.
std::string AllTexts(HWND window);
// The launcher's message box ("VMsgBox" class).
constexpr const char* kMessageBoxClass = "VMsgBox";
// The child window (of any depth) with that text, such as a box's button; null when none.
HWND ChildButton(HWND window, const std::string& caption);
// Clicks the button of that caption in a box, or closes the box when there is none (or the
// caption is empty); posted, so it also serves from inside a timer callback.
void PressOrClose(HWND box, const std::string& caption);
// PressOrClose, then waits until the box is gone.
void AnswerBox(HWND box, const std::string& caption);
// Waits for the next launcher message box of another process, answers it as AnswerBox does and
// returns its texts; "<no box>" when none appears.
std::string AnswerNextBox(const std::string& caption);

// A window of the test that collects the (wParam, lParam) of every message it gets with one
// message id: a subscriber to the agent's notifications.
class NotificationClient {
 public:
  NotificationClient(const char* className, UINT message);
  ~NotificationClient();
  HWND handle() const { return wnd_; }
  std::vector<std::pair<WPARAM, LPARAM>> received;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp);
  HWND wnd_ = nullptr;
  UINT message_;
};

// A window of class ".VDebug." in the calling thread that collects trace chunks.
class TraceViewer {
 public:
  TraceViewer();
  ~TraceViewer();
  const std::vector<std::string>& Chunks() const { return chunks_; }
  std::vector<std::string> Lines() const;  // chunks joined and split at line feeds
  bool HasLineContaining(const std::string& text) const;
  void Clear() { chunks_.clear(); }

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  HWND wnd_ = nullptr;
  std::vector<std::string> chunks_;
};

// This process's trace channel open to the viewers while the object exists: the running system is
// the platform then (the launcher's start-up), and a platform without a viewer afterwards, so that
// trace lines of code run by other tests never reach their viewers.
class TraceChannelHere {
 public:
  TraceChannelHere();
  ~TraceChannelHere();
  TraceChannelHere(const TraceChannelHere&) = delete;
  TraceChannelHere& operator=(const TraceChannelHere&) = delete;
};

}  // namespace vxtest
