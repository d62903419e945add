#include "test_support.h"

#include "system/debug.h"
#include "system/platform_win.h"

namespace vxtest {

std::string TestBinDir() {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string p(buf, n);
  return p.substr(0, p.find_last_of('\\') + 1);
}

std::string ShippedLauncher() {
  char buf[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("VX_SHIPPED_LAUNCHER", buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return std::string(buf, n);
  return TestBinDir() + "vxstub.exe";
}

static void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = fd.cFileName;
      if (n == "." || n == "..") continue;
      std::string p = dir + "\\" + n;
      SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(p);
      else
        DeleteFileA(p.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

std::string FreshTempDir(const std::string& name) {
  char buf[MAX_PATH];
  GetTempPathA(MAX_PATH, buf);
  std::string dir = std::string(buf) + "vxtest_" + name;
  RemoveTree(dir);
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + "\\";
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
  CloseHandle(h);
  return ok;
}

std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> out;
  const std::string all = ReadWholeFile(path);
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] != '\n') continue;
    std::string line = all.substr(start, i - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
    start = i + 1;
  }
  return out;
}

std::string LogValue(const std::vector<std::string>& lines, const std::string& key) {
  for (const auto& l : lines)
    if (l.compare(0, key.size() + 1, key + "=") == 0) return l.substr(key.size() + 1);
  return std::string();
}

TempFolderOverride::TempFolderOverride(const std::string& folder) : active_(!folder.empty()) {
  if (!active_) return;
  for (const char* name : {"TMP", "TEMP"}) {
    char buf[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA(name, buf, MAX_PATH);
    saved_.push_back(n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string());
    SetEnvironmentVariableA(name, folder.c_str());
  }
}

TempFolderOverride::~TempFolderOverride() {
  if (!active_) return;
  const char* names[] = {"TMP", "TEMP"};
  for (size_t i = 0; i < saved_.size(); ++i)
    SetEnvironmentVariableA(names[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
}

void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    DWORD spent = GetTickCount() - start;
    if (spent >= ms) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
  }
}

bool WaitForSelfDeletion(const std::string& exePath, DWORD timeoutMs) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string batch = std::string(temp) + "_DEL_ME_.BAT";
  // The batch is at work on this file while it names it and its interpreter holds it open.
  const auto deleting = [&] {
    if (ReadWholeFile(batch).find(exePath) == std::string::npos) return false;
    HANDLE h = CreateFileA(batch.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return false;
  };
  return PumpUntil([&] { return GetFileAttributesA(exePath.c_str()) == INVALID_FILE_ATTRIBUTES && !deleting(); },
                   timeoutMs);
}

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::string& value) : name_(name) {
  char buf[32768];
  const DWORD n = GetEnvironmentVariableA(name.c_str(), buf, sizeof buf);
  had_ = n > 0 && n < sizeof buf;
  if (had_) old_.assign(buf, n);
  SetEnvironmentVariableA(name.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

HANDLE StartProcess(const std::string& commandLine, const std::string& dir) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = commandLine;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

ProcessResult RunAndWait(const std::string& commandLine, DWORD timeoutMs, const std::string& dir) {
  ProcessResult r;
  HANDLE h = StartProcess(commandLine, dir);
  if (h == nullptr) return r;
  r.started = true;
  r.processId = GetProcessId(h);
  DWORD start = GetTickCount();
  for (;;) {
    DWORD left = timeoutMs - (GetTickCount() - start);
    if (static_cast<int>(left) <= 0) break;
    DWORD w = MsgWaitForMultipleObjects(1, &h, FALSE, left, QS_ALLINPUT);
    if (w == WAIT_OBJECT_0) {
      r.finished = true;
      break;
    }
    PumpFor(0);
  }
  if (r.finished) {
    PumpFor(50);  // late trace lines sent just before the exit
    GetExitCodeProcess(h, &r.exitCode);
  } else {
    TerminateProcess(h, 99);
  }
  CloseHandle(h);
  return r;
}

namespace {

struct ForeignSearch {
  const std::string* cls;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindForeign(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<ForeignSearch*>(lp);
  char name[512] = {};
  GetClassNameA(w, name, sizeof name);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (lstrcmpiA(name, s->cls->c_str()) == 0 && pid != GetCurrentProcessId() && (!s->visibleOnly || IsWindowVisible(w))) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectText(HWND w, LPARAM lp) {
  auto* out = reinterpret_cast<std::string*>(lp);
  char buf[4096] = {};
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
  *out += buf;
  *out += "\n";
  return TRUE;
}

}  // namespace

HWND FindForeignWindow(const std::string& cls, bool visibleOnly) {
  ForeignSearch s{&cls, visibleOnly, nullptr};
  EnumWindows(FindForeign, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForForeignWindow(const std::string& cls, DWORD timeoutMs) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindForeignWindow(cls, true)) != nullptr; }, timeoutMs);
  return found;
}

std::string AllTexts(HWND window) {
  std::string out;
  CollectText(window, reinterpret_cast<LPARAM>(&out));
  EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&out));
  return out;
}

namespace {

struct ButtonSearch {
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK FindButton(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<ButtonSearch*>(lp);
  char text[64] = {};
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  if (*s->caption == text) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND ChildButton(HWND window, const std::string& caption) {
  ButtonSearch s{&caption, nullptr};
  EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void PressOrClose(HWND box, const std::string& caption) {
  HWND button = caption.empty() ? nullptr : ChildButton(box, caption);
  PostMessageA(button != nullptr ? button : box, button != nullptr ? BM_CLICK : WM_CLOSE, 0, 0);
}

void AnswerBox(HWND box, const std::string& caption) {
  PressOrClose(box, caption);
  PumpUntil([&] { return !IsWindow(box); }, 10000);
}

std::string AnswerNextBox(const std::string& caption) {
  HWND box = WaitForForeignWindow(kMessageBoxClass, 20000);
  if (box == nullptr) return "<no box>";
  const std::string text = AllTexts(box);
  AnswerBox(box, caption);
  return text;
}

// ---- NotificationClient ----

NotificationClient::NotificationClient(const char* className, UINT message) : message_(message) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  wnd_ = CreateWindowExA(0, className, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotificationClient::~NotificationClient() { DestroyWindow(wnd_); }

LRESULT CALLBACK NotificationClient::Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<NotificationClient*>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (self != nullptr && m == self->message_) {
    self->received.push_back({wp, lp});
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

// ---- TraceViewer ----

static UINT DebugMessageId() {
  static UINT id = RegisterWindowMessageA(".V_DebugMsg.");
  return id;
}

LRESULT CALLBACK TraceViewer::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == DebugMessageId() && msg != 0) {
    auto* self = reinterpret_cast<TraceViewer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    char name[300] = {};
    UINT n = GlobalGetAtomNameA(static_cast<ATOM>(lp), name, sizeof name);
    if (self != nullptr) self->chunks_.push_back(std::string(name, n));
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

TraceViewer::TraceViewer() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = ".VDebug.";
  RegisterClassA(&wc);
  wnd_ = CreateWindowExA(0, ".VDebug.", "test viewer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         wc.hInstance, nullptr);
  SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TraceViewer::~TraceViewer() {
  if (wnd_ != nullptr) DestroyWindow(wnd_);
  UnregisterClassA(".VDebug.", GetModuleHandleA(nullptr));
}

std::vector<std::string> TraceViewer::Lines() const {
  std::string all;
  for (const auto& c : chunks_) all += c;
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '\n') {
      lines.push_back(all.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < all.size()) lines.push_back(all.substr(start));
  return lines;
}

bool TraceViewer::HasLineContaining(const std::string& text) const {
  for (const auto& l : Lines())
    if (l.find(text) != std::string::npos) return true;
  return false;
}

TraceChannelHere::TraceChannelHere() {
  vx::SetPlatform(&vx::Win32Platform());
  vx::DebugOpen();
}

TraceChannelHere::~TraceChannelHere() {
  vx::DebugFlush();
  vx::SetPlatform(nullptr);
}

}  // namespace vxtest
