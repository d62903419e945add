// File-system operations shared by the launcher, extraction, downloads and the agent.
// Texts written to files are written byte for byte. Nothing here reports errors other than
// through its result. The portable pieces (files.cpp) are the write chunking, file-name parts and
// the self-delete batch text; the rest is the Win32 layer (files_win.cpp).
#pragma once
#include <cstdint>

#include "text/paths.h"
#include "text/str.h"

namespace vx {

// ---- Portable ----
constexpr uint32_t kOneCallWriteLimit = 1048576;  // 1 MiB
// Bytes per write call for data of the given length: all at once up to 1 MiB, above that a
// tenth of the length, at most 1 MiB (never below min(length, 1024)).
uint32_t WriteChunkSize(uint64_t length);
// The file-name part of a path with everything from its last "." removed.
String FileNameWithoutExt(const String& path, LeadByteTest isLead);
// Lines of the batch that waits until program can be deleted, deletes it, optionally removes
// folder, and deletes itself; each line ends in CR LF and every path is quoted.
String SelfDeleteBatchText(const String& program, const String& folder,
                           const String& batchPath, bool removeFolder);
extern const char* const kSelfDeleteBatchName;  // "_DEL_ME_.BAT"

// ---- Win32 layer ----
uint32_t FileSizeOf(const String& path);  // 0 when the file is not found
// Up to maxLength bytes (0: to the end) from offset; empty when the file is missing, the offset is
// outside the file or fewer bytes arrive than asked for.
String ReadFilePart(const String& path, int64_t offset, uint32_t maxLength);
// Creates (or with append, extends) the file; fileDate is a packed DOS date and time (date in the
// high word), 0 leaves the date. True when every byte was written.
bool WriteFileText(const String& path, const String& bytes, uint32_t fileDate, bool append);
bool AppendFileText(const String& path, const String& bytes, uint32_t fileDate);
String FileNameWithoutExt(const String& path);
double DiskFreeSpace(const String& path);  // free bytes for the caller, -1 on failure
// Deletes the files (not folders) matching mask; true when at least one matched.
bool DeleteByMask(const String& mask, bool clearAttributes);
// Deletes folder with everything below it; true when it existed and is gone.
bool DeleteTree(const String& folder, bool clearAttributes);
// Writes and starts the temp folder's "_DEL_ME_.BAT", which removes this program once it has
// ended (and its folder, when asked); returns at once.
void WriteSelfDeleteBatch(bool removeFolder);
bool EjectCD(const String& path);  // false for anything but a CD drive

// Small helpers used across the launcher.
bool FileExists(const String& path);
bool DirectoryExists(const String& path);
bool ForceDirectories(const String& path);  // creates every missing parent
bool FileDosDateTime(const String& path, uint32_t& dosDateTime);

}  // namespace vx
