// Command lines the launcher starts other programs with, and the control messages it forwards
// to a running agent copy (portable).
#pragma once
#include <cstdint>

#include "launcher/remote.h"
#include "text/str.h"

namespace vx {
constexpr uint32_t kCommandCheckNow = 31;  // 1125 command: check for an update now
}  // namespace vx

namespace vx {

// Handshake names shared with the setup program.
String ThreadTag(uint32_t threadId);                  // "_" + id
String CompletionAtomName(const String& threadTag);
String SetupDialogClass(const String& threadTag);
String OriginExeValue(const String& ownPath);    // blanks written as "*"

struct SetupCommand {
  String programPath;  // work folder + "\" + program name
  String commandLine;  // quoted program path, parameters, handshake switches
};

// Whether a C runtime splitting text into arguments would end inside a quoted argument: a
// double quote opens or closes quoting unless an odd number of backslashes stands before it.
bool EndsInsideQuotes(const String& text);
// text, closed with a double quote when it ends inside quotes (trailing backslashes doubled, so
// they keep their meaning), so that what follows it on a command line is an argument of its own.
String CloseOpenQuote(const String& text);
// " " + name + value as one argument: the value is quoted when it holds a blank, a tab or a "/"
// (which would also end it for the switch reader); double quotes inside it are dropped.
String SwitchArgument(const char* name, const String& value);

// The setup's command line from the package's run command ("name*extra parameters") and the
// launcher's command tail. The program path is quoted so that blanks in the work folder
// cannot make the system start a different program; the tail and the package's parameters
// are passed on as they are (an unclosed quote is closed), so every handshake switch is an
// argument of its own for a setup that splits its command line.
SetupCommand BuildSetupCommand(const String& workFolder, const String& runCommand,
                               const String& commandTail, const String& threadTag,
                               const String& ownPath, bool agentFlag);

// The span relay copy: quoted relay path, tail (when there is one), then the relay switches
// with the first piece's path quoted.
String RelayCommandLine(const String& relayPath, const String& commandTail,
                        const String& ownPath);

// Parameters for the agent copy: " /TRANSIENTx=" and " /SleepX=", each when its source has a
// value, each one argument (SwitchArgument).
String AgentCopyParameters(const String& transientValue, const String& delayValue);

// The agent's restart after an update: the agent launcher (folder + agentExeName, quoted), told
// to make a fresh copy after 3 s and to hand it the transient flags.
String RelaunchCommandLine(const String& folder, const String& agentExeName,
                           const String& transientText);

struct ControlMessage {
  uint32_t msg;
  int32_t wParam;
  int32_t lParam;
  bool operator==(const ControlMessage& o) const {
    return msg == o.msg && wParam == o.wParam && lParam == o.lParam;
  }
};

// At most four messages, in the order they are posted.
struct ControlMessages {
  ControlMessage items[4];
  int count = 0;
  const ControlMessage* begin() const { return items; }
  const ControlMessage* end() const { return items + count; }
};

// The messages "/STOP=", "/WM_MSG=" and "/TEST=" turn into.
ControlMessages ControlMessagesFor(int64_t stop, const String& wmMsg, int64_t test,
                                               bool agentWindowExisted);

}  // namespace vx
