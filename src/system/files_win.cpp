#include <windows.h>

#include <cstring>

#include "system/debug.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/winutil_win.h"
#include "text/utils.h"

namespace vx {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Writes all bytes in calls of WriteChunkSize; stops when a call writes nothing.
bool WriteAll(HANDLE h, const String& bytes) {
  const size_t total = bytes.size();
  const uint32_t chunk = WriteChunkSize(total);
  size_t done = 0;
  do {
    size_t n = total - done;
    if (n > chunk) n = chunk;
    DWORD put = 0;
    if (!WriteFile(h, bytes.data() + done, static_cast<DWORD>(n), &put, nullptr)) put = 0;
    done += put;
    if (put == 0) break;
  } while (done < total);
  return done == total;
}

bool WriteToFile(const String& path, const String& bytes, uint32_t fileDate, bool append) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, append ? kShareAll : 0, nullptr,
                         append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  if (append && !SetFilePointerEx(h, LARGE_INTEGER{}, nullptr, FILE_END)) ok = false;
  ok = ok && WriteAll(h, bytes);
  if (ok && fileDate != 0) SetDosDate(h, fileDate);
  CloseHandle(h);
  return ok;
}

// "X:\" from a path's upper-cased first letter.
String RootOf(const String& path) {
  String root = UpperCase(StrView(path.data(), path.empty() ? 0 : 1));
  root += ":\\";
  return root;
}

}  // namespace

void SetDosDate(HANDLE h, uint32_t fileDate) {
  FILETIME local, utc;
  if (DosDateTimeToFileTime(static_cast<WORD>(fileDate >> 16), static_cast<WORD>(fileDate & 0xFFFF), &local) &&
      LocalFileTimeToFileTime(&local, &utc))
    SetFileTime(h, nullptr, nullptr, &utc);
}

bool FileExists(const String& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const String& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const String& path) {
  String p = path;
  while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  if (p.empty()) return false;
  if (DirectoryExists(p)) return true;
  size_t cut = p.find_last_of("\\/");
  // The parent first, unless it is a drive ("C:").
  if (cut != String::npos && cut > 0 && !(cut == 2 && p[1] == ':') && !ForceDirectories(p.substr(0, cut)))
    return false;
  return CreateDirectoryA(p.c_str(), nullptr) || DirectoryExists(p);
}

bool FileDosDateTime(const String& path, uint32_t& dosDateTime) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return false;
  dosDateTime = (static_cast<uint32_t>(date) << 16) | time;
  return true;
}

uint32_t FileSizeOf(const String& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  FindClose(h);
  return fd.nFileSizeLow;
}

String ReadFilePart(const String& path, int64_t offset, uint32_t maxLength) {
  String result;
  if (!FileExists(path)) return result;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return result;
  LARGE_INTEGER size, start;
  start.QuadPart = offset;
  int64_t n = 0;
  if (GetFileSizeEx(h, &size)) n = size.QuadPart - offset;
  if (maxLength != 0 && n > maxLength) n = maxLength;
  if (offset >= 0 && n > 0 && SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) {
    result.resize(static_cast<size_t>(n));
    DWORD got = 0;
    if (!ReadFile(h, &result[0], static_cast<DWORD>(n), &got, nullptr) || got < n) result.clear();
  }
  CloseHandle(h);
  return result;
}

bool WriteFileText(const String& path, const String& bytes, uint32_t fileDate, bool append) {
  return WriteToFile(path, bytes, fileDate, append);
}

bool AppendFileText(const String& path, const String& bytes, uint32_t fileDate) {
  return WriteToFile(path, bytes, fileDate, true);
}

String FileNameWithoutExt(const String& path) { return FileNameWithoutExt(path, SystemLeadBytes()); }

double DiskFreeSpace(const String& path) {
  using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  static const FreeSpaceEx freeSpaceEx = GetProcFromLibraryAs<FreeSpaceEx>("kernel32.dll", "GetDiskFreeSpaceExA");
  if (path.empty()) return -1;
  if (freeSpaceEx != nullptr) {
    const String where = path.size() < 3 ? RootOf(path) : path;
    ULARGE_INTEGER available, total, totalFree;
    if (!freeSpaceEx(where.c_str(), &available, &total, &totalFree)) return -1;
    return static_cast<double>(static_cast<int64_t>(available.QuadPart));  // far below 2^63 bytes
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(RootOf(path).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
    return -1;
  return static_cast<double>(sectorsPerCluster) * bytesPerSector * freeClusters;
}

bool DeleteByMask(const String& mask, bool clearAttributes) {
  const String prefix = FolderOf(mask, SystemLeadBytes());
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(mask.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool any = false;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    any = true;
    const String file = prefix + fd.cFileName;
    if (clearAttributes) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return any;
}

bool DeleteTree(const String& folder, bool clearAttributes) {
  if (folder.empty()) return false;
  const String dir = SetTrailingBackslash(folder, false);
  const bool existed = DirectoryExists(dir);
  const String everything = dir + "\\*.*";
  DeleteByMask(everything, clearAttributes);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(everything.c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      if (std::strcmp(fd.cFileName, ".") == 0 || std::strcmp(fd.cFileName, "..") == 0) continue;
      const String sub = dir + "\\" + fd.cFileName;
      DeleteTree(sub, clearAttributes);
      RemoveDirectoryA(sub.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
  return existed && !DirectoryExists(dir);
}

void WriteSelfDeleteBatch(bool removeFolder) {
  const String workDir = TempDir(true);
  const String batch = workDir + kSelfDeleteBatchName;
  if (!WriteFileText(batch, SelfDeleteBatchText(ExePath(), ExeDir(false), batch, removeFolder), 0, false)) return;
  // The interpreter runs in the temp folder: a folder that is some process's current folder
  // cannot be removed, and the program may have been started from inside the folder it removes.
  char comspec[MAX_PATH + 1];
  const DWORD n = GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
  const bool nt = IsWinNT();
  String command;  // the shell, then its arguments: quoted on the NT family, the short path elsewhere
  if (nt) command += '"';
  if (n > 0 && n < sizeof comspec)
    command.append(comspec, n);
  else
    command += nt ? "cmd.exe" : "command.com";
  command += nt ? "\" /c \"\"" : " /c ";
  const String shortBatch = nt ? String() : ShortPathOf(batch);
  command += shortBatch.empty() ? batch : shortBatch;
  if (nt) command += "\"\"";
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof pi);
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, workDir.c_str(),
                     &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}

bool EjectCD(const String& path) {
  char letter = path.empty() ? '\0' : path[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return false;
  char root[] = "?:\\";
  root[0] = letter;
  if (GetDriveTypeA(root) != DRIVE_CDROM) return false;
  char device[] = "\\\\.\\?:";
  device[4] = letter;
  HANDLE h = INVALID_HANDLE_VALUE;
  // Opens the device, then traces the handle it got.
  const auto open = [&](const char* step, DWORD access) {
    h = CreateFileA(device, access, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    DebugWriteLn(step, String(device) + ' ' + DbgUInt(static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(h))));
  };
  open("EjectCD-2: ", GENERIC_READ | GENERIC_WRITE);
  if (h == INVALID_HANDLE_VALUE) open("EjectCD-3: ", GENERIC_READ);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const bool ok = DeviceIoControl(h, 0x2D4808 /* IOCTL_STORAGE_EJECT_MEDIA */, nullptr, 0, nullptr, 0, &returned,
                                  nullptr) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace vx
