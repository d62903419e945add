// HTTP downloads through the system's internet library (WinINet, bound at run time): into a file
// through a resumable partial file, or into memory, with a progress callback, a speed text and
// the process-wide abort flag. Failures come back as texts whose first character classifies them.
// The portable part (inet_http.cpp) holds the texts, names and decisions; the transfer itself is
// the Win32 layer (inet_http_win.cpp).
#pragma once
#include <cstdint>

#include "text/str.h"
#include "text/utils.h"
#include "ui/handles.h"

namespace vx {

// The process-wide flag that stops a running download: download callers clear it before they
// start, the stub window sets it on a close request, the download loop tests it after every read.
bool DownloadAbortFlag();
void SetDownloadAbortFlag(bool on);

// Progress callback: kind 0 starts (first, max, position, step), kind 1 steps; text is the
// progress text (SpeedText). The launcher's is DownloadProgress.
using ProgressCallback = void (*)(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step,
                                  const String& text);

// ---- Portable ----
// Error texts of a download (markup of the message box).
String InitErrorText();                        // 1 Unable to initialize "WinINet.dll"
String OpenUrlErrorText(const String& url);   // 2 Unable to open Internet Connection ...
String NotFoundErrorText(const String& url);  // 3 <url><P><P>File Not Found !
extern const char* const kDownloadAborted;             // "Download Aborted"
String WriteErrorText(const String& target);  // Unable to Write File!<P><P><target>

// "done/total Bytes   ", then the rate over the last five updates ("12.34 KB/Sec") once they
// span some time. The rings of the last five update ticks and read sizes are process-wide; start
// empties them and fills the tick ring with tick.
String SpeedTextAt(bool start, int32_t total, int32_t done, int32_t lastRead, uint32_t tick);

// Packed MS-DOS date and time (date in the high word, seconds halved); 0 for a time the packed
// form cannot hold (before 1980, after 2107, or a field out of range).
uint32_t PackDosDateTime(const CivilTime& t);

// The partial file of a download: dest + "." + the decimal form of (server length + Last-Modified
// stamp), a signed 32-bit sum that wraps. Another size or date on the server gives another name.
int32_t PartialKey(int32_t length, uint32_t stamp);
String PartialFileName(const String& dest, int32_t length, uint32_t stamp);
// The key of name when it is a partial file name of dest (any letter case of dest); else false.
bool PartialKeyOf(const String& dest, const String& name, int32_t& key);

// A web server's "404" page: the content holds "<TITLE" and "</TITLE" (any case) and "404".
// Returns the not-found message with url for such content, else def.
String NotFoundPageText(const String& content, const String& url, const char* def);

// The progress plan of a transfer of length bytes of which done are already there: chunk units
// of min(10240, length / 10) bytes (at least 1), the bar's maximum round(length / chunk) + 1 and
// its position round(done / chunk), halves rounded to even.
struct ProgressPlan {
  int32_t chunk;
  int32_t max;
  int32_t position;
};
ProgressPlan DownloadProgressPlan(int32_t length, int32_t done);
// Chunk units that bytes fill, a started unit counting whole: one progress step per unit.
int64_t ChunkUnits(int64_t bytes, int32_t chunk);

// "bytes first-last/total" (blanks and letter case free); false for anything else, "*" included.
bool ParseContentRange(const String& text, int64_t& first, int64_t& last, int64_t& total);
// The request header that asks for the bytes from offset on.
String RangeHeader(int64_t offset);

// What the reply to a download request is good for. A request for the bytes from offset (above 0:
// a partial file of the given key exists and has that size) is resumed only by a 206 whose range
// starts at offset and whose file length and date give the same key; a 200 carries the whole
// file and restarts the partial file from byte 0; any other reply is not written to the partial
// file: the caller drops that file and asks again without a range. A request without a range
// (offset 0) takes any reply as the whole body, whatever its status.
struct ReplyFacts {
  int32_t status = 0;          // HTTP status code, 0 when unknown
  int32_t contentLength = -1;  // Content-Length, -1 when missing
  String contentRange;    // Content-Range, empty when missing
  uint32_t stamp = 0;          // PackDosDateTime of Last-Modified, 0 when missing
};
enum class ReplyUse {
  Append,   // the body continues the partial file
  Rewrite,  // the body is the whole file: the partial file starts again at byte 0
  Retry,    // unusable: delete the partial file and ask again without a range
};
struct ReplyPlan {
  ReplyUse use;
  int32_t length;  // the whole file's length (-1 or 0: unknown or empty)
};
ReplyPlan DecideReplyUse(int64_t offset, int32_t partialKey, const ReplyFacts& reply);

// ---- Win32 layer ----
// The system's connected-state query reports a connection (its flag word is ignored).
bool InternetConnected();
// Frees the internet library and forgets its entry points (the stub window's loop has ended).
void InternetUnload();
// The URL's content length, -1 when the session, the URL or the query fails.
int32_t HttpContentLength(const String& url);
// SpeedTextAt with the current tick count.
String SpeedText(bool start, int32_t total, int32_t done, int32_t lastRead);
// NotFoundPageText on the first 10000 bytes of filePath when that file exists, else on content.
String CheckNotFoundPage(const String& filePath, const String& content, const String& url,
                         const char* def);
// Downloads url into destPath (through its partial file, resuming one left by an earlier call)
// or, with an empty destPath, into content. The owner window (may be null) is shown once the
// transfer starts; callback may be null. error is empty on success or a short transfer (the
// destination then stays untouched and the partial file keeps what arrived), else one of the
// texts above. A partial file that cannot be written (a full disk) gives WriteErrorText of
// destPath with the system's reason, and is removed: it would keep the drive full, and nothing
// else would ever remove it; a later run downloads again. The thread's messages keep flowing;
// the abort flag stops the transfer.
void HTTP_DownloadFile_Incremental(WindowHandle owner, const String& url, const String& destPath,
                                   String& content, ProgressCallback callback, String& error);

}  // namespace vx
