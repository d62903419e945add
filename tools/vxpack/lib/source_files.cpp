#include "source_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "package/entry_name.h"

namespace vxpack {
namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Control characters as "\x01" and so on, so that a name stays on one line.
std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c < 32 || c == 127) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

uint32_t DosDateTime(std::time_t t, bool utc) {
  std::tm tm{};
#if defined(_WIN32)
  if ((utc ? gmtime_s(&tm, &t) : localtime_s(&tm, &t)) != 0) return (1u << 5 | 1u) << 16;
#else
  if ((utc ? gmtime_r(&t, &tm) : localtime_r(&t, &tm)) == nullptr) return (1u << 5 | 1u) << 16;
#endif
  int year = tm.tm_year + 1900;
  if (year < 1980) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
  if (year > 2107) return (127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
  const uint32_t date = static_cast<uint32_t>(year - 1980) << 9 |
                        static_cast<uint32_t>(tm.tm_mon + 1) << 5 | static_cast<uint32_t>(tm.tm_mday);
  const uint32_t time = static_cast<uint32_t>(tm.tm_hour) << 11 |
                        static_cast<uint32_t>(tm.tm_min) << 5 |
                        static_cast<uint32_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec) / 2;
  return date << 16 | time;
}

bool StatFile(const std::string& path, uint64_t& size, uint32_t& dosTime, int64_t& mtime) {
#if defined(_WIN32)
  struct __stat64 st;
  if (_stat64(path.c_str(), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) return false;
#else
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
#endif
  size = static_cast<uint64_t>(st.st_size);
  mtime = static_cast<int64_t>(st.st_mtime);
  dosTime = DosDateTime(static_cast<std::time_t>(st.st_mtime));
  return true;
}

bool ScanFolder(const std::string& folder, std::vector<SourceFile>& files, std::string& error) {
  std::error_code ec;
  if (!fs::is_directory(fs::path(folder), ec)) {
    error = "files folder not found: " + folder;
    return false;
  }
  fs::recursive_directory_iterator it(fs::path(folder), fs::directory_options::follow_directory_symlink, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const fs::path rel = it->path().lexically_relative(fs::path(folder));
    std::string name;
    for (const fs::path& part : rel) {
      if (!name.empty()) name += '\\';
      name += part.string();
    }
    SourceFile f;
    f.name = name;
    f.path = it->path().string();
    if (!StatFile(f.path, f.size, f.dosTime, f.mtime)) {
      error = "cannot read file: " + f.path;
      return false;
    }
    files.push_back(f);
  }
  if (ec) {
    error = "cannot list folder " + folder + ": " + ec.message();
    return false;
  }
  return true;
}

std::string CheckPackageName(const std::string& name) {
  if (name.empty()) return "empty file name";
  if (name.size() > vx::kMaxEntryName) return "file name longer than 240 characters";
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('\\', start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return "bad folder part in file name";
    if (part.back() == ' ' || part.back() == '.') return "a name part ends in a blank or period";
    if (vx::IsDeviceName(part)) return "a reserved device name (Windows opens the device, not a file)";
    start = end + 1;
  }
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || std::string("<>:\"/|?*").find(c) != std::string::npos)
      return std::string("character not allowed in Windows file names: ") +
             (u < 32 ? "control character" : std::string(1, c));
  }
  return std::string();
}

bool SortAndCheckNames(std::vector<SourceFile>& files, std::string& error) {
  for (const SourceFile& f : files) {
    const std::string why = CheckPackageName(f.name);
    if (!why.empty()) {
      // One line that names the file where it was read, control characters shown as codes.
      error = why + ": " + Printable(f.path);
      std::string name = f.name;
      std::replace(name.begin(), name.end(), '\\', '/');
      if (f.path.size() < name.size() || f.path.compare(f.path.size() - name.size(), name.size(), name) != 0)
        error += " (package name " + Printable(f.name) + ")";
      return false;
    }
  }
  std::sort(files.begin(), files.end(),
            [](const SourceFile& a, const SourceFile& b) { return Lower(a.name) < Lower(b.name); });
  for (size_t i = 1; i < files.size(); ++i) {
    if (Lower(files[i - 1].name) == Lower(files[i].name)) {
      error = "two files differ only in letter case (one file on Windows): " + files[i - 1].name +
              " and " + files[i].name;
      return false;
    }
  }
  return true;
}

}  // namespace vxpack
