// Temporary space on the drives of this machine, the space question box, the force-prompt value.
#include <windows.h>

#include "launcher/tempspace.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/registry.h"
#include "text/utils.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

String g_alternativeBase;  // a folder on the fixed drive with the most room, or empty
String g_alternativeWork;  // created from the base on first use

// Free space of a drive as seen from a folder written there, or -1 when it cannot be written.
double ProbeDrive(char letter) {
  char root[] = "?:\\";
  root[0] = letter;
  if (GetDriveTypeA(root) != DRIVE_FIXED) return -1;
  String folder = root;
  folder += "TEMP";
  if (DirectoryExists(folder)) {
    folder += "\\TEMP";
    folder += RandomNumberText(10000, 100000);
  }
  double space = -1;
  ForceDirectories(folder);
  const String probe = folder + "\\~aa.tmp";
  WriteFileText(probe, "aa", 0, false);
  if (FileExists(probe)) space = DiskFreeSpace(folder);
  DeleteTree(folder, true);
  return space;
}

class BoxAsker : public SpaceAsker {
 public:
  explicit BoxAsker(int charset) : charset_(charset) {}
  bool Ask(const String& text, const String& caption, const String& buttons) override {
    return ConfirmBox(nullptr, text, caption, buttons, charset_);
  }

 private:
  int charset_;
};

}  // namespace

bool HasTempSpace(const String& folder, const TGFileInfo& package) {
  return package.SpaceRequired(folder) < DiskFreeSpace(folder) && DirectoryExists(folder);
}

bool FindAlternativeTemp() {
  if (!g_alternativeBase.empty()) return true;
  double recorded[3];
  for (int i = 0; i < 3; ++i) recorded[i] = ProbeDrive(static_cast<char>('C' + i));
  const String temp = TempDir();
  const char drive = AlternativeDrive(recorded, temp.empty() ? 0 : temp[0]);
  if (drive != 0) {
    g_alternativeBase = String(1, drive) + ":\\TEMP";
    if (DirectoryExists(g_alternativeBase)) g_alternativeBase += "\\TEMP";
  }
  return !g_alternativeBase.empty();
}

String AlternativeWorkFolder() {
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

bool ConfirmTempSpace(const String& folder, const TGFileInfo& package) {
  BoxAsker asker(package.LanguageCharset());
  return ConfirmTempSpaceWith(folder, package.SpaceRequired(folder), DiskFreeSpace(folder),
                              package.ConfirmExtractFlag(), package.LanguageBlock(), asker);
}

bool ForcePromptSetting() { return ForcePromptValue(RegReadStr(kSpanDiskKey, "ForcePrompt", "0")); }

}  // namespace vx
