// Run-mode decision of the launcher: which role this start plays (portable).
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

enum class RunMode { AgentLauncher, AgentCopy, SpanRelay, Installer };

// What the decision looks at: the own package's flags, the program's own path and the
// "/SpanCdLvl=" switch.
struct ModeInputs {
  bool agentFlag = false;
  bool spanFlag = false;
  String ownPath;       // argument 0: the running program's full path
  String agentExeName;  // settings list item 2
  int64_t spanCdLvl = 1;
};

String FolderPart(const String& path);      // up to and including the last separator
String NameWithoutExt(const String& name);  // before the last "."

bool IsAgentLauncherMode(const ModeInputs& in);
bool IsAgentCopyMode(const ModeInputs& in);
bool IsSpanRelayMode(const ModeInputs& in);
bool IsSpanCopyMode(const ModeInputs& in);
RunMode DecideRunMode(const ModeInputs& in);

// The stub window's class, also the single-instance key.
String WindowClassNameFor(bool agentFlag, const String& ownPath);
// Class of a running agent copy of the product whose agent is agentExeName.
String AgentCopyClassName(const String& agentExeName);
// temp (with trailing backslash) + "SETUP_" + the time-of-day word of the file's DOS date-time.
// An agent is built with its installer's file time, so an agent process (agentPid, its process
// id; 0 for the other roles) adds "_" + that id: it never shares, and never clears, the folder of
// an installer whose setup is still running, nor that of another agent copy.
String WorkFolderName(const String& tempDir, bool haveFileTime, uint32_t dosDateTime, uint32_t agentPid = 0);

}  // namespace vx
