#include "launcher/program_start.h"

namespace vx {
namespace {

bool BeginsWith(const String& text, const String& head, size_t at) {
  return !head.empty() && text.compare(at, head.size(), head) == 0;
}

// Position after the blanks (and tabs) from pos on.
size_t SkipBlanks(const String& text, size_t pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  return pos;
}

}  // namespace

ProgramAndParameters SplitCommandLine(const String& commandLine, const String& programPath) {
  ProgramAndParameters out;
  size_t end;
  if (BeginsWith(commandLine, "\"" + programPath + "\"", 0)) {
    out.file = programPath;
    end = programPath.size() + 2;
  } else if (BeginsWith(commandLine, programPath, 0) &&
             (commandLine.size() == programPath.size() || commandLine[programPath.size()] == ' ' ||
              commandLine[programPath.size()] == '\t')) {
    out.file = programPath;
    end = programPath.size();
  } else if (!commandLine.empty() && commandLine[0] == '"') {
    const size_t close = commandLine.find('"', 1);
    end = close == String::npos ? commandLine.size() : close + 1;
    out.file = commandLine.substr(1, (close == String::npos ? commandLine.size() : close) - 1);
  } else {
    end = commandLine.find_first_of(" \t");
    if (end == String::npos) end = commandLine.size();
    out.file = commandLine.substr(0, end);
  }
  out.parameters = commandLine.substr(SkipBlanks(commandLine, end));
  return out;
}

}  // namespace vx
