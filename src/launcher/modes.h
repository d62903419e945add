// Run-mode decision of the launcher: which role this start plays (portable).
#pragma once
#include <cstdint>
#include <string>

namespace vx {

enum class RunMode { AgentLauncher, AgentCopy, SpanRelay, Installer };

// What the decision looks at: the own package's flags, the program's own path and the
// "/SpanCdLvl=" switch.
struct ModeInputs {
  bool agentFlag = false;
  bool spanFlag = false;
  std::string ownPath;       // argument 0: the running program's full path
  std::string agentExeName;  // settings list item 2
  int64_t spanCdLvl = 1;
};

std::string FileNamePart(const std::string& path);    // after the last backslash (or slash)
std::string FolderPart(const std::string& path);      // up to and including the last separator
std::string NameWithoutExt(const std::string& name);  // before the last "."

bool IsAgentLauncherMode(const ModeInputs& in);
bool IsAgentCopyMode(const ModeInputs& in);
bool IsSpanRelayMode(const ModeInputs& in);
bool IsSpanCopyMode(const ModeInputs& in);
RunMode DecideRunMode(const ModeInputs& in);

// The stub window's class, also the single-instance key.
std::string WindowClassNameFor(bool agentFlag, const std::string& ownPath);
// Class of a running agent copy of the product whose agent is agentExeName.
std::string AgentCopyClassName(const std::string& agentExeName);
// temp (with trailing backslash) + "SETUP_" + the time-of-day word of the file's DOS date-time.
std::string WorkFolderName(const std::string& tempDir, bool haveFileTime, uint32_t dosDateTime);

}  // namespace vx
