#include "system/registry.h"

#include "text/utils.h"

namespace vx {

const char* const kCurrentVersionKeyPath = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

uint32_t RegRootFromName(StrView rootName) {
  static const struct {
    const char* name;
    uint32_t root;
  } kRoots[] = {
      {"HKEY_CLASSES_ROOT", kRootClassesRoot},     {"HKEY_CURRENT_USER", kRootCurrentUser},
      {"HKEY_LOCAL_MACHINE", kRootLocalMachine},   {"HKEY_USERS", kRootUsers},
      {"HKEY_CURRENT_CONFIG", kRootCurrentConfig}, {"HKEY_DYN_DATA", kRootDynData},
  };
  for (const auto& r : kRoots)
    if (SameTextCI(rootName, r.name)) return r.root;
  return kRootCurrentUser;
}

RegPath SplitRegPath(const String& fullPath) {
  RegPath out;
  String& path = out.subKey;  // the trimmed path, then what follows its root
  path = Trim(fullPath);
  const size_t slash = path.find('\\');
  if (path.size() >= 5 && SameTextCI(StrView(path.data(), 5), "HKEY_") && slash != String::npos) {
    out.root = RegRootFromName(StrView(path.data(), slash));
    path.erase(0, slash + 1);
  }
  return out;
}

String CurrentVersionKeyFor(bool winNT) {
  const String key = kCurrentVersionKeyPath;
  return winNT ? ReplaceAll(key, "Windows", "Windows NT") : key;
}

}  // namespace vx
