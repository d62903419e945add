#include <windows.h>

#include "env/folders.h"

namespace vx {

std::string ExePath() {
  char buf[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return std::string(buf, n < sizeof buf ? n : 0);
}

std::string ExeDir() {
  std::string p = ExePath();
  size_t cut = p.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
}

std::string TempDir() {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string t(buf, n < sizeof buf ? n : 0);
  if (!t.empty() && t.back() != '\\') t += '\\';
  return t;
}

}  // namespace vx
