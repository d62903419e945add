// An extraction host over pieces in memory and a scratch folder in memory. Every name the engine
// hands it is resolved here on its own, as Windows resolves a path below the work folder; a name
// that would reach outside the folder (or a device, a drive, a stream) is reported as broken, not
// written. Output is bounded: writes past kScratchLimit bytes in all fail as on a full disk.
#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "package/byte_source.h"
#include "package/unpack.h"

namespace vxfuzz {

constexpr uint64_t kScratchLimit = 64u << 20;

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Windows opens the device for these names, with any extension and trailing blanks or dots.
inline bool NamesDevice(const std::string& part) {
  std::string base = part.substr(0, part.find('.'));
  while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
  for (char& c : base) c = LowerAscii(c);
  static const char* const kNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (const char* n : kNames)
    if (base == n) return true;
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

// The place a relative name takes below the scratch folder: its parts (separated by "\" or "/"),
// in lower case, with trailing dots and blanks dropped, "." and empty parts skipped and ".."
// climbing. Empty when the name is rooted, holds a drive or stream (":"), climbs above the folder,
// ends at the folder itself, or names a device. why tells which.
inline std::string ScratchPlace(const std::string& relative, std::string& why) {
  const auto refuse = [&why](const char* reason) {
    why = reason;
    return std::string();
  };
  why.clear();
  if (relative.empty()) return refuse("empty name");
  if (relative[0] == '\\' || relative[0] == '/') return refuse("rooted name");
  if (relative.find(':') != std::string::npos) return refuse("drive or stream");
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("\\/", start);
    if (end == std::string::npos) end = relative.size();
    std::string part = relative.substr(start, end - start);
    start = end + 1;
    if (part == "..") {
      if (parts.empty()) return refuse("climbs above the folder");
      parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    if (NamesDevice(part)) return refuse("device name");
    for (char& c : part) c = LowerAscii(c);
    parts.push_back(part);
  }
  if (parts.empty()) return refuse("the folder itself");
  std::string place;
  for (const std::string& p : parts) place += (place.empty() ? "" : "/") + p;
  return place;
}

class ScratchHost : public vx::UnpackHost {
 public:
  explicit ScratchHost(const char* target) : target_(target) {}

  std::map<std::string, std::vector<uint8_t>> pieces;  // by full path
  std::map<std::string, std::string> files;            // content by place
  std::vector<std::string> folders;                    // places of folders made
  uint64_t written = 0;
  int diskAnswers = 0;  // OK answers left for the next-disk question; Cancel after them
  int errorsShown = 0;

  bool PieceExists(const vx::String& path) override { return pieces.count(path) != 0; }
  std::unique_ptr<vx::ByteSource> OpenPiece(const vx::String& path) override {
    auto it = pieces.find(path);
    if (it == pieces.end()) return nullptr;
    return std::make_unique<vx::MemorySource>(it->second);
  }
  uint32_t PieceDosTime(const vx::String&) override { return 0x5A8B6000u; }
  bool CreateWorkFolder(vx::String&) override { return true; }
  bool CreateFolders(const vx::String& relative) override {
    const std::string place = Place(relative);
    if (place.empty()) return false;
    folders.push_back(place);
    return true;
  }

  class Output : public vx::UnpackOutput {
   public:
    Output(ScratchHost& host, std::string* content) : host_(host), content_(content) {}
    bool Ok() const override { return ok_; }
    bool Write(const uint8_t* data, size_t len) override {
      if (!ok_ || content_ == nullptr) return ok_ = false;
      if (len > kScratchLimit - host_.written) return ok_ = false;
      host_.written += len;
      content_->append(reinterpret_cast<const char*>(data), len);
      return true;
    }
    void SetDosTime(uint32_t) override {}
    vx::String ErrorText() const override { return ok_ ? "" : "There is not enough space on the disk."; }

   private:
    ScratchHost& host_;
    std::string* content_;
    bool ok_ = true;
  };

  std::unique_ptr<vx::UnpackOutput> OpenOutput(const vx::String& relative, bool append, bool& existed) override {
    const std::string place = Place(relative);
    existed = files.count(place) != 0;
    if (place.empty()) return std::make_unique<Output>(*this, nullptr);
    std::string& content = files[place];
    if (!append) content.clear();
    return std::make_unique<Output>(*this, &content);
  }
  uint64_t TargetSize(const vx::String& relative) override {
    std::string why;
    auto it = files.find(ScratchPlace(relative, why));
    return it == files.end() ? 0 : it->second.size();
  }
  double FreeSpace(const vx::String&) override { return static_cast<double>(kScratchLimit - written); }
  int& WriteFailureCount() override { return writeFailures_; }
  void Progress(int32_t, int32_t, int32_t, int32_t, int32_t) override {}
  void ShowError(const vx::String&) override { ++errorsShown; }
  bool AskForDisk(const vx::String&) override { return diskAnswers-- > 0; }
  void SuppressAutoPlay() override {}
  void EjectMedium(const vx::String&) override {}
  void PumpMessages() override {}
  void Wait(uint32_t) override {}

 private:
  // The place of a name the engine hands over; a name that leaves the folder is a finding.
  std::string Place(const vx::String& relative) {
    std::string why;
    const std::string place = ScratchPlace(relative, why);
    if (place.empty()) Broken(target_, "the engine wrote \"" + std::string(relative) + "\" (" + why + ")");
    return place;
  }

  const char* target_;
  int writeFailures_ = 0;
};

}  // namespace vxfuzz
