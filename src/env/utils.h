// Text, list, number, date and command-line helpers (portable; no Win32).
// Positions in texts are 1-based; list items are numbered from 0. Nothing here throws.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// ---- Delimited lists: first character is the separator, e.g. "|a|b|c|" ----
int ListCount(const std::string& list);
std::string ListItem(const std::string& list, int index, const std::string& def);
void ListSetItem(std::string& list, int index, const std::string& value);
std::string ListValue(const std::string& list, const std::string& key, const std::string& def);
extern const char* const kMonthList;  // "||JAN|FEB|...|DEC|"

// ---- Searching and comparing ----
std::string UpperCase(const std::string& s);  // ASCII letters only
std::string Trim(const std::string& s);       // removes blanks and control characters (<= ' ')
int PosCI(const std::string& sub, const std::string& text);
int PosFrom(const std::string& sub, const std::string& text, int start);
int PosFromCI(const std::string& sub, const std::string& text, int start);
int LastPos(const std::string& sub, const std::string& text);
int EndPosCI(const std::string& sub, const std::string& text);
bool EndsWith(const std::string& suffix, const std::string& text, bool ignoreCase);
bool SameTextTrim(const std::string& a, const std::string& b);
std::string TextBefore(const std::string& text, const std::string& sub);
std::string TextAfter(const std::string& text, const std::string& sub);
std::string ReverseText(const std::string& text);

// ---- Replacing and stripping ----
std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& repl);
std::string ReplaceAllCI(const std::string& text, const std::string& find, const std::string& repl);
std::string StripChar(const std::string& text, char ch, bool loose);
std::string Unquote(const std::string& text, bool loose);

// ---- Numbers ----
int32_t Min(int32_t a, int32_t b);
int32_t Max(int32_t a, int32_t b);
int32_t Clamp(int32_t v, int32_t lo, int32_t hi);
std::string ZeroPad(int64_t n, int width);
int64_t ParseBase(const std::string& text, int base);
int32_t HexToInt(const std::string& text);
// Decimal integer with optional sign and "$"/"x"/"0x" hex prefix; false when not a number.
bool TextToInt64(const std::string& text, int64_t& out);
std::string IntText(int64_t n);
std::string RandomNumberText(int lo, int hi);  // re-seeds from the clock

// ---- Dates ----
// A date-time as days since 30 December 1899 with the time of day as the fraction.
struct CivilTime {
  int year, month, day, hour, minute, second;
};
double EncodeDateTime(const CivilTime& t);
CivilTime DecodeDateTime(double dt);
std::string DateText(double dt);
std::string DateTimeText(double dt, char timeSeparator = ':');
int64_t DateTimeToSeconds(double dt);  // rounded half to even
double NowDateTime();                  // local time (platform clock)
int64_t NowSeconds();

// ---- Command line ----
// The core reads switches from a command line and module path given to it; the Win32 layer
// feeds GetCommandLineA and the module file name (InitCommandLineFromProcess, winutil.h).
// The tail is the command line without the program's own path (and the quotes around it);
// the arguments keep their quotes.
std::string CommandTailOf(const std::string& commandLine, const std::string& modulePath);
std::string SwitchValueIn(const std::string& tail, const std::string& name);
bool SwitchPresentIn(const std::string& tail, const std::string& name);
int64_t SwitchIntIn(const std::string& tail, const std::string& name, int64_t def);

// Process-wide command line source (set once at start; tests may set it).
void SetCommandLineSource(const std::string& commandLine, const std::string& modulePath);
const std::string& FullCommandLine();
const std::string& ModulePath();
std::string CommandTail();
std::string SwitchValue(const std::string& name);
bool SwitchPresent(const std::string& name);
int64_t SwitchInt(const std::string& name, int64_t def);

}  // namespace vx
