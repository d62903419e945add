// Text, list, number and date helpers (portable; no Win32).
// Positions in texts are 1-based; list items are numbered from 0. Nothing here throws.
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// ---- Delimited lists: first character is the separator, e.g. "|a|b|c|" ----
int ListCount(const String& list);
String ListItem(const String& list, int index, const char* def);
// The items one after the other in one pass, as ListItem gives them for index 0, 1, ... (an empty
// item as empty text): start with pos 0; each call sets item to the next one and returns false
// when no item is left.
bool NextListItem(const String& list, size_t& pos, String& item);
void ListSetItem(String& list, int index, const String& value);
String ListValue(const String& list, const String& key, const String& def);
extern const char* const kMonthList;  // "||JAN|FEB|...|DEC|"

// ---- Searching and comparing ----
String UpperCase(StrView s);  // ASCII letters only
String Trim(const String& s);       // removes blanks and control characters (<= ' ')
int PosCI(StrView sub, const String& text);
int PosFrom(StrView sub, const String& text, int start);
int PosFromCI(const String& sub, const String& text, int start);
int LastPos(StrView sub, const String& text);
int EndPosCI(const String& sub, const String& text);
bool EndsWith(StrView suffix, const String& text, bool ignoreCase);
bool SameTextCI(StrView a, StrView b);  // equal but for the letter case of ASCII letters
bool SameTextTrim(const String& a, const String& b);
String TextBefore(const String& text, StrView sub);
String TextAfter(const String& text, StrView sub);
String ReverseText(const String& text);

// ---- Replacing and stripping ----
String ReplaceAll(const String& text, StrView find, StrView repl);
String ReplaceAllCI(const String& text, StrView find, StrView repl);
String StripChar(const String& text, char ch, bool loose);
String Unquote(const String& text, bool loose);

// ---- Numbers ----
int32_t Min(int32_t a, int32_t b);
int32_t Max(int32_t a, int32_t b);
int32_t Clamp(int32_t v, int32_t lo, int32_t hi);
// a + b, held at the nearer end of the 64-bit range when the sum does not fit (times and
// intervals from settings files may be anything).
int64_t SaturatingAdd(int64_t a, int64_t b);
String ZeroPad(int64_t n, int width);
void AppendZeroPad(String& out, int64_t n, int width);  // appends ZeroPad(n, width)
int64_t ParseBase(const String& text, int base);
int32_t HexToInt(const String& text);
// Decimal integer with optional sign and "$"/"x"/"0x" hex prefix; false when not a number.
bool TextToInt64(const String& text, int64_t& out);
String IntText(int64_t n);
String RandomNumberText(int lo, int hi);  // re-seeds from the clock

// ---- Dates ----
// A date-time as days since 30 December 1899 with the time of day as the fraction.
struct CivilTime {
  int year, month, day, hour, minute, second;
};
double EncodeDateTime(const CivilTime& t);
CivilTime DecodeDateTime(double dt);
String DateText(double dt);
String DateTimeText(double dt, char timeSeparator = ':');
int64_t DateTimeToSeconds(double dt);  // rounded half to even
int64_t NowSeconds();  // the platform's local time (platform.h) as DateTimeToSeconds gives it

}  // namespace vx
