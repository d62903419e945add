// Running an outside program on Windows: CreateProcess with pipes for its standard handles.
#include <windows.h>

#include "run_tool.h"

namespace vxpack {
namespace {

// The program's path: SearchPath finds a name in the PATH (with ".exe" added when it has none).
std::string Locate(const std::string& program) {
  char buf[MAX_PATH + 1];
  const DWORD n = SearchPathA(nullptr, program.c_str(), ".exe", sizeof buf, buf, nullptr);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// One argument as the C runtime's parser reads it back: quoted, with backslashes before a quote
// doubled.
std::string Quoted(const std::string& arg) {
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    out.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(2 * slashes, '\\');
  out += '"';
  return out;
}

}  // namespace

bool ToolExists(const std::string& program) { return !Locate(program).empty(); }

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& input) {
  ToolRun run;
  const std::string path = Locate(program);
  if (path.empty()) return run;
  std::string command = Quoted(path);
  for (const std::string& a : args) command += " " + Quoted(a);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
  if (!CreatePipe(&inRead, &inWrite, &inherit, 0)) return run;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) {
    CloseHandle(inRead);
    CloseHandle(inWrite);
    return run;
  }
  SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inRead;
  si.hStdOutput = outWrite;
  si.hStdError = outWrite;
  PROCESS_INFORMATION pi = {};
  run.started =
      CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi) != 0;
  CloseHandle(inRead);
  CloseHandle(outWrite);
  if (run.started) {
    DWORD n = 0;
    if (!input.empty()) WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &n, nullptr);
  }
  CloseHandle(inWrite);
  if (run.started) {
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(outRead, buf, sizeof buf, &n, nullptr) && n > 0) run.output.append(buf, n);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    run.exitCode = static_cast<int>(code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(outRead);
  return run;
}

}  // namespace vxpack
