// vxpack extract PACKAGE DIR and vxpack verify PACKAGE.
#include <chrono>
#include <cstdio>
#include <map>

#include "extract.h"
#include "inspect.h"
#include "package/package.h"
#include "signing.h"

namespace vxpack {
namespace {

int UsageError(const char* message) {
  std::fprintf(stderr, "vxpack: %s\nusage: vxpack extract PACKAGE DIR\n       vxpack verify PACKAGE\n", message);
  return 2;
}

struct FileLine {
  std::string name;
  uint64_t size = 0;
  uint32_t dosTime = 0;
  int blocks = 0;
};

// Files in the order they first appear, with the sizes of appended blocks added.
std::vector<FileLine> FileLines(const ExtractSummary& s) {
  std::vector<FileLine> lines;
  std::map<std::string, size_t> index;
  for (const auto& f : s.files) {
    auto it = index.find(f.relative);
    if (!f.appended || it == index.end()) {
      index[f.relative] = lines.size();
      lines.push_back(FileLine{f.relative, 0, 0, 0});
      it = index.find(f.relative);
    }
    FileLine& line = lines[it->second];
    line.size += f.size;
    if (f.dosDateTime != 0) line.dosTime = f.dosDateTime;
    ++line.blocks;
  }
  return lines;
}

void PrintPieces(const ExtractSummary& s) {
  for (const auto& p : s.pieces) {
    // A file without a trailer fails the checksum test as a matter of course: that is not news.
    const char* check = !p.isPackage && !p.checksumOk ? "no package trailer"
                        : !p.checksumOk               ? "CHECKSUM MISMATCH"
                        : p.checksumSkipped           ? "checksum not tested (over 50 MiB)"
                                                      : "checksum ok";
    std::printf("Piece %-3d  %s  %llu bytes  %s%s\n", p.disk, p.path.c_str(),
                static_cast<unsigned long long>(p.size), check,
                p.isPackage || !p.checksumOk ? "" : "  (no package trailer)");
  }
}

}  // namespace

int VerifyCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("verify expects one package");
  const ExtractSummary s = ExtractPackage(args[0], std::string());
  PrintPieces(s);
  uint64_t total = 0;
  for (const FileLine& f : FileLines(s)) {
    std::printf("  %12llu  %-19s  %s", static_cast<unsigned long long>(f.size), DosTimeText(f.dosTime).c_str(),
                f.name.c_str());
    if (f.blocks > 1) std::printf("  (%d blocks)", f.blocks);
    std::printf("\n");
    total += f.size;
  }
  std::printf("Files      %zu blocks, %llu bytes\n", s.files.size(), static_cast<unsigned long long>(total));
  std::printf("Blocks     %d (string blocks included)\n", s.result.blocks);
  std::printf("Setup      %s\n", s.result.runCommand.empty() ? "(none)" : s.result.runCommand.c_str());
  for (const std::string& w : s.warnings) std::printf("Warning    %s\n", w.c_str());
  // The file's code signature, and the pins the package holds.
  std::string signature;
  const bool signatureSound = FormatSignature(args[0], vx::TGFileInfo(args[0]).PublisherPins(), signature);
  std::fputs(signature.c_str(), stdout);
  std::string problem = s.problem;
  if (s.ok && !signatureSound) problem = "the code signature is broken";
  if (s.ok && signatureSound) {
    std::printf("Verdict    package verified\n");
    return 0;
  }
  std::printf("Verdict    %s%s\n", s.notPackage ? "" : "DAMAGED: ", problem.c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "vxpack: verify failed: %s\n", problem.c_str());
  return 1;
}

int ExtractCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError("extract expects a package and a folder");
  const auto start = std::chrono::steady_clock::now();
  const ExtractSummary s = ExtractPackage(args[0], args[1]);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (const std::string& w : s.warnings) std::fprintf(stderr, "vxpack: warning: %s\n", w.c_str());
  if (!s.ok) {
    std::fprintf(stderr, "vxpack: extract failed: %s\n", s.problem.c_str());
    if (!s.removed.empty())
      std::fprintf(stderr, "vxpack: removed the %zu files and folders it had written\n", s.removed.size());
    for (const std::string& path : s.left) std::fprintf(stderr, "vxpack: left in place: %s\n", path.c_str());
    return 1;
  }
  uint64_t total = 0;
  for (const auto& f : s.files) total += f.size;
  std::printf("extracted %zu blocks (%llu bytes) from %zu piece(s) into %s in %.2f s\n", s.files.size(),
              static_cast<unsigned long long>(total), s.pieces.size(), args[1].c_str(), seconds);
  if (!s.result.runCommand.empty()) std::printf("setup program: %s\n", s.result.runCommand.c_str());
  return 0;
}

}  // namespace vxpack
