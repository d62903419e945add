// Web-hosted packages: the launcher carries only the web list; the full package comes from a web
// folder (or lies next to the launcher), must carry the same web token, and is then installed
// like an own package.
#pragma once
#include <string>

namespace vx {

// ---- Portable ----
extern const char* const kBadSecretToken;  // "Bad Secret Token!"

// The folder the package comes from: the launcher's own folder (no trailing backslash) when a
// copy of the package lies there and the web list allows local copies, else the web folder.
std::string WebSourceFolder(const std::string& webFolder, const std::string& ownFolder, bool noLocal,
                            bool localCopyExists);
std::string WebPackageUrl(const std::string& folder, const std::string& fileName);  // folder + "/" + name
std::string LocalCopyPath(const std::string& folder, const std::string& fileName);  // folder + "\" + name
// A name without folder parts ("\", "/", ":") that is not empty, "." or "..".
bool IsPlainFileName(const std::string& name);
// The download question with "<SIZE>" replaced by the megabytes of sizeText read as a decimal
// integer (0 when it is not one).
std::string AskDownloadText(const std::string& question, const std::string& sizeText);

// ---- Win32 layer ----
// Takes the local copy or downloads source folder + "/" + file name into the temporary folder,
// checks its web token against the own package's, runs the setup of an accepted package from
// workFolder, deletes a downloaded file in every case and shows its own errors.
void DownloadWebPackage(const std::string& workFolder, const std::string& sourceFolder, const std::string& fileName);

}  // namespace vx
