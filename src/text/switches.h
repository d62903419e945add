// Command-line switches (portable). The core reads switches from a command line and module path
// given to it; the Win32 layer feeds GetCommandLineA and the module file name
// (InitCommandLineFromProcess, winutil_win.h). The tail is the command line without the program's
// own path (and the quotes around it); the arguments keep their quotes.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

String CommandTailOf(const String& commandLine, const String& modulePath);
String SwitchValueIn(const String& tail, StrView name);
bool SwitchPresentIn(const String& tail, StrView name);
int64_t SwitchIntIn(const String& tail, StrView name, int64_t def);

// Process-wide command line source (set once at start; tests may set it).
void SetCommandLineSource(const String& commandLine, const String& modulePath);
const String& FullCommandLine();
const String& ModulePath();
String CommandTail();
String SwitchValue(const char* name);
bool SwitchPresent(const char* name);
int64_t SwitchInt(const char* name, int64_t def);

}  // namespace vx
