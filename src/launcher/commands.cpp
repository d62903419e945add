#include "launcher/commands.h"

#include "env/utils.h"

namespace vx {

std::string ThreadTag(uint32_t threadId) { return "_" + IntText(threadId); }

std::string CompletionAtomName(const std::string& threadTag) {
  return "AutoUpdateAtomTokenByVornix" + threadTag;
}

std::string SetupDialogClass(const std::string& threadTag) { return ".SDialog_Class_Name." + threadTag; }

std::string OriginExeValue(const std::string& ownPath) { return ReplaceAll(ownPath, " ", "*"); }

bool EndsInsideQuotes(const std::string& text) {
  bool quoted = false;
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '"' && backslashes % 2 == 0) quoted = !quoted;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  return quoted;
}

namespace {

// A closing quote after text: backslashes just before a quote escape it, so those at the end of
// text are doubled to stay what they were.
std::string WithClosingQuote(const std::string& text) {
  size_t backslashes = 0;
  while (backslashes < text.size() && text[text.size() - 1 - backslashes] == '\\') ++backslashes;
  return text + std::string(backslashes, '\\') + "\"";
}

}  // namespace

std::string CloseOpenQuote(const std::string& text) {
  return EndsInsideQuotes(text) ? WithClosingQuote(text) : text;
}

std::string SwitchArgument(const std::string& name, const std::string& value) {
  std::string v;
  for (char c : value)
    if (c != '"') v += c;
  if (v.find_first_of(" \t/") != std::string::npos) v = "\"" + WithClosingQuote(v);
  return " " + name + v;
}

SetupCommand BuildSetupCommand(const std::string& workFolder, const std::string& runCommand,
                               const std::string& commandTail, const std::string& threadTag,
                               const std::string& ownPath, bool agentFlag) {
  std::string program = runCommand;
  std::string parameters = CloseOpenQuote(Trim(commandTail));
  size_t star = runCommand.find('*');
  if (star != std::string::npos) {
    program = Trim(runCommand.substr(0, star));
    parameters = Trim(parameters + " " + CloseOpenQuote(Trim(runCommand.substr(star + 1))));
  }
  SetupCommand out;
  out.programPath = workFolder + "\\" + program;
  out.commandLine = "\"" + out.programPath + "\"";
  if (!parameters.empty()) out.commandLine += " " + parameters;
  out.commandLine += " /TH_ID=" + threadTag;
  out.commandLine += " /OriginExe=" + OriginExeValue(ownPath);
  if (agentFlag) out.commandLine += " /AutoUpdateProg";
  return out;
}

std::string RelayCommandLine(const std::string& relayPath, const std::string& commandTail,
                             const std::string& ownPath) {
  std::string line = "\"" + relayPath + "\"";
  const std::string tail = CloseOpenQuote(Trim(commandTail));
  if (!tail.empty()) line += " " + tail;
  return line + " /SpanCdLvl=2 /SpanDiskFName1=\"" + ownPath + ".001\"";
}

std::string AgentCopyParameters(const std::string& transientValue, const std::string& delayValue) {
  std::string p;
  if (!transientValue.empty()) p += SwitchArgument("/TRANSIENTx=", transientValue);
  if (!delayValue.empty()) p += SwitchArgument("/SleepX=", delayValue);
  return p;
}

std::vector<ControlMessage> ControlMessagesFor(int64_t stop, const std::string& wmMsg, int64_t test,
                                               bool agentWindowExisted) {
  std::vector<ControlMessage> out;
  if (stop >= 0) out.push_back({kMsgStopRequest, static_cast<int32_t>(stop), 0});
  if (!wmMsg.empty()) {
    std::string list = ":" + wmMsg + ":";
    int64_t w = 0, m = 0;
    if (!TextToInt64(ListItem(list, 0, ""), w)) w = 0;
    if (!TextToInt64(ListItem(list, 1, ""), m)) m = 0;
    out.push_back({kMsgSubscribe, static_cast<int32_t>(w), static_cast<int32_t>(m)});
  }
  if (test >= 0) {
    out.push_back({kMsgCommand, static_cast<int32_t>(kCommandCheckNow), static_cast<int32_t>(test)});
    if (!agentWindowExisted) out.push_back({kMsgStopRequest, 2, 0});
  }
  return out;
}

}  // namespace vx
