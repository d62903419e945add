#include "agent/agent_folder.h"

#include <cstring>

#include "launcher/modes.h"
#include "text/paths.h"
#include "text/utils.h"

namespace vx {

const char* const kSeedSection = "AgentFolder";
const char* const kSeedKey = "InstalledFileTime";

namespace {

// The length of path without its trailing backslashes and slashes.
size_t UntrailedLength(const String& path) {
  size_t n = path.size();
  while (n > 0 && (path[n - 1] == '\\' || path[n - 1] == '/')) --n;
  return n;
}

// path without its trailing backslashes and slashes, followed by tail.
String Untrailed(const String& path, const char* tail) {
  String out(path.data(), UntrailedLength(path));
  out += tail;
  return out;
}

// A name that is safe as one file-name part: characters Windows refuses in file names and
// control characters become "_", leading and trailing dots and blanks go.
String FileNameSafe(const String& name) {
  String out;
  for (char c : name)
    out += static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr ? '_' : c;
  size_t first = 0;
  while (first < out.size() && (out[first] == '.' || out[first] == ' ')) ++first;
  size_t last = out.size();
  while (last > first && (out[last - 1] == '.' || out[last - 1] == ' ')) --last;
  return out.substr(first, last - first);
}

}  // namespace

uint32_t InstallFolderHash(const String& installFolder) {
  uint32_t h = 2166136261u;
  const size_t n = UntrailedLength(installFolder);
  for (size_t i = 0; i < n; ++i) {
    const char c = installFolder[i];
    h ^= static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    h *= 16777619u;
  }
  return h;
}

String PerUserAgentFolder(const String& localAppData, const String& installFolder,
                          const String& agentExeName) {
  String name = FileNameSafe(NameWithoutExt(FileNamePart(agentExeName)));
  if (name.empty()) name = "Agent";
  String folder = Untrailed(localAppData, "\\Vornix\\AutoUpdate\\");
  folder += name;
  folder += '_';
  const uint32_t hash = InstallFolderHash(installFolder);
  for (int shift = 28; shift >= 0; shift -= 4) folder += "0123456789ABCDEF"[(hash >> shift) & 15];
  folder += '\\';
  return folder;
}

String AgentFolderFor(const String& installFolder, bool installFolderWritable,
                      const String& localAppData, const String& agentExeName) {
  if (installFolderWritable || Trim(localAppData).empty()) return Untrailed(installFolder, "\\");
  return PerUserAgentFolder(localAppData, installFolder, agentExeName);
}

bool ShouldSeedOriginal(bool installedExists, bool copyExists, uint64_t installedWriteTime, uint64_t seededFrom) {
  return installedExists && (!copyExists || installedWriteTime != seededFrom);
}

}  // namespace vx
