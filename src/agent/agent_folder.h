// Where the update agent keeps its files: the two INI files and the files it fetches.
//
// The installation puts the agent and its original-settings file in one folder, the
// installation folder. When the user who runs the agent may write there, that folder holds
// everything, as it always has. When not (an application installed under Program Files by an
// administrator and run by a standard user), the agent works in a folder of that user's own
// under the local application data, named after the agent and the installation folder, and
// seeded with a copy of the installed original-settings file; the copy is made again whenever
// the installed file has changed since (a new installation or update rewrote it).
#pragma once
#include <cstdint>

#include "text/str.h"

namespace vx {

// FNV-1a (32 bits) of the folder path with ASCII letters upper-cased and trailing backslashes
// dropped, so that spellings of one folder that Windows treats as equal give one value.
uint32_t InstallFolderHash(const String& installFolder);

// localAppData + "\Vornix\AutoUpdate\" + the agent's name without folder and extension (file
// name characters only; "Agent" when nothing is left) + "_" + 8 upper-case hex digits of
// InstallFolderHash, with a trailing backslash.
String PerUserAgentFolder(const String& localAppData, const String& installFolder,
                          const String& agentExeName);

// The rule: the installation folder (with a trailing backslash) when writable, or when no
// local application data folder is known; otherwise the per-user folder.
String AgentFolderFor(const String& installFolder, bool installFolderWritable,
                      const String& localAppData, const String& agentExeName);

// Whether the per-user copy of the original-settings file is (re)made from the installed one:
// the installed file exists, and the copy is missing or was made from a different version of
// it (seededFrom: the installed file's last-write time recorded when the copy was made).
bool ShouldSeedOriginal(bool installedExists, bool copyExists, uint64_t installedWriteTime, uint64_t seededFrom);

// Section and key of the per-user copy that record the installed file's last-write time.
extern const char* const kSeedSection;  // "AgentFolder"
extern const char* const kSeedKey;      // "InstalledFileTime"

// ---- Windows build ----
// The folder of the agent's files, with a trailing backslash. A launcher without the agent flag
// uses its own folder. An agent uses the rule above with the folder of the program that
// started it (OriginDir: its own folder unless "/OriginExe=" names another) as the installation
// folder; that folder counts as writable when a new file can be created in it and the
// original-settings file, if present, can be opened for writing. Decided once per process.
const String& AgentFolder();
// For a per-user agent folder: creates it and (re)seeds its original-settings file. Returns
// false when the folder cannot be made; nothing to do (true) when the installation folder is
// the agent folder.
bool PrepareAgentFolder();

}  // namespace vx
