// Web-hosted packages: the launcher carries no files and fetches the full package.
#include <windows.h>

#include "launcher/main_body.h"
#include "launcher/modes.h"
#include "launcher/setup_launch.h"
#include "launcher/web_package.h"
#include "package/entry_name.h"
#include "package/package.h"
#include "package/unpack.h"
#include "package/unpack_files_win.h"
#include "package/unpack_win.h"
#include "system/files.h"
#include "system/folders.h"
#include "text/switches.h"
#include "text/utils.h"
#include "ui/lang_defaults.h"
#include "ui/language.h"

namespace vx {

void RunWebHostedJob(const String& agentName) {
  // The update agent is the launcher itself with its agent flag set: the fifth byte from the end
  // of the trailer. A signed launcher's trailer ends at its package-end field, before the
  // signature, so the flag is found from there rather than from the end of the file.
  if (!agentName.empty()) {
    // The name comes from the package: the same check as extraction gives it, so that it cannot
    // point outside the work folder.
    String relative, reason;
    if (!CheckEntryName(agentName, relative, reason)) {
      const String& texts = OwnPackage().LanguageBlock();
      ShowUnpackError(UnsafeAgentNameText(agentName, reason), LauncherText(texts, "Error"), LauncherText(texts, "BtnText"),
                      LanguageCharset(texts));
      return;
    }
    const String& module = ModulePath();
    String self = ReadFilePart(module, 0, 0);
    const uint64_t end = PackageEnd(*OpenPieceFile(module));
    if (end >= 5 && end <= self.size()) {
      self[end - 5] = 1;
      uint32_t dos = 0;
      FileDosDateTime(module, dos);
      String target = WorkFolder() + "\\";
      const String folder = EntryFolder(relative);
      if (!folder.empty()) ForceDirectories(target + folder);
      target += relative;
      WriteFileText(target, self, dos, false);
    }
  }
  // The package comes from the web folder, or from the launcher's own folder when a copy lies
  // there and the web list allows it.
  const TGFileInfo& own = OwnPackage();
  const String ownFolder = FolderPart(ModulePath());
  const String fileName = own.WebFileName();
  const String source = WebSourceFolder(own.WebFolder(), RemoveTrailingBackslash(ownFolder), own.WebNoLocal(),
                                        IsPlainFileName(fileName) && FileExists(ownFolder + fileName));
  DownloadWebPackage(WorkFolder(), source, fileName);
}

}  // namespace vx
