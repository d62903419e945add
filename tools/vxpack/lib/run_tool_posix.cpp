// Running an outside program on Linux: fork, pipes and exec, no shell.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "run_tool.h"

namespace vxpack {
namespace {

bool IsExecutable(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program's path: as given when it names a folder, else the first PATH folder that holds it.
std::string Locate(const std::string& program) {
  if (program.find('/') != std::string::npos) return IsExecutable(program) ? program : std::string();
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string dir = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + program;
    if (IsExecutable(candidate)) return candidate;
    start = end + 1;
  }
  return std::string();
}

void CloseBoth(int fds[2]) {
  if (fds[0] >= 0) close(fds[0]);
  if (fds[1] >= 0) close(fds[1]);
}

}  // namespace

bool ToolExists(const std::string& program) { return !Locate(program).empty(); }

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& input) {
  ToolRun run;
  const std::string path = Locate(program);
  if (path.empty()) return run;
  int in[2] = {-1, -1}, out[2] = {-1, -1};
  if (pipe(in) != 0 || pipe(out) != 0) {
    CloseBoth(in);
    CloseBoth(out);
    return run;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    CloseBoth(in);
    CloseBoth(out);
    return run;
  }
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(out[1], 2);
    CloseBoth(in);
    CloseBoth(out);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  run.started = true;
  // A program that ends without reading its input must not end this one.
  void (*oldPipe)(int) = signal(SIGPIPE, SIG_IGN);
  for (size_t done = 0; done < input.size();) {
    const ssize_t n = write(in[1], input.data() + done, input.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(in[1]);
  signal(SIGPIPE, oldPipe);
  char buf[4096];
  for (;;) {
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    run.output.append(buf, static_cast<size_t>(n));
  }
  close(out[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (run.exitCode == 127 && run.output.empty()) run.started = false;  // exec failed
  return run;
}

}  // namespace vxpack
