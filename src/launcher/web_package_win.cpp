// Web-hosted packages (Win32 side): local copy or download, token check, setup, clean-up, errors.
#include <windows.h>

#include "launcher/main_body.h"
#include "launcher/setup_launch.h"
#include "launcher/stub_window.h"
#include "launcher/web_package.h"
#include "net/inet_http.h"
#include "package/signature.h"
#include "package/unpack_files_win.h"
#include "system/files.h"
#include "system/folders.h"
#include "ui/lang_defaults.h"
#include "ui/msgbox.h"

namespace vx {
namespace {

const char* const kDeclined = "!";  // the user said No: nothing to show

}  // namespace

void DownloadWebPackage(const String& workFolder, const String& sourceFolder, const String& fileName) {
  const TGFileInfo& own = OwnPackage();
  const String url = WebPackageUrl(sourceFolder, fileName);
  const String none;  // every empty argument below
  String error;
  bool downloaded = false;
  String packagePath = LocalCopyPath(sourceFolder, fileName);
  if (!IsPlainFileName(fileName)) {
    // A name with folder parts would place the download outside the temporary folder.
    error = NotFoundErrorText(url);
  } else if (!FileExists(packagePath)) {
    ShowPackageStatus(own, "s10");
    if (own.AskDownloadFlag() && !ConfirmBox(StubWindowHandle(), AskDownloadText(PackageText(own, "s11"), own.WebSizeText()),
                                             PackageText(own, "Confirm"), PackageText(own, "BtnText"),
                                             own.LanguageCharset()))
      error = kDeclined;
    if (!InternetConnected()) error = PackageText(own, "s12");
    SetDownloadAbortFlag(false);
    packagePath = TempDir(true) + fileName;
    if (error.empty()) {
      String content;
      HTTP_DownloadFile_Incremental(StubWindowHandle(), url, packagePath, content, DownloadProgress, error);
      downloaded = error.empty();
    }
  }
  if (error.empty()) {
    const TGFileInfo package(*OpenPieceFile(packagePath));
    if (!own.SameWebToken(package)) error = CheckNotFoundPage(packagePath, none, url, kBadSecretToken);
    else error = SignatureRefusal(packagePath);
  }
  if (error.empty()) RunSetup(workFolder, packagePath, none, none, true);
  if (downloaded) DeleteFileA(packagePath.c_str());
  if (!error.empty() && error != kDeclined)
    PackageErrorBox(StubWindowHandle(), own, error);
}

}  // namespace vx
