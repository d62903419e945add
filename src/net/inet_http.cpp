// Download texts, partial-file names, progress units and the resume decision.
#include "net/inet_http.h"

namespace vx {
namespace {

bool g_downloadAbort = false;

constexpr int kRing = 5;
uint32_t g_tickRing[kRing];
uint32_t g_readRing[kRing];

constexpr int32_t kMaxChunk = 10240;

// Appends the rate with two decimals and "." as decimal point.
void AppendTwoDecimals(String& text, double v) {
  if (!(v >= 0)) v = 0;
  if (v > 1e15) v = 1e15;
  const int64_t cents = static_cast<int64_t>(v * 100 + 0.5);
  text += IntText(cents / 100);
  text += '.';
  text += ZeroPad(cents % 100, 2);
}

// num / den rounded to the nearest integer, halves to even (den > 0). Twice the remainder stays
// below 2 * den, which a 32-bit unsigned number holds for any den of 31 bits.
uint32_t RoundHalfEven(uint32_t num, uint32_t den) {
  uint32_t q = num / den;
  const uint32_t twice = 2 * (num % den);
  if (twice > den || (twice == den && (q & 1) != 0)) ++q;
  return q;
}

// Days in month m of year y, for the years a packed date can hold (1980 to 2107): among them
// 2100 is the only year divisible by 4 that is not a leap year.
int DaysInMonth(int y, int m) {
  static const uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && (y & 3) == 0 && y != 2100 ? 29 : kDays[m - 1];
}

// Reads decimal digits from text at pos (blanks skipped first); false when there are none.
bool ReadNumber(const String& text, size_t& pos, int64_t& out) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  const size_t start = pos;
  out = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 18) {
    out = out * 10 + (text[pos] - '0');
    ++pos;
  }
  return pos > start && (pos >= text.size() || text[pos] < '0' || text[pos] > '9');
}

bool Expect(const String& text, size_t& pos, char c) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

bool DownloadAbortFlag() { return g_downloadAbort; }
void SetDownloadAbortFlag(bool on) { g_downloadAbort = on; }

const char* const kDownloadAborted = "Download Aborted";

String WriteErrorText(const String& target) { return "Unable to Write File!<P><P>" + target; }

String InitErrorText() { return "1 Unable to initialize \"WinINet.dll\""; }
String OpenUrlErrorText(const String& url) {
  String text = "2 Unable to open Internet Connection <P>URL: ";
  text += url;
  return text;
}
String NotFoundErrorText(const String& url) {
  String text = "3 ";
  text += url;
  text += "<P><P>File Not Found !";
  return text;
}

String SpeedTextAt(bool start, int32_t total, int32_t done, int32_t lastRead, uint32_t tick) {
  if (start) {
    for (int i = 0; i < kRing; ++i) {
      g_tickRing[i] = tick;
      g_readRing[i] = 0;
    }
  }
  String text = IntText(done);
  text += '/';
  text += IntText(total);
  text += " Bytes   ";
  int64_t bytes = 0;
  for (int i = 0; i + 1 < kRing; ++i) {
    g_tickRing[i] = g_tickRing[i + 1];
    g_readRing[i] = g_readRing[i + 1];
    bytes += g_readRing[i];
  }
  g_tickRing[kRing - 1] = tick;
  g_readRing[kRing - 1] = static_cast<uint32_t>(lastRead);
  bytes += g_readRing[kRing - 1];
  const int32_t elapsed = static_cast<int32_t>(tick - g_tickRing[0]);
  if (elapsed > 0) {
    AppendTwoDecimals(text, static_cast<double>(bytes) / (elapsed / 1000.0) / 1024);
    text += " KB/Sec";
  }
  return text;
}

uint32_t PackDosDateTime(const CivilTime& t) {
  if (t.year < 1980 || t.year > 2107 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
      t.second < 0 || t.second > 59)
    return 0;
  const uint32_t date = (static_cast<uint32_t>(t.year - 1980) << 9) | (static_cast<uint32_t>(t.month) << 5) |
                        static_cast<uint32_t>(t.day);
  const uint32_t time = (static_cast<uint32_t>(t.hour) << 11) | (static_cast<uint32_t>(t.minute) << 5) |
                        static_cast<uint32_t>(t.second / 2);
  return (date << 16) | time;
}

int32_t PartialKey(int32_t length, uint32_t stamp) {
  return static_cast<int32_t>(static_cast<uint32_t>(length) + stamp);
}

String PartialFileName(const String& dest, int32_t length, uint32_t stamp) {
  String name = dest;
  name += '.';
  name += IntText(PartialKey(length, stamp));
  return name;
}

bool PartialKeyOf(const String& dest, const String& name, int32_t& key) {
  if (name.size() <= dest.size() + 1 || !SameTextCI(StrView(name.data(), dest.size()), dest) ||
      name[dest.size()] != '.')
    return false;
  const String suffix = name.substr(dest.size() + 1);
  int64_t v = 0;
  // Only the form PartialFileName writes: optional "-", digits, no leading zeros.
  if (!TextToInt64(suffix, v) || v < INT32_MIN || v > INT32_MAX || IntText(v) != suffix) return false;
  key = static_cast<int32_t>(v);
  return true;
}

String NotFoundPageText(const String& content, const String& url, const char* def) {
  String text = def;
  if (PosCI("<TITLE", content) > 0 && PosCI("</TITLE", content) > 0 && content.find("404") != String::npos) {
    text = "<b>404 File Not Found...</b><P><P>URL:  ";
    text += url;
    text += '.';
  }
  return text;
}

ProgressPlan DownloadProgressPlan(int32_t length, int32_t done) {
  ProgressPlan p;
  p.chunk = length / 10 < kMaxChunk ? length / 10 : kMaxChunk;
  if (p.chunk < 1) p.chunk = 1;
  const uint32_t chunk = static_cast<uint32_t>(p.chunk);
  p.max = static_cast<int32_t>(RoundHalfEven(static_cast<uint32_t>(length > 0 ? length : 0), chunk) + 1);
  p.position = static_cast<int32_t>(RoundHalfEven(static_cast<uint32_t>(done > 0 ? done : 0), chunk));
  return p;
}

int64_t ChunkUnits(int64_t bytes, int32_t chunk) {
  if (bytes <= 0 || chunk <= 0) return 0;
  return (bytes + chunk - 1) / chunk;
}

bool ParseContentRange(const String& text, int64_t& first, int64_t& last, int64_t& total) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  const size_t left = text.size() - pos;
  if (!SameTextCI(StrView(text.data() + pos, left < 5 ? left : 5), "BYTES")) return false;
  pos += 5;
  if (pos >= text.size() || (text[pos] != ' ' && text[pos] != '=')) return false;
  ++pos;
  if (!ReadNumber(text, pos, first) || !Expect(text, pos, '-') || !ReadNumber(text, pos, last) ||
      !Expect(text, pos, '/') || !ReadNumber(text, pos, total))
    return false;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos == text.size() && first <= last && last < total;
}

String RangeHeader(int64_t offset) {
  String header = "Range: bytes=";
  header += IntText(offset);
  header += "-\r\n";
  return header;
}

ReplyPlan DecideReplyUse(int64_t offset, int32_t partialKey, const ReplyFacts& reply) {
  if (offset <= 0 || reply.status == 200) return ReplyPlan{ReplyUse::Rewrite, reply.contentLength};
  int64_t first = 0, last = 0, total = 0;
  if (reply.status == 206 && ParseContentRange(reply.contentRange, first, last, total) && first == offset &&
      total <= INT32_MAX && PartialKey(static_cast<int32_t>(total), reply.stamp) == partialKey)
    return ReplyPlan{ReplyUse::Append, static_cast<int32_t>(total)};
  return ReplyPlan{ReplyUse::Retry, -1};
}

}  // namespace vx
