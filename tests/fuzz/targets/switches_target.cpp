// Command-line switches, delimited lists and the command lines built from them. Fields (NUL
// separated): command line, module path, switch name, list, list value, then a list index byte.
#include <string>

#include "fuzz_input.h"
#include "fuzz_target.h"
#include "launcher/commands.h"
#include "text/switches.h"
#include "text/utils.h"

namespace {

constexpr const char* kName = "switches";

void CheckSwitches(const vx::String& commandLine, const vx::String& module, const vx::String& name) {
  const vx::String tail = vx::CommandTailOf(commandLine, module);
  VX_FUZZ_CHECK(kName, tail.size() <= commandLine.size(), "the tail is longer than the command line");
  const vx::String value = vx::SwitchValueIn(tail, name);
  const bool present = vx::SwitchPresentIn(tail, name);
  VX_FUZZ_CHECK(kName, present || value.empty(), "a value for a switch that is not there");
  VX_FUZZ_CHECK(kName, value.size() <= tail.size() || value == "TRUE", "a value longer than the tail");
  int64_t n = 0;
  if (vx::TextToInt64(value, n) && value != "TRUE")
    VX_FUZZ_CHECK(kName, vx::SwitchIntIn(tail, name, n ^ 1) == n, "a numeric value read differently");

  vx::SetCommandLineSource(commandLine, module);
  VX_FUZZ_CHECK(kName, vx::CommandTail() == tail && vx::SwitchValue(name.c_str()) == value,
                "the process-wide reader differs from the one on texts");
  vx::SetCommandLineSource("", "");

  // A text closed where it ends inside quotes is not inside them any more.
  VX_FUZZ_CHECK(kName, !vx::EndsInsideQuotes(vx::CloseOpenQuote(commandLine)), "a closed quote is still open");
  // A switch argument reads back as its value (a value without quotes or a closing backslash,
  // which the argument doubles) when the switch's name ends in "=" and holds no blank or quote.
  if (!name.empty() && static_cast<unsigned char>(name[0]) > ' ' && name.find_first_of(" \"") == vx::String::npos &&
      name.back() == '=' &&
      !value.empty() && value.find('"') == vx::String::npos && value.back() != '\\') {
    const vx::String arg = vx::Trim(vx::SwitchArgument(name.c_str(), value));
    VX_FUZZ_CHECK(kName, vx::SwitchValueIn(arg, name) == vx::Trim(value), "a switch argument does not read back");
  }
  vx::BuildSetupCommand("C:\\W", commandLine, tail, "_1", module, (name.size() & 1) != 0);
  vx::RelayCommandLine("C:\\W\\relay.exe", tail, module);
  vx::AgentCopyParameters(value, name);
  vx::ControlMessagesFor(n, value, static_cast<int64_t>(tail.size()), (name.size() & 2) != 0);
}

void CheckList(vx::String list, const vx::String& value, int index) {
  const int count = vx::ListCount(list);
  for (int i = -1; i <= count; ++i) vx::ListItem(list, i, "def");
  vx::ListValue(list, value, "def");
  const bool wellFormed = !list.empty() && list.front() == list.back() && list.size() > 1;
  const char separator = list.empty() ? '|' : list[0];  // an empty list becomes a "|" list
  const bool plain = !value.empty() && value.find(separator) == vx::String::npos;
  vx::ListSetItem(list, index, value);
  if (plain) {
    VX_FUZZ_CHECK(kName, vx::ListItem(list, index, "") == value, "a list item set does not read back");
    const int expected = wellFormed ? (count > index ? count : index + 1) : index + 1;
    VX_FUZZ_CHECK(kName, vx::ListCount(list) == expected, "setting an item changed the number of items");
  }
}

VX_FUZZ_TARGET(switches) {
  vxfuzz::FuzzInput in(data, size);
  const vx::String commandLine = in.Field();
  const vx::String module = in.Field();
  const vx::String name = in.Field();
  const vx::String list = in.Field();
  const vx::String value = in.Field();
  const int index = in.Byte() % 64;
  CheckSwitches(commandLine, module, name);
  CheckList(list, value, index);
}

}  // namespace
