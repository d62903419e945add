#include "agent/agent_folder.h"

#include "launcher/modes.h"
#include "text/paths.h"
#include "text/utils.h"

namespace vx {

const char* const kSeedSection = "AgentFolder";
const char* const kSeedKey = "InstalledFileTime";

namespace {

String WithoutTrailingBackslashes(String path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// A name that is safe as one file-name part: characters Windows refuses in file names and
// control characters become "_", leading and trailing dots and blanks go.
String FileNameSafe(const String& name) {
  String out;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool refused = u < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '\\' ||
                         c == '|' || c == '?' || c == '*';
    out += refused ? '_' : c;
  }
  size_t first = 0;
  while (first < out.size() && (out[first] == '.' || out[first] == ' ')) ++first;
  size_t last = out.size();
  while (last > first && (out[last - 1] == '.' || out[last - 1] == ' ')) --last;
  return out.substr(first, last - first);
}

String Hex8(uint32_t v) {
  static const char digits[] = "0123456789ABCDEF";
  String out(8, '0');
  for (int i = 7; i >= 0; --i, v >>= 4) out[static_cast<size_t>(i)] = digits[v & 15];
  return out;
}

}  // namespace

uint32_t InstallFolderHash(const String& installFolder) {
  uint32_t h = 2166136261u;
  for (char c : UpperCase(WithoutTrailingBackslashes(installFolder))) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

String PerUserAgentFolder(const String& localAppData, const String& installFolder,
                          const String& agentExeName) {
  String name = FileNameSafe(NameWithoutExt(FileNamePart(agentExeName)));
  if (name.empty()) name = "Agent";
  return WithoutTrailingBackslashes(localAppData) + "\\Vornix\\AutoUpdate\\" + name + "_" +
         Hex8(InstallFolderHash(installFolder)) + "\\";
}

String AgentFolderFor(const String& installFolder, bool installFolderWritable,
                      const String& localAppData, const String& agentExeName) {
  if (installFolderWritable || Trim(localAppData).empty()) return WithoutTrailingBackslashes(installFolder) + "\\";
  return PerUserAgentFolder(localAppData, installFolder, agentExeName);
}

bool ShouldSeedOriginal(bool installedExists, bool copyExists, uint64_t installedWriteTime, uint64_t seededFrom) {
  return installedExists && (!copyExists || installedWriteTime != seededFrom);
}

}  // namespace vx
