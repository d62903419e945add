// File-system operations shared by the launcher, extraction, downloads and the agent.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

uint32_t FileSizeOf(const std::string& path);
std::string ReadFilePart(const std::string& path, int64_t offset, uint32_t maxLength);
bool WriteFileText(const std::string& path, const std::string& bytes, uint32_t fileDate, bool append);
bool AppendFileText(const std::string& path, const std::string& bytes, uint32_t fileDate);
std::string FileNameWithoutExt(const std::string& path);
double DiskFreeSpace(const std::string& path);
bool DeleteByMask(const std::string& mask, bool clearAttributes);
bool DeleteTree(const std::string& folder, bool clearAttributes);
void WriteSelfDeleteBatch(bool removeFolder);
bool EjectCD(const std::string& path);

// Small helpers used across the launcher.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);  // creates every missing parent
bool FileDosDateTime(const std::string& path, uint32_t& dosDateTime);

}  // namespace vx
