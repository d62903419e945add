#include "system/files.h"

namespace vx {

const char* const kSelfDeleteBatchName = "_DEL_ME_.BAT";

uint32_t WriteChunkSize(uint64_t length) {
  if (length <= kOneCallWriteLimit) return static_cast<uint32_t>(length);
  const uint64_t tenth = length / 10;
  if (tenth <= 1024) return static_cast<uint32_t>(length < 1024 ? length : 1024);
  return static_cast<uint32_t>(tenth < kOneCallWriteLimit ? tenth : kOneCallWriteLimit);
}

String FileNameWithoutExt(const String& path, LeadByteTest isLead) {
  String name = FileNameOf(path, isLead);
  const size_t dot = name.rfind('.');
  if (dot != String::npos) name.erase(dot);
  return name;
}

String SelfDeleteBatchText(const String& program, const String& folder,
                           const String& batchPath, bool removeFolder) {
  // Each line: a command, the quoted path and the rest of the line.
  String text = ":START\r\nDEL \"";
  text += program;
  text += "\"\r\nIF exist \"";
  text += program;
  text += "\" GOTO START\r\n";
  if (removeFolder) {
    text += "RD \"";
    text += folder;
    text += "\"\r\n";
  }
  text += "DEL \"";
  text += batchPath;
  text += "\"\r\n";
  return text;
}

}  // namespace vx
