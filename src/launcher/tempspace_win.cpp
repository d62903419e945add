// Temporary space on the drives of this machine, the space question box, the force-prompt value.
#include <windows.h>

#include "env/files.h"
#include "env/folders.h"
#include "env/registry.h"
#include "env/utils.h"
#include "launcher/tempspace.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

std::string g_alternativeBase;  // a folder on the fixed drive with the most room, or empty
std::string g_alternativeWork;  // created from the base on first use

// Free space of a drive as seen from a folder written there, or -1 when it cannot be written.
double ProbeDrive(char letter) {
  const std::string root = std::string(1, letter) + ":\\";
  if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) return -1;
  std::string folder = root + "TEMP";
  if (DirectoryExists(folder)) folder += "\\TEMP" + RandomNumberText(10000, 100000);
  double space = -1;
  ForceDirectories(folder);
  const std::string probe = folder + "\\~aa.tmp";
  WriteFileText(probe, "aa", 0, false);
  if (FileExists(probe)) space = DiskFreeSpace(folder);
  DeleteTree(folder, true);
  return space;
}

class BoxAsker : public SpaceAsker {
 public:
  explicit BoxAsker(int charset) : charset_(charset) {}
  bool Ask(const std::string& text, const std::string& caption, const std::string& buttons) override {
    return ConfirmBox(nullptr, text, caption, buttons, charset_);
  }

 private:
  int charset_;
};

}  // namespace

bool HasTempSpace(const std::string& folder, const std::string& packagePath) {
  const TGFileInfo package(packagePath);
  return package.SpaceRequired(folder) < DiskFreeSpace(folder) && DirectoryExists(folder);
}

bool FindAlternativeTemp() {
  if (!g_alternativeBase.empty()) return true;
  double recorded[3];
  for (int i = 0; i < 3; ++i) recorded[i] = ProbeDrive(static_cast<char>('C' + i));
  const std::string temp = TempDir();
  const char drive = AlternativeDrive(recorded, temp.empty() ? 0 : temp[0]);
  if (drive != 0) {
    g_alternativeBase = std::string(1, drive) + ":\\TEMP";
    if (DirectoryExists(g_alternativeBase)) g_alternativeBase += "\\TEMP";
  }
  return !g_alternativeBase.empty();
}

std::string AlternativeWorkFolder() {
  if (g_alternativeWork.empty() && !g_alternativeBase.empty()) {
    g_alternativeWork = g_alternativeBase + "_" + RandomNumberText(10000, 100000);
    DeleteTree(g_alternativeWork, true);
    ForceDirectories(g_alternativeWork);
  }
  return g_alternativeWork;
}

void RemoveAlternativeWorkFolder() {
  if (g_alternativeWork.empty()) return;
  DeleteTree(g_alternativeWork, true);
  g_alternativeWork.clear();
}

bool ConfirmTempSpace(const std::string& folder, const TGFileInfo& package) {
  BoxAsker asker(package.LanguageCharset());
  return ConfirmTempSpaceWith(folder, package.SpaceRequired(folder), DiskFreeSpace(folder),
                              package.ConfirmExtractFlag(), package.LanguageBlock(), asker);
}

bool ForcePromptSetting() { return ForcePromptValue(RegReadStr(kSpanDiskKey, "ForcePrompt", "0")); }

}  // namespace vx
