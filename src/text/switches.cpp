// Command-line switch reader. The tail is rebuilt from the stored command line on every query.
#include "text/switches.h"

#include "text/utils.h"

namespace vx {

namespace {

// Constant-initialized (String's default constructor is constexpr), so they are ready before any
// code that runs at start-up.
String g_commandLine;
String g_modulePath;

String& StoredCommandLine() { return g_commandLine; }
String& StoredModulePath() { return g_modulePath; }

}  // namespace

String CommandTailOf(const String& commandLine, const String& modulePath) {
  String s = commandLine;
  const int p = modulePath.empty() ? 0 : PosCI(modulePath, s);
  if (p > 0) {
    size_t from = static_cast<size_t>(p) - 1;
    size_t to = from + modulePath.size();
    // The quotes around the program path go with it. Quotes of the arguments stay as they are:
    // a value such as /dir="C:\a b" reaches the programs the tail is passed on to intact.
    if (from > 0 && s[from - 1] == '"' && to < s.size() && s[to] == '"') {
      --from;
      ++to;
    }
    s.erase(from, to - from);
  }
  return Trim(s);
}

String SwitchValueIn(const String& tail, StrView name) {
  const int p = PosCI(name, tail);
  if (p == 0) return String();
  const size_t from = static_cast<size_t>(p) - 1 + name.size();  // where the value starts
  if (from == tail.size()) return "TRUE";  // the switch ends the command line
  String value;
  if (tail[from] == '"') {
    const size_t close = tail.find('"', from + 1);
    value = tail.substr(from + 1, close == String::npos ? String::npos : close - from - 1);
  } else {
    const size_t blank = tail.find(' ', from);
    value = tail.substr(from, blank == String::npos ? String::npos : blank - from);
    value = value.substr(0, value.find('/'));
  }
  return Trim(value);
}

bool SwitchPresentIn(const String& tail, StrView name) { return PosCI(name, tail) > 0; }

int64_t SwitchIntIn(const String& tail, StrView name, int64_t def) {
  const String v = SwitchValueIn(tail, name);
  int64_t n = 0;
  if (v.empty() || v == "TRUE" || !TextToInt64(v, n)) return def;
  return n;
}

void SetCommandLineSource(const String& commandLine, const String& modulePath) {
  StoredCommandLine() = commandLine;
  StoredModulePath() = modulePath;
}

const String& FullCommandLine() { return StoredCommandLine(); }
const String& ModulePath() { return StoredModulePath(); }

String CommandTail() { return CommandTailOf(StoredCommandLine(), StoredModulePath()); }
String SwitchValue(const char* name) { return SwitchValueIn(CommandTail(), name); }
bool SwitchPresent(const char* name) { return SwitchPresentIn(CommandTail(), name); }
int64_t SwitchInt(const char* name, int64_t def) { return SwitchIntIn(CommandTail(), name, def); }

}  // namespace vx
