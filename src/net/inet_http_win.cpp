// HTTP downloads over WinINet (Win32 side): sessions, requests, the resumable partial file and the
// transfer loop.
#include <windows.h>

#include "net/inet_bindings_win.h"
#include "net/inet_http.h"
#include "system/debug.h"
#include "system/files.h"
#include "system/winutil_win.h"

namespace vx {
namespace {

constexpr DWORD kReloadFlag = 0x80000000;         // INTERNET_FLAG_RELOAD: memory downloads
constexpr DWORD kResynchronizeFlag = 0x00000800;  // INTERNET_FLAG_RESYNCHRONIZE: file downloads
constexpr DWORD kReadSize = 65536;                // bytes asked for per read
constexpr uint32_t kNotFoundProbe = 10000;        // bytes of a saved body that CheckNotFoundPage reads
constexpr DWORD kPumpEveryMs = 10;                // message pumping between reads

int32_t QueryNumber(HINTERNET request, DWORD query, int32_t def) {
  DWORD value = 0;
  DWORD length = sizeof value;
  if (!InetHttpQueryInfoA(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr)) return def;
  return static_cast<int32_t>(value);
}

// Sets out to the text of the query, empty when it fails or does not fit.
void QueryText(HINTERNET request, DWORD query, String& out) {
  char text[256];
  DWORD length = sizeof text;
  if (!InetHttpQueryInfoA(request, query, text, &length, nullptr) || length >= sizeof text) length = 0;
  out.assign(text, length);
}

// The Last-Modified time as a packed DOS date and time, 0 when missing or out of its range.
uint32_t QueryStamp(HINTERNET request) {
  SYSTEMTIME st;
  ZeroMemory(&st, sizeof st);
  DWORD length = sizeof st;
  if (!InetHttpQueryInfoA(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &st, &length, nullptr))
    return 0;
  return PackDosDateTime(CivilTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

// Fills every field of r from the reply to request.
void QueryReply(HINTERNET request, ReplyFacts& r) {
  r.status = QueryNumber(request, HTTP_QUERY_STATUS_CODE, 0);
  r.contentLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, -1);
  QueryText(request, HTTP_QUERY_CONTENT_RANGE, r.contentRange);
  r.stamp = QueryStamp(request);
}

// The partial file a download of dest left behind: the largest file named dest + "." + key.
struct PartialFile {
  String path;
  int32_t key = 0;
  uint32_t size = 0;
};

// Walks the files named dest + "." + something: the partial files of this and other server
// versions (the mask dest + ".*" also matches dest itself, which is left out). Deletes them all
// when remove is set; returns the partial file among them otherwise.
PartialFile VisitSuffixedFiles(const String& dest, bool remove) {
  PartialFile best;
  // Without a folder part cut + 1 wraps round to 0.
  const String folder = dest.substr(0, dest.find_last_of("\\/:") + 1);
  // The files' paths are folder + name: their folder parts equal dest's byte for byte, so the
  // name test can be made on the whole path.
  const String prefix = dest + ".";
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dest + ".*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return best;
  do {
    const String path = folder + fd.cFileName;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && path.size() > prefix.size() &&
        SameTextCI(StrView(path.data(), prefix.size()), prefix)) {
      int32_t key = 0;
      if (remove) {
        DeleteFileA(path.c_str());
      } else if (PartialKeyOf(dest, path, key) && (best.path.empty() || fd.nFileSizeLow > best.size)) {
        best.path = path;
        best.key = key;
        best.size = fd.nFileSizeLow;
      }
    }
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return best;
}

bool WriteBytes(HANDLE file, const char* bytes, DWORD count) {
  DWORD put = 0;
  return WriteFile(file, bytes, count, &put, nullptr) && put == count;
}

// Hands the steps gathered since the last call to the callback at once: one step as a plain
// step (step 0), more as one call whose step is their number.
void HandOverSteps(ProgressCallback callback, int64_t& steps, const String& text) {
  if (steps > 0 && callback != nullptr) callback(1, 0, 0, 0, steps > 1 ? static_cast<int32_t>(steps) : 0, text);
  steps = 0;
}

// Reads the body of request into file (or content when file is null) until it ends, a read
// fails or the abort flag is set, stepping the callback once per chunk unit. Every drawn step
// invalidates the bars, under Wine a round trip to its server per call: the steps of the reads
// between two message pumps are handed over together, just before the pump draws them. Returns
// the system's text for a write to file that failed, empty when none did.
String TransferBody(HINTERNET request, HANDLE file, String& content, int32_t length, int64_t done,
                  ProgressCallback callback) {
  const ProgressPlan plan = DownloadProgressPlan(length, static_cast<int32_t>(done));
  String text = SpeedText(true, length, static_cast<int32_t>(done), 0);
  if (callback != nullptr) callback(0, 0, plan.max, plan.position, 1, text);
  int64_t units = ChunkUnits(done, plan.chunk);
  int64_t steps = 0;  // chunk units reached and not yet handed over
  String buffer(kReadSize, '\0');
  DWORD got = 0;
  String writeError;
  DWORD pumped = GetTickCount() - kPumpEveryMs;
  do {
    // Keeps the thread's windows answering (a close request sets the abort flag) without waiting;
    // while data flows, at most every few milliseconds.
    if (GetTickCount() - pumped >= kPumpEveryMs) {
      HandOverSteps(callback, steps, text);
      PumpMessages(0);
      pumped = GetTickCount();
    }
    if (DownloadAbortFlag()) break;
    got = 0;
    if (!InetReadFile(request, &buffer[0], kReadSize, &got)) got = 0;
    if (got > 0) {
      if (file != nullptr) {
        if (!WriteBytes(file, buffer.data(), got)) {
          writeError = LastErrorText();
          got = 0;
        }
      } else {
        content.append(buffer.data(), got);
      }
      done += got;
    }
    text = SpeedText(false, length, static_cast<int32_t>(done), static_cast<int32_t>(got));
    if (got > 0) {
      const int64_t reached = ChunkUnits(done, plan.chunk);
      steps += reached - units;
      units = reached;
    }
  } while (got > 0 && !DownloadAbortFlag());
  HandOverSteps(callback, steps, text);
  return writeError;
}

// Opens the partial file for the reply: continued at its end, or started again (other versions'
// partial files deleted); null when it cannot be opened.
HANDLE OpenPartialFile(const String& dest, const String& partial, bool append) {
  if (!append) VisitSuffixedFiles(dest, true);
  HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            append ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (append && !SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END)) {
    CloseHandle(file);
    return nullptr;
  }
  return file;
}

void Download(HINTERNET session, HWND owner, const String& url, const String& dest, String& content,
              ProgressCallback callback, String& error) {
  const bool toFile = !dest.empty();
  const PartialFile partialFile = toFile ? VisitSuffixedFiles(dest, false) : PartialFile();
  int64_t offset = partialFile.size;
  HINTERNET request = nullptr;
  ReplyFacts reply;
  ReplyPlan plan{ReplyUse::Rewrite, -1};
  for (;;) {
    // The range is decided before the request goes out: bytes the server has started to send are
    // fetched whether they are read or not.
    const String range = offset > 0 ? RangeHeader(offset) : String();
    request = InetOpenUrlA(session, url.c_str(), range.empty() ? nullptr : range.c_str(),
                           range.empty() ? 0 : static_cast<DWORD>(-1), toFile ? kResynchronizeFlag : kReloadFlag,
                           0);
    if (request == nullptr) {
      error = OpenUrlErrorText(url);
      return;
    }
    QueryReply(request, reply);
    plan = DecideReplyUse(offset, partialFile.key, reply);
    if (plan.use != ReplyUse::Retry) break;
    // Not a continuation of this partial file: never append it; start over from byte 0.
    InetCloseHandle(request);
    DeleteFileA(partialFile.path.c_str());
    offset = 0;
  }
  if (plan.length <= 0) {
    error = NotFoundErrorText(url);
  } else {
    if (owner != nullptr) ShowWindow(owner, SW_SHOW);
    if (!toFile) {
      TransferBody(request, nullptr, content, plan.length, 0, callback);
    } else {
      const bool append = plan.use == ReplyUse::Append;
      const String partial = PartialFileName(dest, plan.length, reply.stamp);
      HANDLE file = OpenPartialFile(dest, partial, append);
      const String writeError = file == nullptr ? LastErrorText()
                                                : TransferBody(request, file, content, plan.length,
                                                               append ? offset : 0, callback);
      if (file != nullptr) CloseHandle(file);
      if (!writeError.empty() || file == nullptr) {
        // A full disk: the partial file goes (see HTTP_DownloadFile_Incremental).
        error = WriteErrorText(dest) + "<P><P>" + writeError;
        DeleteFileA(partial.c_str());
      } else if (FileSizeOf(partial) == static_cast<uint32_t>(plan.length)) {
        DeleteFileA(dest.c_str());
        MoveFileA(partial.c_str(), dest.c_str());
      }
    }
    if (DownloadAbortFlag()) error = kDownloadAborted;
  }
  InetCloseHandle(request);
}

}  // namespace

bool InternetConnected() {
  DWORD flags = 0;
  return InetGetConnectedState(&flags, 0) != FALSE;
}

void InternetUnload() { InetUnbind(); }

int32_t HttpContentLength(const String& url) {
  HINTERNET session = InetOpenA("HTTP_Connect_2", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr) return -1;
  int32_t length = -1;
  HINTERNET request = InetOpenUrlA(session, url.c_str(), nullptr, 0, 0, 0);
  if (request != nullptr) {
    length = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, -1);
    InetCloseHandle(request);
  }
  InetCloseHandle(session);
  return length;
}

String SpeedText(bool start, int32_t total, int32_t done, int32_t lastRead) {
  return SpeedTextAt(start, total, done, lastRead, GetTickCount());
}

String CheckNotFoundPage(const String& filePath, const String& content, const String& url,
                         const char* def) {
  if (!filePath.empty() && FileExists(filePath))
    return NotFoundPageText(ReadFilePart(filePath, 0, kNotFoundProbe), url, def);
  return NotFoundPageText(content, url, def);
}

void HTTP_DownloadFile_Incremental(WindowHandle owner, const String& url, const String& destPath,
                                   String& content, ProgressCallback callback, String& error) {
  Wait(100);
  error.clear();
  content.clear();
  HINTERNET session = InetOpenA("HTTP_Connect_3", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (session == nullptr) {
    error = InitErrorText();
  } else {
    Download(session, owner, url, destPath, content, callback, error);
    InetCloseHandle(session);
  }
  if (!error.empty()) DebugWriteLnPid(" HTTP_DownloadFile_Incremental: ", error);
}

}  // namespace vx
