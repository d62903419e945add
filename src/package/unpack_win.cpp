// The Win32 host of extraction: few system calls per file, message boxes, AutoPlay and CD eject.
#include "package/unpack_win.h"

#include <windows.h>

#include "env/files.h"
#include "env/winutil.h"
#include "package/unpack.h"
#include "package/unpack_files_win.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

int g_writeFailures = 0;  // failed file writes in this process; only the first is shown

class Win32UnpackHost : public UnpackHost {
 public:
  Win32UnpackHost(const std::string& workFolder, int charset, const std::string& buttons,
                  const std::string& caption, UnpackProgressFn progress)
      : work_(workFolder), charset_(charset), buttons_(buttons), caption_(caption), progress_(progress) {}

  bool PieceExists(const std::string& path) override { return FileExists(path); }
  std::unique_ptr<ByteSource> OpenPiece(const std::string& path) override { return OpenPieceFile(path); }
  uint32_t PieceDosTime(const std::string& path) override {
    uint32_t t = 0;
    return FileDosDateTime(path, t) ? t : 0;
  }
  bool CreateWorkFolder(std::string& errorText) override {
    if (ForceDirectories(work_)) return true;
    errorText = LastErrorText();
    return false;
  }
  bool CreateFolders(const std::string& relative) override { return ForceDirectories(Target(relative)); }
  std::unique_ptr<UnpackOutput> OpenOutput(const std::string& relative, bool append, bool& existed) override {
    return OpenTargetFile(Target(relative), append, existed);
  }
  uint64_t TargetSize(const std::string& relative) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(Target(relative).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  double FreeSpace(const std::string&) override { return DiskFreeSpace(work_); }
  int& WriteFailureCount() override { return g_writeFailures; }
  void Progress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step) override {
    if (progress_ != nullptr) progress_(kind, first, max, position, step, std::string());
  }
  void ShowError(const std::string& text) override { ErrorBox(nullptr, text, std::string(), buttons_, charset_); }
  bool AskForDisk(const std::string& text) override {
    return ConfirmOkBox(nullptr, text, caption_, buttons_, charset_);
  }
  void SuppressAutoPlay() override { SetAutoPlaySuppression(true); }
  void EjectMedium(const std::string& path) override { EjectCD(path); }
  void PumpMessages() override { vx::PumpMessages(0); }
  void Wait(uint32_t ms) override { vx::Wait(ms); }

 private:
  std::string Target(const std::string& relative) const { return work_ + "\\" + relative; }

  std::string work_;
  int charset_;
  std::string buttons_;
  std::string caption_;
  UnpackProgressFn progress_;
};

}  // namespace

bool UnpackPackage(const std::string& packagePath, const std::string& workFolder, const std::string& agentName,
                   bool forcePrompt, int charset, const std::string& buttons, const std::string& caption,
                   const std::string& promptText, UnpackProgressFn progress, std::string& runCommand,
                   bool& checksumOk) {
  Win32UnpackHost host(workFolder, charset, buttons, caption, progress);
  UnpackRequest request;
  request.packagePath = packagePath;
  request.workFolder = workFolder;
  request.agentName = agentName;
  request.forcePrompt = forcePrompt;
  request.promptText = promptText;
  const UnpackResult result = UnpackPackageWith(request, host);
  runCommand = result.runCommand;
  checksumOk = result.checksumOk;
  if (result.failure == UnpackFailure::kNone) return true;
  // A failed write has had its box already (the first in the process) and ends the extraction.
  if (result.failure != UnpackFailure::kWriteFailed) ShowUnpackError(result.errorText, buttons, charset);
  return false;
}

void ShowUnpackError(const std::string& text, const std::string& buttons, int charset) {
  ErrorBox(nullptr, text + "<P><P>The setup will not be started.", std::string(), buttons, charset);
}

}  // namespace vx
