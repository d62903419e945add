#include "launcher/modes.h"

#include "text/paths.h"
#include "text/utils.h"

namespace vx {

String FolderPart(const String& path) {
  size_t p = path.find_last_of("\\/:");
  return p == String::npos ? String() : path.substr(0, p + 1);
}

String NameWithoutExt(const String& name) {
  size_t p = name.rfind('.');
  return p == String::npos ? name : name.substr(0, p);
}

bool IsAgentLauncherMode(const ModeInputs& in) {
  return in.agentFlag && SameTextTrim(FileNamePart(in.ownPath), in.agentExeName);
}

bool IsAgentCopyMode(const ModeInputs& in) {
  return in.agentFlag && SameTextTrim(FileNamePart(in.ownPath), "X_" + in.agentExeName);
}

bool IsSpanRelayMode(const ModeInputs& in) {
  return !IsAgentLauncherMode(in) && !IsAgentCopyMode(in) && in.spanFlag && in.spanCdLvl == 1;
}

bool IsSpanCopyMode(const ModeInputs& in) { return in.spanCdLvl == 2; }

RunMode DecideRunMode(const ModeInputs& in) {
  if (IsAgentLauncherMode(in)) return RunMode::AgentLauncher;
  if (IsAgentCopyMode(in)) return RunMode::AgentCopy;
  if (IsSpanRelayMode(in)) return RunMode::SpanRelay;
  return RunMode::Installer;
}

String WindowClassNameFor(bool agentFlag, const String& ownPath) {
  if (agentFlag) return ".AutoUpdate." + NameWithoutExt(FileNamePart(ownPath));
  return ownPath;
}

String AgentCopyClassName(const String& agentExeName) {
  return ".AutoUpdate.X_" + NameWithoutExt(agentExeName);
}

String WorkFolderName(const String& tempDir, bool haveFileTime, uint32_t dosDateTime, uint32_t agentPid) {
  uint32_t word = haveFileTime ? (dosDateTime & 0xFFFFu) : 65535u;
  String name = tempDir + "SETUP_" + IntText(word);
  if (agentPid != 0) name += "_" + IntText(agentPid);
  return name;
}

}  // namespace vx
