// Win32 files for extraction: pieces read with few calls, targets written straight through.
#include "package/unpack_files_win.h"

#include <windows.h>

#include "system/files.h"
#include "system/winutil_win.h"

namespace vx {
namespace {

// A piece opened for reading with other readers and writers allowed.
class PieceFile : public ByteSource {
 public:
  explicit PieceFile(const String& path) {
    h_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    LARGE_INTEGER size;
    if (h_ != INVALID_HANDLE_VALUE && GetFileSizeEx(h_, &size)) size_ = static_cast<uint64_t>(size.QuadPart);
  }
  ~PieceFile() override {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  PieceFile(const PieceFile&) = delete;
  PieceFile& operator=(const PieceFile&) = delete;
  bool IsOpen() const override { return h_ != INVALID_HANDLE_VALUE; }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buf, size_t len) override {
    if (h_ == INVALID_HANDLE_VALUE || len == 0 || offset >= size_) return 0;
    if (len > size_ - offset) len = static_cast<size_t>(size_ - offset);
    if (offset != pos_) {
      LARGE_INTEGER to;
      to.QuadPart = static_cast<LONGLONG>(offset);
      if (!SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) {
        pos_ = UINT64_MAX;
        return 0;
      }
      pos_ = offset;
    }
    size_t done = 0;
    while (done < len) {
      DWORD got = 0;
      if (!ReadFile(h_, static_cast<char*>(buf) + done, static_cast<DWORD>(len - done), &got, nullptr) || got == 0)
        break;
      done += got;
    }
    pos_ = offset + done;
    return done;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
  uint64_t size_ = 0;
  uint64_t pos_ = 0;
};

class TargetFile : public UnpackOutput {
 public:
  TargetFile(const String& path, bool append, bool& existed) {
    h_ = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD code = GetLastError();
    if (h_ == INVALID_HANDLE_VALUE) {
      error_ = LastErrorText();
      existed = FileExists(path);
      return;
    }
    existed = code == ERROR_ALREADY_EXISTS;
    if (existed && append) {
      LARGE_INTEGER zero;
      zero.QuadPart = 0;
      if (!SetFilePointerEx(h_, zero, nullptr, FILE_END)) Failed();
    }
  }
  ~TargetFile() override {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  bool Ok() const override { return h_ != INVALID_HANDLE_VALUE && error_.empty(); }
  bool Write(const uint8_t* data, size_t len) override {
    while (Ok() && len > 0) {
      DWORD written = 0;
      if (!WriteFile(h_, data, static_cast<DWORD>(len), &written, nullptr) || written == 0) {
        Failed();
        return false;
      }
      data += written;
      len -= written;
    }
    return Ok();
  }
  void SetDosTime(uint32_t dosDateTime) override { SetDosDate(h_, dosDateTime); }
  String ErrorText() const override { return error_; }

 private:
  void Failed() {
    error_ = LastErrorText();
    if (error_.empty()) error_ = " ";
  }
  HANDLE h_ = INVALID_HANDLE_VALUE;
  String error_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenPieceFile(const String& path) {
  return std::unique_ptr<ByteSource>(new PieceFile(path));
}

std::unique_ptr<UnpackOutput> OpenTargetFile(const String& path, bool append, bool& existed) {
  return std::unique_ptr<UnpackOutput>(new TargetFile(path, append, existed));
}

}  // namespace vx
