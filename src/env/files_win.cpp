#include <windows.h>

#include "env/files.h"

namespace vx {

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string& path) {
  std::string p = path;
  while (p.size() > 3 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  if (p.empty()) return false;
  if (DirectoryExists(p)) return true;
  size_t cut = p.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0) {
    std::string parent = p.substr(0, cut);
    if (!(parent.size() == 2 && parent[1] == ':') && !ForceDirectories(parent)) return false;
  }
  return CreateDirectoryA(p.c_str(), nullptr) || DirectoryExists(p);
}

bool FileDosDateTime(const std::string& path, uint32_t& dosDateTime) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return false;
  dosDateTime = (static_cast<uint32_t>(date) << 16) | time;
  return true;
}

bool DeleteByMask(const std::string& mask, bool clearAttributes) {
  size_t cut = mask.find_last_of("\\:");
  std::string prefix = cut == std::string::npos ? std::string() : mask.substr(0, cut + 1);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(mask.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool any = false;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    any = true;
    std::string file = prefix + fd.cFileName;
    if (clearAttributes) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return any;
}

bool DeleteTree(const std::string& folder, bool clearAttributes) {
  if (folder.empty()) return false;
  std::string dir = folder;
  while (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  bool existed = DirectoryExists(dir);
  DeleteByMask(dir + "\\*.*", clearAttributes);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*.*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string sub = dir + "\\" + name;
      DeleteTree(sub, clearAttributes);
      RemoveDirectoryA(sub.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
  return existed && !DirectoryExists(dir);
}

}  // namespace vx

namespace vx {
// Placeholder until the self-delete batch lands.
void WriteSelfDeleteBatch(bool) {}
}  // namespace vx
