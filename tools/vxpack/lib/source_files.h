// The files that go into a package: names as the launcher extracts them, sizes and DOS dates.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace vxpack {

struct SourceFile {
  std::string name;     // relative name inside the package, folders separated by "\"
  std::string path;     // where the builder reads it
  uint64_t size = 0;
  uint32_t dosTime = 0;  // DOS date (high 16 bits) and time (low 16 bits), local time
  int64_t mtime = 0;     // modification time, seconds since 1970
};

// DOS form of a time as local time (or UTC); clamped to 1980-01-01 00:00:00 .. 2107-12-31 23:59:58.
uint32_t DosDateTime(std::time_t t, bool utc = false);

// Size, DOS modification time (local) and modification time of a regular file; false when it is
// not one.
bool StatFile(const std::string& path, uint64_t& size, uint32_t& dosTime, int64_t& mtime);

// Adds every regular file below folder (recursively) with names relative to it.
bool ScanFolder(const std::string& folder, std::vector<SourceFile>& files, std::string& error);

// Empty when name is usable as a relative Windows path that the launcher extracts, otherwise why
// not: an empty part, "." or "..", a reserved device name ("CON", "aux.txt", "COM1"), a part that
// ends in a blank or dot, a character Windows file names cannot hold, or more than 240 characters.
std::string CheckPackageName(const std::string& name);

// Sorts by name and rejects names that Windows would treat as the same file (letter case).
bool SortAndCheckNames(std::vector<SourceFile>& files, std::string& error);

}  // namespace vxpack
