// Web-hosted packages: the launcher carries only the web list; the full package comes from a web
// folder (or lies next to the launcher), must carry the same web token, and is then installed
// like an own package.
#pragma once
#include "text/str.h"
namespace vx {

// ---- Portable ----
extern const char* const kBadSecretToken;  // "Bad Secret Token!"

// The folder the package comes from: the launcher's own folder (no trailing backslash) when a
// copy of the package lies there and the web list allows local copies, else the web folder.
String WebSourceFolder(const String& webFolder, const String& ownFolder, bool noLocal,
                       bool localCopyExists);
String WebPackageUrl(const String& folder, const String& fileName);  // folder + "/" + name
String LocalCopyPath(const String& folder, const String& fileName);  // folder + "\" + name
// A name without folder parts ("\", "/", ":") that is not empty, "." or "..".
bool IsPlainFileName(const String& name);
// The download question with "<SIZE>" replaced by the megabytes of sizeText read as a decimal
// integer (0 when it is not one).
String AskDownloadText(const String& question, const String& sizeText);

// ---- Win32 layer ----
// Takes the local copy or downloads source folder + "/" + file name into the temporary folder,
// checks its web token against the own package's, runs the setup of an accepted package from
// workFolder, deletes a downloaded file in every case and shows its own errors.
void DownloadWebPackage(const String& workFolder, const String& sourceFolder, const String& fileName);

}  // namespace vx
