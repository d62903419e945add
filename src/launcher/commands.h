// Command lines the launcher starts other programs with, and the control messages it forwards
// to a running agent copy (portable).
#pragma once
#include <cstdint>
#include <vector>

#include "env/str.h"
#include "launcher/remote.h"

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

// The setup's command line from the package's run command ("name*extra parameters") and the
// launcher's command tail. The program path is quoted so that blanks in the work folder
// cannot make the system start a different program.
SetupCommand BuildSetupCommand(const String& workFolder, const String& runCommand,
                               const String& commandTail, const String& threadTag,
                               const String& ownPath, bool agentFlag);

// The span relay copy: quoted relay path, tail, then the relay switches with the first piece's
// path quoted.
String RelayCommandLine(const String& relayPath, const String& commandTail,
                        const String& ownPath);

// Parameters for the agent copy: " /TRANSIENTx=" and " /SleepX=", each when its source has a value.
String AgentCopyParameters(const String& transientValue, const String& delayValue);

struct ControlMessage {
  uint32_t msg;
  int32_t wParam;
  int32_t lParam;
  bool operator==(const ControlMessage& o) const {
    return msg == o.msg && wParam == o.wParam && lParam == o.lParam;
  }
};

// The messages "/STOP=", "/WM_MSG=" and "/TEST=" turn into, in the order they are posted.
std::vector<ControlMessage> ControlMessagesFor(int64_t stop, const String& wmMsg, int64_t test,
                                               bool agentWindowExisted);

}  // namespace vx
