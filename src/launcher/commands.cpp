#include "launcher/commands.h"

#include "env/utils.h"

namespace vx {

String ThreadTag(uint32_t threadId) { return "_" + IntText(threadId); }

String CompletionAtomName(const String& threadTag) {
  return "AutoUpdateAtomTokenByVornix" + threadTag;
}

String SetupDialogClass(const String& threadTag) { return ".SDialog_Class_Name." + threadTag; }

String OriginExeValue(const String& ownPath) { return ReplaceAll(ownPath, " ", "*"); }

SetupCommand BuildSetupCommand(const String& workFolder, const String& runCommand,
                               const String& commandTail, const String& threadTag,
                               const String& ownPath, bool agentFlag) {
  String program = runCommand;
  String parameters = commandTail;
  size_t star = runCommand.find('*');
  if (star != String::npos) {
    program = Trim(runCommand.substr(0, star));
    parameters = Trim(commandTail + " " + Trim(runCommand.substr(star + 1)));
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

String RelayCommandLine(const String& relayPath, const String& commandTail,
                        const String& ownPath) {
  return "\"" + relayPath + "\" " + commandTail + " /SpanCdLvl=2 /SpanDiskFName1=\"" + ownPath + ".001\"";
}

String AgentCopyParameters(const String& transientValue, const String& delayValue) {
  String p;
  if (!transientValue.empty()) p += " /TRANSIENTx=" + transientValue;
  if (!delayValue.empty()) p += " /SleepX=" + delayValue;
  return p;
}

std::vector<ControlMessage> ControlMessagesFor(int64_t stop, const String& wmMsg, int64_t test,
                                               bool agentWindowExisted) {
  std::vector<ControlMessage> out;
  if (stop >= 0) out.push_back({kMsgStopRequest, static_cast<int32_t>(stop), 0});
  if (!wmMsg.empty()) {
    String list = ":" + wmMsg + ":";
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
