// The sample setup program of the demo: shows a small dialog for a few seconds (under the
// launcher's handshake dialog class), writes a report of what it was given, and reports
// completion to the launcher by removing the completion atom.
#include <windows.h>

#include <string>

#include "launcher/commands.h"
#include "system/winutil_win.h"
#include "text/switches.h"
#include "text/utils.h"

namespace {

std::string g_text;

LRESULT CALLBACK DialogProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    InflateRect(&r, -12, -12);
    DrawTextA(dc, g_text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

void CollectFiles(const std::string& root, const std::string& rel, std::string& out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((root + rel + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string n = fd.cFileName;
    if (n == "." || n == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectFiles(root, rel + n + "\\", out);
    else
      out += "  " + rel + n + " (" + vx::IntText(fd.nFileSizeLow) + " bytes)\r\n";
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  vx::InitCommandLineFromProcess();
  const std::string tag = vx::SwitchValue("/TH_ID=");
  const std::string exe = vx::ModulePath();
  const std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
  std::string files;
  CollectFiles(folder, "", files);
  g_text = "Sample setup is running from\r\n" + folder + "\r\n\r\nFiles it was given:\r\n" + files;

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  HANDLE report = CreateFileA((std::string(temp) + "vornix_sample_report.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
  if (report != INVALID_HANDLE_VALUE) {
    std::string text = "command line: " + vx::FullCommandLine() + "\r\nwork folder: " + folder + "\r\nfiles:\r\n" + files;
    DWORD put = 0;
    WriteFile(report, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(report);
  }

  const std::string cls = vx::SetupDialogClass(tag);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DialogProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = cls.c_str();
  RegisterClassA(&wc);
  HWND dlg = CreateWindowExA(0, cls.c_str(), "Vornix Sample Setup", WS_CAPTION | WS_SYSMENU,
                             (GetSystemMetrics(SM_CXSCREEN) - 420) / 2, (GetSystemMetrics(SM_CYSCREEN) - 240) / 2,
                             420, 240, nullptr, nullptr, instance, nullptr);
  ShowWindow(dlg, show);
  UpdateWindow(dlg);
  vx::Wait(3000, 20);
  DestroyWindow(dlg);

  ATOM atom = GlobalFindAtomA(vx::CompletionAtomName(tag).c_str());
  if (atom != 0) GlobalDeleteAtom(atom);
  return 0;
}
