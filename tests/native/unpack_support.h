// Test support for extraction: package files made with the vxpack writer, and an in-memory host.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "out_file.h"
#include "package/entry_name.h"
#include "package/package.h"
#include "package/unpack.h"
#include "package_writer.h"

namespace unpacktest {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline std::string ToText(const Bytes& b) { return std::string(b.begin(), b.end()); }

// A zlib stream of data (level 6); with a dictionary, one that asks for it when inflated.
inline Bytes ZStream(const std::string& data, const std::string& dictionary = std::string()) {
  z_stream zs{};
  deflateInit(&zs, 6);
  if (!dictionary.empty())
    deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dictionary.data()),
                         static_cast<uInt>(dictionary.size()));
  Bytes out(deflateBound(&zs, static_cast<uLong>(data.size())) + 64);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

// A file block's zlib stream: header list, one 0x00 byte, content.
inline Bytes FileStream(const std::string& header, const std::string& content) {
  return ZStream(header + std::string(1, '\0') + content);
}

// Bytes that look like a launcher: "MZ" at 0, "PE" at 256, package-end field at 252.
inline Bytes FakeLauncher(size_t size) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(i * 7 + 3);
  b[0] = 'M';
  b[1] = 'Z';
  b[256] = 'P';
  b[257] = 'E';
  b[258] = 0;
  b[259] = 0;
  return b;
}

class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vx-unpack-XXXXXX").string();
    path_ = mkdtemp(&tmpl[0]) != nullptr ? tmpl : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct PackageDesc {
  Bytes launcher;  // empty: no launcher bytes before the blocks
  std::vector<std::string> strings = {std::string(1, '\x02'), "|||||"};
  // File block streams, piece by piece (more than one piece: a spanned package).
  std::vector<std::vector<Bytes>> pieces;
  uint8_t flags = 0;  // the writer sets the file count: the number of file blocks
  bool signable = false;  // package-end field set in a single-file PE package
};

// Writes the package with the vxpack writer under folder/name and returns its files by path:
// one file, or for several pieces name.001, name.002 ... (no span launcher).
inline std::map<std::string, Bytes> WritePackage(const std::string& folder, const std::string& name,
                                                 const PackageDesc& desc) {
  vxpack::PackageLayout layout;
  layout.launcher = desc.launcher;
  layout.stringBlocks = desc.strings;
  layout.trailer.flags = desc.flags;
  layout.signable = desc.signable;
  const bool spanned = desc.pieces.size() > 1;
  if (spanned) {
    layout.spanSize = uint64_t(1) << 40;
    layout.launcher.clear();
  }
  std::map<std::string, Bytes> files;
  vxpack::PackageWriter w;
  std::string error;
  const std::string path = folder + "/" + name;
  if (!w.Begin(layout, path, error)) {
    ADD_FAILURE() << error;
    return files;
  }
  if (spanned && !desc.launcher.empty()) {  // the first piece carries the launcher bytes too
    ADD_FAILURE() << "spanned test packages carry no launcher";
    return files;
  }
  for (size_t p = 0; p < desc.pieces.size(); ++p) {
    if (p > 0 && !w.NextPiece(error)) ADD_FAILURE() << error;
    for (const Bytes& block : desc.pieces[p])
      if (!w.WriteBlock(block, error)) ADD_FAILURE() << error;
  }
  if (!w.Finish(error)) ADD_FAILURE() << error;
  for (const std::string& out : w.Outputs()) {
    Bytes b;
    if (!vxpack::ReadWholeFile(out, b)) ADD_FAILURE() << "cannot read " << out;
    files[out] = b;
  }
  return files;
}

// Stores a fresh checksum into a package without package end (after a test changed it).
inline void Reseal(Bytes& file) {
  uint32_t sum = 0;
  {
    vx::MemorySource src(file);
    sum = vx::PackageSum(src, vx::kTrailerLength);
  }
  std::memcpy(&file[file.size() - vx::kTrailerLength + 16], &sum, 4);
}

// Offset of the first byte after the string blocks of a single-file package without launcher.
inline size_t FirstFileBlock(const PackageDesc& desc) {
  size_t pos = desc.launcher.size();
  for (const std::string& s : desc.strings) pos += 4 + s.size();
  return pos;
}

struct FakeFile {
  std::string name;  // as first created
  std::string content;
  uint32_t dosTime = 0;
};

// Host over in-memory pieces and files. File names compare without letter case, as on Windows.
class FakeHost : public vx::UnpackHost {
 public:
  std::map<std::string, Bytes> pieces;
  std::map<std::string, FakeFile> files;  // by EntryKey
  std::vector<std::string> folders;
  std::vector<std::string> events;  // progress, prompts, errors, ejects, in order
  std::vector<std::string> errors;
  std::vector<std::string> asks;
  std::vector<FileReport> reports;
  std::vector<std::string> failWrites;      // names (EntryKey) whose writes fail
  size_t failAfterBytes = 0;                // ... once the file would grow past this size
  int writeCalls = 0;
  std::function<bool(int disk, FakeHost&)> answer;  // disk question; default: Cancel
  int writeFailures = 0;
  size_t largestWrite = 0;
  int waits = 0;
  int autoPlayOff = 0;
  bool workFolderFails = false;

  bool PieceExists(const vx::String& path) override { return pieces.count(path) != 0; }
  std::unique_ptr<vx::ByteSource> OpenPiece(const vx::String& path) override {
    auto it = pieces.find(path);
    if (it == pieces.end()) return nullptr;
    return std::make_unique<vx::MemorySource>(it->second);
  }
  uint32_t PieceDosTime(const vx::String&) override { return 0x5A8B6000u; }
  bool CreateWorkFolder(vx::String& errorText) override {
    errorText = "Access is denied.";
    return !workFolderFails;
  }
  bool CreateFolders(const vx::String& relative) override {
    folders.push_back(relative);
    return true;
  }

  class Output : public vx::UnpackOutput {
   public:
    Output(FakeHost& host, FakeFile* file, bool fail)
        : host_(host), file_(file), fail_(fail), ok_(!fail || host.failAfterBytes > 0) {}
    bool Ok() const override { return ok_; }
    bool Write(const uint8_t* data, size_t len) override {
      ++host_.writeCalls;
      if (fail_ && file_->content.size() + len > host_.failAfterBytes) ok_ = false;
      if (!ok_) return false;
      host_.largestWrite = std::max(host_.largestWrite, len);
      file_->content.append(reinterpret_cast<const char*>(data), len);
      return true;
    }
    void SetDosTime(uint32_t t) override { file_->dosTime = t; }
    vx::String ErrorText() const override { return ok_ ? "" : "There is not enough space on the disk."; }

   private:
    FakeHost& host_;
    FakeFile* file_;
    bool fail_;
    bool ok_;
  };

  std::unique_ptr<vx::UnpackOutput> OpenOutput(const vx::String& relative, bool append,
                                               bool& existed) override {
    const std::string key = vx::EntryKey(relative);
    existed = files.count(key) != 0;
    const bool fail = std::find(failWrites.begin(), failWrites.end(), key) != failWrites.end();
    FakeFile& f = files[key];
    if (!existed) f.name = relative;
    if (!append) f.content.clear();
    return std::make_unique<Output>(*this, &f, fail);
  }
  uint64_t TargetSize(const vx::String& relative) override {
    auto it = files.find(vx::EntryKey(relative));
    return it == files.end() ? 0 : it->second.content.size();
  }
  double FreeSpace(const vx::String&) override { return 123456789.0; }
  int& WriteFailureCount() override { return writeFailures; }
  void Progress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step) override {
    events.push_back(kind == 1 ? "step" : "start " + std::to_string(first) + ".." + std::to_string(max) +
                                              " @" + std::to_string(position) + " +" + std::to_string(step));
  }
  void ShowError(const vx::String& text) override {
    errors.push_back(text);
    events.push_back("error");
  }
  bool AskForDisk(const vx::String& text) override {
    asks.push_back(text);
    events.push_back("ask");
    return answer ? answer(static_cast<int>(asks.size()), *this) : false;
  }
  void SuppressAutoPlay() override { ++autoPlayOff; }
  void EjectMedium(const vx::String& path) override { events.push_back("eject " + path); }
  void PumpMessages() override {}
  void Wait(uint32_t) override { ++waits; }
  void NoteFile(const FileReport& r) override { reports.push_back(r); }

  std::string Content(const std::string& name) const {
    auto it = files.find(vx::EntryKey(name));
    return it == files.end() ? std::string("<missing>") : it->second.content;
  }
};

}  // namespace unpacktest
