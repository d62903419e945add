// Runs an outside program (the code signer) with an argument list, gives it text on its standard
// input and collects what it writes on its standard output and error.
#pragma once
#include <string>
#include <vector>

namespace vxpack {

struct ToolRun {
  bool started = false;  // false: the program was not found or could not be started
  int exitCode = -1;
  std::string output;  // standard output and standard error, interleaved as written
};

// program is a name looked up in the PATH, or a path. The arguments are passed as they are (no
// shell); input is written to the program's standard input, which is then closed.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& input);

// True when program is found: a path to an existing file, or a name in one of the PATH's folders.
bool ToolExists(const std::string& program);

}  // namespace vxpack
