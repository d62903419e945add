#include "launcher/commands.h"

#include "text/utils.h"

namespace vx {

String ThreadTag(uint32_t threadId) { return "_" + IntText(threadId); }

String CompletionAtomName(const String& threadTag) {
  return "AutoUpdateAtomTokenByVornix" + threadTag;
}

String SetupDialogClass(const String& threadTag) { return ".SDialog_Class_Name." + threadTag; }

String OriginExeValue(const String& ownPath) { return ReplaceAll(ownPath, " ", "*"); }

bool EndsInsideQuotes(const String& text) {
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
String WithClosingQuote(const String& text) {
  size_t backslashes = 0;
  while (backslashes < text.size() && text[text.size() - 1 - backslashes] == '\\') ++backslashes;
  return text + String(backslashes, '\\') + "\"";
}

// Appends "path" and, when there are any, a blank and the arguments.
void AppendQuotedCommand(String& line, const String& path, const String& arguments) {
  line += '"';
  line += path;
  line += '"';
  if (!arguments.empty()) {
    line += ' ';
    line += arguments;
  }
}

}  // namespace

String CloseOpenQuote(const String& text) {
  return EndsInsideQuotes(text) ? WithClosingQuote(text) : text;
}

String SwitchArgument(const char* name, const String& value) {
  String v;
  for (char c : value)
    if (c != '"') v += c;
  if (v.find_first_of(" \t/") != String::npos) v = '"' + WithClosingQuote(v);
  String out(1, ' ');
  out += name;
  out += v;
  return out;
}

SetupCommand BuildSetupCommand(const String& workFolder, const String& runCommand,
                               const String& commandTail, const String& threadTag,
                               const String& ownPath, bool agentFlag) {
  String program = runCommand;
  String parameters = CloseOpenQuote(Trim(commandTail));
  size_t star = runCommand.find('*');
  if (star != String::npos) {
    program = Trim(runCommand.substr(0, star));
    parameters = Trim(parameters + " " + CloseOpenQuote(Trim(runCommand.substr(star + 1))));
  }
  SetupCommand out;
  out.programPath = workFolder;
  out.programPath += '\\';
  out.programPath += program;
  String& line = out.commandLine;
  AppendQuotedCommand(line, out.programPath, parameters);
  line += " /TH_ID=";
  line += threadTag;
  line += " /OriginExe=";
  line += OriginExeValue(ownPath);
  if (agentFlag) line += " /AutoUpdateProg";
  return out;
}

String RelayCommandLine(const String& relayPath, const String& commandTail,
                        const String& ownPath) {
  String line;
  AppendQuotedCommand(line, relayPath, CloseOpenQuote(Trim(commandTail)));
  line += " /SpanCdLvl=2 /SpanDiskFName1=\"";
  line += ownPath;
  line += ".001\"";
  return line;
}

String AgentCopyParameters(const String& transientValue, const String& delayValue) {
  String p;
  if (!transientValue.empty()) p += SwitchArgument("/TRANSIENTx=", transientValue);
  if (!delayValue.empty()) p += SwitchArgument("/SleepX=", delayValue);
  return p;
}

String RelaunchCommandLine(const String& folder, const String& agentExeName,
                           const String& transientText) {
  String line(1, '"');
  line += folder;
  line += agentExeName;
  line += "\" /_ZZ=99 /WAIT=3";
  line += SwitchArgument("/TRANSIENT=", transientText);
  return line;
}

ControlMessages ControlMessagesFor(int64_t stop, const String& wmMsg, int64_t test, bool agentWindowExisted) {
  ControlMessages out;
  auto add = [&out](uint32_t msg, int64_t wParam, int64_t lParam) {
    out.items[out.count++] = {msg, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam)};
  };
  if (stop >= 0) add(kMsgStopRequest, stop, 0);
  if (!wmMsg.empty()) {
    String list = ":" + wmMsg + ":";
    int64_t w = 0, m = 0;
    if (!TextToInt64(ListItem(list, 0, ""), w)) w = 0;
    if (!TextToInt64(ListItem(list, 1, ""), m)) m = 0;
    add(kMsgSubscribe, w, m);
  }
  if (test >= 0) {
    add(kMsgCommand, kCommandCheckNow, test);
    if (!agentWindowExisted) add(kMsgStopRequest, 2, 0);
  }
  return out;
}

}  // namespace vx
