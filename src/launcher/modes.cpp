#include "launcher/modes.h"

#include "env/utils.h"

namespace vx {

std::string FileNamePart(const std::string& path) {
  size_t p = path.find_last_of("\\/:");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string FolderPart(const std::string& path) {
  size_t p = path.find_last_of("\\/:");
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string NameWithoutExt(const std::string& name) {
  size_t p = name.rfind('.');
  return p == std::string::npos ? name : name.substr(0, p);
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

std::string WindowClassNameFor(bool agentFlag, const std::string& ownPath) {
  if (agentFlag) return ".AutoUpdate." + NameWithoutExt(FileNamePart(ownPath));
  return ownPath;
}

std::string AgentCopyClassName(const std::string& agentExeName) {
  return ".AutoUpdate.X_" + NameWithoutExt(agentExeName);
}

std::string WorkFolderName(const std::string& tempDir, bool haveFileTime, uint32_t dosDateTime) {
  uint32_t word = haveFileTime ? (dosDateTime & 0xFFFFu) : 65535u;
  return tempDir + "SETUP_" + IntText(word);
}

}  // namespace vx
