// The Win32 host of extraction: few system calls per file, message boxes, AutoPlay and CD eject.
#include "package/unpack_win.h"

#include <windows.h>

#include "package/unpack.h"
#include "package/unpack_files_win.h"
#include "system/files.h"
#include "system/winutil_win.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

int g_writeFailures = 0;  // failed file writes in this process; only the first is shown

// Every message pump asks the system for messages and every drawn progress step invalidates the
// bars: under Wine each is a round trip to its server, costlier than writing a small file. While
// data flows the windows are served, and the gathered steps drawn, at most every few milliseconds.
constexpr DWORD kPumpEveryMs = 10;

class Win32UnpackHost : public UnpackHost {
 public:
  Win32UnpackHost(const UnpackRequest& request, const UnpackUi& ui, std::unique_ptr<ByteSource> firstPiece)
      : work_(request.workFolder), ui_(ui), firstPiece_(std::move(firstPiece)) {}

  bool PieceExists(const String& path) override { return FileExists(path); }
  std::unique_ptr<ByteSource> OpenPiece(const String& path) override {
    // The first piece may come open from the caller, who has read its texts from it. Extraction
    // opens the first piece first (a missing first piece ends it before any other).
    if (firstPiece_ && firstPiece_->IsOpen()) return std::move(firstPiece_);
    return OpenPieceFile(path);
  }
  uint32_t PieceDosTime(const String& path) override {
    uint32_t t = 0;
    return FileDosDateTime(path, t) ? t : 0;
  }
  bool CreateWorkFolder(String& errorText) override {
    if (ForceDirectories(work_)) return true;
    errorText = LastErrorText();
    return false;
  }
  bool CreateFolders(const String& relative) override { return ForceDirectories(Target(relative)); }
  std::unique_ptr<UnpackOutput> OpenOutput(const String& relative, bool append, bool& existed) override {
    return OpenTargetFile(Target(relative), append, existed);
  }
  uint64_t TargetSize(const String& relative) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(Target(relative).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  double FreeSpace(const String&) override { return DiskFreeSpace(work_); }
  int& WriteFailureCount() override { return g_writeFailures; }
  void Progress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step) override {
    if (ui_.progress == nullptr) return;
    if (kind == 1) {
      ++steps_;  // drawn with the next pump, box or wait (extraction ends with a wait)
      return;
    }
    ui_.progress(kind, first, max, position, step, noText_);  // starts come before any step
  }
  void ShowError(const String& text) override {
    DrawSteps();
    ErrorBox(nullptr, text, ui_.errorCaption, ui_.buttons, ui_.charset);
  }
  bool AskForDisk(const String& text) override {
    DrawSteps();
    return ConfirmOkBox(nullptr, text, ui_.caption, ui_.buttons, ui_.charset);
  }
  void SuppressAutoPlay() override { SetAutoPlaySuppression(true); }
  void EjectMedium(const String& path) override { EjectCD(path); }
  void PumpMessages() override {
    if (GetTickCount() - pumped_ < kPumpEveryMs) return;
    DrawSteps();
    vx::PumpMessages(0);
    pumped_ = GetTickCount();
  }
  void Wait(uint32_t ms) override {
    DrawSteps();
    vx::Wait(ms);
  }

 private:
  // Hands the gathered progress steps to the callback in one call.
  void DrawSteps() {
    if (steps_ == 0) return;
    ui_.progress(1, 0, 0, 0, steps_, noText_);
    steps_ = 0;
  }

  String Target(const String& relative) const { return work_ + "\\" + relative; }

  String work_;
  const UnpackUi& ui_;
  std::unique_ptr<ByteSource> firstPiece_;
  const String noText_;                           // progress calls carry no text
  int32_t steps_ = 0;                             // progress steps not yet drawn
  DWORD pumped_ = GetTickCount() - kPumpEveryMs;  // the first call pumps
};

}  // namespace

UnpackResult UnpackPackage(const UnpackRequest& request, const UnpackUi& ui,
                           std::unique_ptr<ByteSource> firstPiece) {
  Win32UnpackHost host(request, ui, std::move(firstPiece));
  const UnpackResult result = UnpackPackageWith(request, host);
  // A failed write has had its box already (the first in the process) and ends the extraction.
  if (result.failure != UnpackFailure::kNone && result.failure != UnpackFailure::kWriteFailed)
    ShowUnpackError(result.errorText, ui.errorCaption, ui.buttons, ui.charset);
  return result;
}

void ShowUnpackError(const String& text, const String& caption, const String& buttons, int charset) {
  ErrorBox(nullptr, text + "<P><P>The setup will not be started.", caption, buttons, charset);
}

}  // namespace vx
