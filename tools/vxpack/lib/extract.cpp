// The extraction engine on a plain folder: Windows name rules on every system, nothing written
// outside the folder, no questions (a missing piece ends the run).
#include "extract.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <set>

#include "package/entry_name.h"
#include "package/file_source.h"

#if defined(_WIN32)
#include <windows.h>

#include "package/unpack_files_win.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace vxpack {
namespace {

#if defined(_WIN32)
constexpr char kSep = '\\';

bool IsRegularFile(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A real folder (not a link to somewhere else); created (and created set) when missing.
bool MakeFolder(const std::string& path, bool& created) {
  created = CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  if (!created && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

uint64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

double FreeBytes(const std::string& folder) {
  ULARGE_INTEGER avail;
  if (!GetDiskFreeSpaceExA(folder.c_str(), &avail, nullptr, nullptr)) return -1;
  return static_cast<double>(avail.QuadPart);
}

std::unique_ptr<vx::ByteSource> OpenSource(const std::string& path) { return vx::OpenPieceFile(path); }

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }
bool RemoveFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

std::unique_ptr<vx::UnpackOutput> OpenFile(const std::string& path, bool append, bool& existed) {
  return vx::OpenTargetFile(path, append, existed);
}

#else
constexpr char kSep = '/';

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool MakeFolder(const std::string& path, bool& created) {
  created = mkdir(path.c_str(), 0755) == 0;
  if (!created && errno != EEXIST) return false;
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);  // a symbolic link is refused
}

uint64_t SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

double FreeBytes(const std::string& folder) {
  struct statvfs vf;
  if (statvfs(folder.c_str(), &vf) != 0) return -1;
  return static_cast<double>(vf.f_bavail) * static_cast<double>(vf.f_frsize);
}

std::unique_ptr<vx::ByteSource> OpenSource(const std::string& path) {
  return std::unique_ptr<vx::ByteSource>(new vx::FileSource(path));
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }
bool RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

class PosixFile : public vx::UnpackOutput {
 public:
  PosixFile(const std::string& path, bool append, bool& existed) {
    const int base = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
    fd_ = open(path.c_str(), base | O_EXCL, 0644);
    existed = fd_ < 0 && errno == EEXIST;
    if (existed) fd_ = open(path.c_str(), base | (append ? O_APPEND : O_TRUNC), 0644);
    if (fd_ < 0) error_ = std::strerror(errno);
  }
  ~PosixFile() override {
    if (fd_ >= 0) close(fd_);
  }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;
  bool Ok() const override { return fd_ >= 0 && error_.empty(); }
  bool Write(const uint8_t* data, size_t len) override {
    while (Ok() && len > 0) {
      const ssize_t n = write(fd_, data, len);
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        error_ = n < 0 ? std::strerror(errno) : "nothing written";
        return false;
      }
      data += n;
      len -= static_cast<size_t>(n);
    }
    return Ok();
  }
  void SetDosTime(uint32_t dos) override {
    struct tm t {};
    t.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
    t.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
    t.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
    t.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
    t.tm_min = static_cast<int>((dos >> 5) & 0x3F);
    t.tm_sec = static_cast<int>(dos & 0x1F) * 2;
    t.tm_isdst = -1;
    if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_hour > 23 || t.tm_min > 59 || t.tm_sec > 59)
      return;  // not a date: the time stays as the system set it
    const time_t when = mktime(&t);
    if (when == static_cast<time_t>(-1)) return;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    futimens(fd_, times);
  }
  vx::String ErrorText() const override { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

std::unique_ptr<vx::UnpackOutput> OpenFile(const std::string& path, bool append, bool& existed) {
  return std::unique_ptr<vx::UnpackOutput>(new PosixFile(path, append, existed));
}
#endif

// Verify: content is inflated and counted, never stored.
class NullFile : public vx::UnpackOutput {
 public:
  bool Ok() const override { return true; }
  bool Write(const uint8_t*, size_t) override { return true; }
  void SetDosTime(uint32_t) override {}
  vx::String ErrorText() const override { return vx::String(); }
};

// Windows drops blanks and dots at the end of a name part and ignores letter case everywhere.
std::string TrimPart(const std::string& part) {
  std::string p = part;
  while (!p.empty() && (p.back() == ' ' || p.back() == '.')) p.pop_back();
  return p;
}

std::string PartKey(const std::string& part) { return vx::EntryKey(TrimPart(part)); }

std::string PlainText(const std::string& markup) {
  std::string s;
  for (size_t i = 0; i < markup.size(); ++i) {
    if (markup.compare(i, 3, "<P>") == 0) {
      s += "; ";
      i += 2;
    } else if (markup.compare(i, 3, "<T>") == 0) {
      i += 2;
    } else {
      s += markup[i];
    }
  }
  while (s.size() >= 2 && s.compare(s.size() - 2, 2, "; ") == 0) s.resize(s.size() - 2);
  return s;
}

class FolderHost : public vx::UnpackHost {
 public:
  FolderHost(const std::string& root, ExtractSummary& summary) : root_(root), summary_(summary) {
    while (root_.size() > 1 && (root_.back() == '/' || root_.back() == '\\')) root_.pop_back();
  }

  bool PieceExists(const vx::String& path) override { return IsRegularFile(path); }
  std::unique_ptr<vx::ByteSource> OpenPiece(const vx::String& path) override { return OpenSource(path); }
  uint32_t PieceDosTime(const vx::String&) override { return 0; }

  bool CreateWorkFolder(vx::String& errorText) override {
    if (root_.empty()) return true;
    std::string path;
    for (size_t i = 0; i <= root_.size(); ++i) {  // every missing parent too
      if (i == root_.size() || ((root_[i] == '/' || root_[i] == kSep) && i > 0)) {
        path = root_.substr(0, i);
        bool created = false;
        if (!IsFolder(path) && MakeFolder(path, created) && created) createdFolders_.push_back(path);
      }
    }
    if (IsFolder(root_)) return true;
    errorText = "cannot create the folder";
    return false;
  }
  bool CreateFolders(const vx::String& relative) override {
    std::string actual;
    return root_.empty() || Folder(relative, actual);
  }
  std::unique_ptr<vx::UnpackOutput> OpenOutput(const vx::String& relative, bool append, bool& existed) override {
    const std::string key = Key(relative);
    if (root_.empty()) {
      existed = !seen_.insert(key).second;
      return std::unique_ptr<vx::UnpackOutput>(new NullFile());
    }
    std::string path;
    auto it = files_.find(key);
    if (it != files_.end()) {
      path = it->second;
    } else {
      std::string folder;
      const size_t cut = relative.find_last_of('\\');
      if (!Folder(cut == vx::String::npos ? std::string() : std::string(relative.substr(0, cut)), folder)) {
        existed = false;
        return std::unique_ptr<vx::UnpackOutput>(new FailedFile("cannot create its folder"));
      }
      path = folder + kSep + TrimPart(cut == std::string::npos ? relative : relative.substr(cut + 1));
      files_[key] = path;
      std::unique_ptr<vx::UnpackOutput> out = OpenFile(path, append, existed);
      // A file that was there before is written to but never removed.
      if (out->Ok()) (existed ? changed_ : created_).push_back(path);
      return out;
    }
    return OpenFile(path, append, existed);
  }
  uint64_t TargetSize(const vx::String& relative) override {
    auto it = files_.find(Key(relative));
    return it == files_.end() ? 0 : SizeOf(it->second);
  }
  double FreeSpace(const vx::String&) override { return root_.empty() ? -1 : FreeBytes(root_); }
  int& WriteFailureCount() override { return failures_; }
  void Progress(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
  void ShowError(const vx::String& text) override { summary_.messages.push_back(PlainText(text)); }
  bool AskForDisk(const vx::String&) override { return false; }
  void SuppressAutoPlay() override {}
  void EjectMedium(const vx::String& path) override { summary_.missingPiece = path; }
  void PumpMessages() override {}
  void Wait(uint32_t) override {}
  void NotePiece(const PieceReport& r) override { summary_.pieces.push_back(r); }
  void NoteFile(const FileReport& r) override {
    auto first = spelling_.emplace(Key(r.relative), r.relative).first;
    if (first->second != r.relative)
      summary_.warnings.push_back("\"" + r.relative + "\" and \"" + first->second +
                                  "\" are one file on Windows: block " + std::to_string(r.block) +
                                  " is appended to it");
    if (!r.written) {
      // The path as this system writes it (not the package's backslashes).
      auto it = files_.find(Key(r.relative));
      summary_.writeErrors.push_back((it != files_.end() ? it->second : root_ + kSep + std::string(r.relative)) +
                                     " could not be written");
    }
    summary_.files.push_back(r);
  }

  // After a refused extraction: removes the files and folders this run created (folders only
  // when empty), newest first; files that were there before stay as they are now.
  void RemoveWritten(ExtractSummary& s) {
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
      (RemoveFile(*it) ? s.removed : s.left).push_back(*it);
    for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it)
      (RemoveFolder(*it) ? s.removed : s.left).push_back(*it);
    for (const std::string& path : changed_) s.left.push_back(path);
    created_.clear();
    createdFolders_.clear();
    changed_.clear();
  }

 private:
  class FailedFile : public vx::UnpackOutput {
   public:
    explicit FailedFile(const std::string& why) : why_(why) {}
    bool Ok() const override { return false; }
    bool Write(const uint8_t*, size_t) override { return false; }
    void SetDosTime(uint32_t) override {}
    vx::String ErrorText() const override { return why_; }

   private:
    std::string why_;
  };

  static bool IsFolder(const std::string& path) {
#if defined(_WIN32)
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
  }

  static std::string Key(const std::string& relative) {
    std::string key, part;
    for (size_t i = 0; i <= relative.size(); ++i) {
      if (i == relative.size() || relative[i] == '\\') {
        if (!key.empty()) key += '\\';
        key += PartKey(part);
        part.clear();
      } else {
        part += relative[i];
      }
    }
    return key;
  }

  // The folder for a relative folder name, made part by part below the root: the first
  // spelling of a part is kept, and each part must be a real folder.
  bool Folder(const std::string& relative, std::string& actual) {
    actual = root_;
    if (relative.empty()) return true;
    std::string key, part;
    for (size_t i = 0; i <= relative.size(); ++i) {
      if (i < relative.size() && relative[i] != '\\') {
        part += relative[i];
        continue;
      }
      if (!key.empty()) key += '\\';
      key += PartKey(part);
      auto it = folders_.find(key);
      if (it != folders_.end()) {
        actual = it->second;
      } else {
        actual += kSep + TrimPart(part);
        bool created = false;
        if (!MakeFolder(actual, created)) return false;
        if (created) createdFolders_.push_back(actual);
        folders_[key] = actual;
      }
      part.clear();
    }
    return true;
  }

  std::string root_;
  ExtractSummary& summary_;
  int failures_ = 0;
  std::map<std::string, std::string> folders_;   // key -> path made
  std::map<std::string, std::string> files_;     // key -> path written
  std::map<std::string, std::string> spelling_;  // key -> first spelling in the package
  std::set<std::string> seen_;                   // verify: names seen
  std::vector<std::string> created_;             // files this run created, in order
  std::vector<std::string> createdFolders_;      // folders this run created, in order
  std::vector<std::string> changed_;             // files that were there before and were written to
};

}  // namespace

ExtractSummary ExtractPackage(const std::string& package, const std::string& folder) {
  ExtractSummary s;
  if (!IsRegularFile(package)) {
    s.problem = "cannot open " + package;
    return s;
  }
  FolderHost host(folder, s);
  vx::UnpackRequest request;
  request.packagePath = package;
  request.workFolder = folder;
  s.result = vx::UnpackPackageWith(request, host);
  // A file without a package trailer was never a package when it has no trailer-sized length
  // field at its end or fails the checksum test; a package whose trailer alone was damaged passes
  // both, and is reported as damaged.
  const vx::UnpackHost::PieceReport* first = s.pieces.empty() ? nullptr : &s.pieces.front();
  if (first != nullptr && !first->isPackage &&
      (first->trailer.length < vx::kTrailerLength || !first->checksumOk || first->checksumSkipped)) {
    s.problem = "not a package: no trailer (" + package + ")";
    s.notPackage = true;
  } else if (s.result.failure == vx::UnpackFailure::kWriteFailed && !s.writeErrors.empty()) {
    s.problem = s.writeErrors.front();
    const std::string engineText = s.result.errorText;
    const size_t cause = engineText.rfind(" could not be written: ");
    if (cause != std::string::npos) s.problem += engineText.substr(cause + 21);
  } else if (s.result.failure != vx::UnpackFailure::kNone) {
    s.problem = s.result.errorText;
  } else if (!s.result.checksumOk) {
    const std::string piece = s.pieces.empty() ? package : std::string(s.pieces.back().path);
    s.problem = "checksum mismatch in " + piece + ": the file is damaged";
  } else if (s.result.cancelled) {
    s.problem = "piece " + s.missingPiece + " is missing";
  } else if (!s.messages.empty()) {
    s.problem = s.messages.front();
  } else if (!s.writeErrors.empty()) {
    s.problem = s.writeErrors.front();
  }
  s.ok = s.problem.empty();
  if (!s.ok) host.RemoveWritten(s);
  return s;
}

}  // namespace vxpack
