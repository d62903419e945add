// Text, list, number and date helpers. Every function ends in a value; none throws.
#include "text/utils.h"

#include <cmath>
#include <cstring>

#include "system/platform.h"
#include "text/number_text.h"

namespace vx {

const char* const kMonthList = "||JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|";

// ---------------------------------------------------------------------------
// Searching and comparing

String UpperCase(StrView s) {
  String r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

String Trim(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

namespace {

// 1-based position of sub in text at or after the 0-based offset from; 0 when absent.
int FindFrom(StrView sub, const String& text, size_t from) {
  if (sub.empty() || from > text.size()) return 0;
  size_t p = text.find(sub.data(), from, sub.size());
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

}  // namespace

int PosCI(StrView sub, const String& text) {
  if (sub.empty()) return 0;
  for (size_t i = 0; i + sub.size() <= text.size(); ++i)
    if (SameTextCI(StrView(text.data() + i, sub.size()), sub)) return static_cast<int>(i) + 1;
  return 0;
}

int PosFrom(StrView sub, const String& text, int start) {
  if (start < 1 || static_cast<size_t>(start) > text.size()) return 0;
  return FindFrom(sub, text, static_cast<size_t>(start) - 1);
}

int PosFromCI(const String& sub, const String& text, int start) {
  return PosFrom(UpperCase(sub), UpperCase(text), start);
}

int LastPos(StrView sub, const String& text) {
  if (sub.empty() || sub.size() > text.size()) return 0;
  for (size_t p = text.size() - sub.size() + 1; p-- > 0;)
    if (std::memcmp(text.data() + p, sub.data(), sub.size()) == 0) return static_cast<int>(p) + 1;
  return 0;
}

int EndPosCI(const String& sub, const String& text) {
  return PosCI(ReverseText(sub), ReverseText(text));
}

bool EndsWith(StrView suffix, const String& text, bool ignoreCase) {
  if (suffix.size() > text.size()) return false;
  const StrView tail(text.data() + text.size() - suffix.size(), suffix.size());
  if (ignoreCase) return SameTextCI(tail, suffix);
  return std::memcmp(tail.data(), suffix.data(), suffix.size()) == 0;
}

bool SameTextCI(StrView a, StrView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a.data()[i], y = b.data()[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool SameTextTrim(const String& a, const String& b) { return SameTextCI(Trim(a), Trim(b)); }

String TextBefore(const String& text, StrView sub) {
  int p = FindFrom(sub, text, 0);
  return p == 0 ? String() : text.substr(0, static_cast<size_t>(p) - 1);
}

String TextAfter(const String& text, StrView sub) {
  int p = FindFrom(sub, text, 0);
  return text.substr(p == 0 ? 0 : static_cast<size_t>(p) - 1 + sub.size());
}

String ReverseText(const String& text) {
  String r(text.size(), ' ');
  for (size_t i = 0; i < text.size(); ++i) r[i] = text[text.size() - 1 - i];
  return r;
}

// ---------------------------------------------------------------------------
// Lists

int ListCount(const String& list) {
  if (list.empty() || list.back() != list.front()) return 0;
  int n = 0;
  for (size_t i = 1; i < list.size(); ++i)
    if (list[i] == list[0]) ++n;
  return n;
}

String ListItem(const String& list, int index, const char* def) {
  if (list.empty() || index < 0) return def;
  const char sep = list[0];
  size_t start = 1;  // first character of item 0
  for (int i = 0; i < index; ++i) {
    size_t p = list.find(sep, start);
    if (p == String::npos) return def;
    start = p + 1;
  }
  size_t end = list.find(sep, start);
  if (end == String::npos || end == start) return def;  // trailing text or empty item
  return list.substr(start, end - start);
}

bool NextListItem(const String& list, size_t& pos, String& item) {
  if (list.empty()) return false;
  if (pos == 0) pos = 1;  // item 0 starts after the separator
  const size_t end = list.find(list[0], pos);
  if (end == String::npos) return false;
  item.assign(list.data() + pos, end - pos);
  pos = end + 1;
  return true;
}

void ListSetItem(String& list, int index, const String& value) {
  if (list.empty()) list = "|";
  int n = ListCount(list);
  if (index >= n) n = index + 1;
  const char sep = list[0];
  String out(1, sep), item;
  size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    if (!NextListItem(list, pos, item)) item.clear();
    out += (i == index) ? value : item;
    out += sep;
  }
  list = out;
}

String ListValue(const String& list, const String& key, const String& def) {
  if (list.size() <= 2 || list.front() != list.back()) return def;
  const char sep[2] = {list[0], ' '};  // the separator, and the separator with a blank
  String needle(sep, 1);
  needle += key;
  if (key.empty() || key.back() != '=') needle += '=';
  String work = ReplaceAll(list, StrView(sep, 2), StrView(sep, 1));
  work = ReplaceAll(work, " =", "=");
  const int p = PosCI(needle, work);
  if (p == 0) return def;
  const size_t from = static_cast<size_t>(p) - 1 + needle.size();
  // Up to the next separator; without one (npos), the rest of the text.
  return work.substr(from, work.find(sep[0], from) - from);
}

// ---------------------------------------------------------------------------
// Replacing and stripping

namespace {

// The working copy is searched (upper-cased for the case-insensitive form) while the result is
// built from the text at the same positions, in one pass, so the time grows with the length of
// the text. Replaced occurrences count as filler characters that never occur in find: inserted
// text is never matched again. An empty replacement leaves no filler, so the text on both sides
// closes up and may form a new occurrence, which goes too (as the first occurrence found again
// after every removal would): the kept text is a stack whose top is compared after each push.
String ReplaceImpl(const String& text, StrView find, StrView repl, bool ignoreCase) {
  String result;  // the only text returned, so it is built in place
  const String needle = ignoreCase ? UpperCase(find) : String(find);
  int filler = 0;
  while (filler < 256 && needle.find(static_cast<char>(filler)) != String::npos) ++filler;
  // Nothing to find, or every character code occurs in find (no safe filler): the text as it is.
  if (needle.empty() || filler == 256) {
    result = text;
    return result;
  }
  const String work = ignoreCase ? UpperCase(text) : text;
  result.reserve(text.size());
  if (!repl.empty()) {
    size_t from = 0;
    for (size_t p = work.find(needle); p != String::npos; p = work.find(needle, from)) {
      result.append(text, from, p - from);
      result.append(repl.data(), repl.size());
      from = p + needle.size();
    }
    result.append(text, from, String::npos);
    return result;
  }
  String kept;  // the working copy of result
  kept.reserve(text.size());
  const size_t n = needle.size();
  for (size_t i = 0; i < text.size(); ++i) {
    result += text[i];
    kept += work[i];
    if (kept.size() >= n && kept.compare(kept.size() - n, n, needle) == 0) {
      result.resize(result.size() - n);
      kept.resize(kept.size() - n);
    }
  }
  return result;
}

}  // namespace

String ReplaceAll(const String& text, StrView find, StrView repl) {
  return ReplaceImpl(text, find, repl, false);
}

String ReplaceAllCI(const String& text, StrView find, StrView repl) {
  return ReplaceImpl(text, find, repl, true);
}

String StripChar(const String& text, char ch, bool loose) {
  // A text that is just ch goes; ch at both ends goes; with loose, ch at either end goes.
  const size_t n = text.size();
  size_t from = 0, count = n;
  if (n == 1 && text[0] == ch) {
    count = 0;
  } else if (n > 1 && (loose || (text.front() == ch && text.back() == ch))) {
    from = text.front() == ch ? 1 : 0;
    count = n - from - (text.back() == ch ? 1 : 0);
  }
  return text.substr(from, count);
}

String Unquote(const String& text, bool loose) { return StripChar(text, '"', loose); }

// ---------------------------------------------------------------------------
// Numbers

int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
  if (v < lo) v = lo;
  if (v > hi) v = hi;
  return v;
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
  return sum;
}

String IntText(int64_t n) { return DecimalText(n); }

void AppendZeroPad(String& out, int64_t n, int width) {
  const String digits = IntText(n);
  if (width > 0 && digits.size() < static_cast<size_t>(width))
    out.append(static_cast<size_t>(width) - digits.size(), '0');
  out += digits;
}

String ZeroPad(int64_t n, int width) {
  String s;
  AppendZeroPad(s, n, width);
  return s;
}

int64_t ParseBase(const String& text, int base) {
  static const char kDigits[] = "0123456789ABCDEF";
  const String s = UpperCase(Trim(text));
  // Unsigned arithmetic: overflow wraps instead of being undefined.
  uint64_t sum = 0, weight = 1;
  for (size_t i = s.size(); i-- > 0;) {
    int digit = -1;
    for (int d = 0; d < 16; ++d)
      if (kDigits[d] == s[i]) digit = d;
    sum += static_cast<uint64_t>(static_cast<int64_t>(digit)) * weight;
    weight *= static_cast<uint64_t>(static_cast<int64_t>(base));
  }
  return static_cast<int64_t>(sum);
}

int32_t HexToInt(const String& text) {
  return static_cast<int32_t>(static_cast<uint32_t>(ParseBase(text, 16)));
}

bool TextToInt64(const String& text, int64_t& out) {
  // The prefix tests may read the terminating zero, which matches none of them.
  const char* const s = text.c_str();
  size_t i = 0;
  const bool negative = s[0] == '-';
  if (negative || s[0] == '+') ++i;
  bool hex = false;
  if (s[i] == '$' || s[i] == 'x' || s[i] == 'X') {
    hex = true;
    ++i;
  } else if (s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    if (hex) {
      if (v > (UINT64_MAX >> 4)) return false;  // more than 64 bits of digits
      v = (v << 4) | static_cast<uint64_t>(d);
    } else {
      // Magnitude up to 2^63 so that the most negative value still converts.
      const uint64_t limit = negative ? (uint64_t{1} << 63) : static_cast<uint64_t>(INT64_MAX);
      if (v > (limit - static_cast<uint64_t>(d)) / 10) return false;
      v = v * 10 + static_cast<uint64_t>(d);
    }
  }
  out = static_cast<int64_t>(negative ? uint64_t{0} - v : v);
  return true;
}

String RandomNumberText(int lo, int hi) {
  if (hi <= lo) return IntText(lo);
  // Linear congruential generator seeded afresh from the clock (milliseconds) on each call.
  uint32_t seed = static_cast<uint32_t>(static_cast<int64_t>(CurrentPlatform().NowDateTime() * 86400000.0));
  seed = seed * 134775813u + 1u;
  const uint64_t range = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
  const uint64_t pick = (static_cast<uint64_t>(seed) * range) >> 32;
  return IntText(static_cast<int64_t>(lo) + static_cast<int64_t>(pick));
}

// ---------------------------------------------------------------------------
// Dates: days since 30 December 1899 plus the time of day as the fraction. Before that day the
// fraction counts away from zero (-1.25 is 29 December 1899, 06:00).

namespace {

constexpr int32_t kMsPerDay = 86400000;

// 30 December 1899 as a day number counted from 1 March of year 0 (proleptic Gregorian).
constexpr int32_t kDay0 = 693899;

// a / b rounded down, for b > 0.
int32_t FloorDiv(int32_t a, int32_t b) { return (a >= 0 ? a : a - b + 1) / b; }

// The inverse of the day numbers of EncodeDateTime for the day numbers of DecodeDateTime, which
// fit 32 bits (so does every intermediate value: the day of the era is below 146097), as do its
// divisions.
void CivilFromDays(int32_t z, int& y, int& m, int& d) {
  const int32_t era = FloorDiv(z, 146097);
  const int32_t doe = z - era * 146097;
  const int32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int32_t mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = yoe + era * 400 + (m <= 2);
}

}  // namespace

double EncodeDateTime(const CivilTime& t) {
  // Years of 400 years from 1 March of year 0, years from 1 March and months from March, so that
  // the leap day ends a year; months outside 1..12 carry into the year. Every value fits 32 bits
  // for the years of any calendar in use (within a million years of today).
  const int32_t fromMarch = t.month - 3;
  const int32_t carry = FloorDiv(fromMarch, 12);
  const int32_t mp = fromMarch - carry * 12;
  const int32_t y = t.year + carry;
  const int32_t era = FloorDiv(y, 400);
  const int32_t yoe = y - era * 400;
  const int32_t days =
      era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + (153 * mp + 2) / 5 + t.day - 1 - kDay0;
  const double frac = (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
  return days >= 0 ? days + frac : days - frac;
}

CivilTime DecodeDateTime(double dt) {
  CivilTime t{1899, 12, 30, 0, 0, 0};
  if (!(dt > -1e9 && dt < 1e9)) return t;  // NaN or far outside any calendar in use
  // Below 1e9 days and a day's milliseconds, everything fits 32 bits.
  int32_t days = static_cast<int32_t>(dt);  // the whole days (cut towards zero)
  const double whole = days;
  // Rounded to the nearest millisecond (the value is not negative, so adding a half and cutting
  // off the fraction rounds).
  int32_t ms = static_cast<int32_t>(std::fabs(dt - whole) * kMsPerDay + 0.5);
  if (ms >= kMsPerDay) {  // rounding reached the next midnight
    ms -= kMsPerDay;
    days += dt < 0 ? -1 : 1;
  }
  CivilFromDays(days + kDay0, t.year, t.month, t.day);
  const int32_t secs = ms / 1000;
  t.hour = secs / 3600;
  t.minute = secs / 60 % 60;
  t.second = secs % 60;
  return t;
}

namespace {

// "dd-MMM-yyyy", with the time "  hh:nn:ss" (the given separator between its parts) when withTime.
String DayText(const CivilTime& t, bool withTime, char timeSeparator) {
  String out;
  AppendZeroPad(out, t.day, 2);
  out += '-';
  out.append(kMonthList + 4 * t.month - 2, 3);  // "JAN" is item 1 of the month list
  out += '-';
  AppendZeroPad(out, t.year, 4);
  if (withTime) {
    const int parts[] = {t.hour, t.minute, t.second};
    out.append(2, ' ');
    for (int i = 0; i < 3; ++i) {
      if (i > 0) out += timeSeparator;
      AppendZeroPad(out, parts[i], 2);
    }
  }
  return out;
}

}  // namespace

String DateText(double dt) { return DayText(DecodeDateTime(dt), false, ':'); }

String DateTimeText(double dt, char timeSeparator) { return DayText(DecodeDateTime(dt), true, timeSeparator); }

int64_t DateTimeToSeconds(double dt) {
  const double x = dt * 86400.0;
  if (!(x > -9.2e18 && x < 9.2e18)) return 0;  // NaN or beyond 64 bits
  double r = std::floor(x);
  const double diff = x - r;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
  return static_cast<int64_t>(r);
}

int64_t NowSeconds() { return DateTimeToSeconds(CurrentPlatform().NowDateTime()); }

}  // namespace vx
