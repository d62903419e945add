#include "env/files.h"

namespace vx {

const char* const kSelfDeleteBatchName = "_DEL_ME_.BAT";

uint32_t WriteChunkSize(uint64_t length) {
  if (length <= kOneCallWriteLimit) return static_cast<uint32_t>(length);
  const uint64_t tenth = length / 10;
  if (tenth <= 1024) return static_cast<uint32_t>(length < 1024 ? length : 1024);
  return static_cast<uint32_t>(tenth < kOneCallWriteLimit ? tenth : kOneCallWriteLimit);
}

std::string FileNameWithoutExt(const std::string& path, LeadByteTest isLead) {
  const std::string name = FileNameOf(path, isLead);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string SelfDeleteBatchText(const std::string& program, const std::string& folder,
                                const std::string& batchPath, bool removeFolder) {
  const auto quoted = [](const std::string& p) { return "\"" + p + "\""; };
  std::string text = ":START\r\n";
  text += "DEL " + quoted(program) + "\r\n";
  text += "IF exist " + quoted(program) + " GOTO START\r\n";
  if (removeFolder) text += "RD " + quoted(folder) + "\r\n";
  text += "DEL " + quoted(batchPath) + "\r\n";
  return text;
}

}  // namespace vx
