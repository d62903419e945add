// The extraction engine on packages in memory (one piece, or several split at kPieceMark) into a
// scratch folder in memory that refuses any name outside it and bounds what is written. The first
// byte chooses: bit 0 stores a fresh checksum in every piece (so that changed bytes get past the
// checksum test), bit 1 splits the rest into pieces, bit 2 asks for the update agent, bit 3
// answers the next-disk question with OK twice.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_platform.h"
#include "fuzz_target.h"
#include "package/package.h"
#include "package/package_io.h"
#include "package/package_report.h"
#include "package/unpack.h"
#include "scratch_host.h"

namespace {

constexpr const char* kName = "extract";
constexpr char kPieceMark[] = "VXPIECE!";
constexpr size_t kPieceMarkLength = sizeof kPieceMark - 1;

std::vector<std::vector<uint8_t>> SplitPieces(const std::string& bytes, bool split) {
  std::vector<std::vector<uint8_t>> pieces;
  size_t start = 0;
  for (;;) {
    const size_t mark = split ? bytes.find(kPieceMark, start) : std::string::npos;
    const size_t end = mark == std::string::npos ? bytes.size() : mark;
    pieces.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.begin() + static_cast<std::ptrdiff_t>(end));
    if (mark == std::string::npos) return pieces;
    start = mark + kPieceMarkLength;
  }
}

// Stores the sum the engine will compute into the trailer's checksum field, when there is one.
void Reseal(std::vector<uint8_t>& piece) {
  vx::MemorySource src(piece);
  vx::TrailerPlace place;
  vx::TrailerRecord rec;
  if (vx::LocateTrailer(src, place) != vx::TrailerFault::kNone || !vx::ReadTrailerAt(src, place, rec) ||
      rec.length < 24)
    return;
  const uint32_t sum = vx::PackageSum(src, rec.length);
  vx::StoreU32(&piece[place.start + 16], sum);
}

VX_FUZZ_TARGET(extract) {
  vxfuzz::FuzzPlatform platform;
  vxfuzz::FuzzInput in(data, size);
  const uint8_t mode = in.Byte();
  std::vector<std::vector<uint8_t>> pieces = SplitPieces(in.Rest(), (mode & 2) != 0);

  vxfuzz::ScratchHost host(kName);
  vx::UnpackRequest req;
  req.packagePath = pieces.size() > 1 ? "C:\\S\\setup.exe.001" : "C:\\S\\setup.exe";
  req.workFolder = "C:\\W";
  req.promptText = "Insert disk <DISK_NUM>";
  if (mode & 4) req.agentName = "agent.exe";
  host.diskAnswers = (mode & 8) ? 2 : 0;
  const vx::String base = vx::PieceBase(req.packagePath);
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (mode & 1) Reseal(pieces[i]);
    host.pieces[i == 0 ? std::string(req.packagePath) : std::string(vx::PiecePath(base, static_cast<int>(i + 1)))] =
        pieces[i];
  }

  const vx::UnpackResult r = vx::UnpackPackageWith(req, host);
  const bool ok = r.failure == vx::UnpackFailure::kNone && r.checksumOk && !r.cancelled;
  VX_FUZZ_CHECK(kName, r.failure == vx::UnpackFailure::kNone || (!r.errorText.empty() && r.runCommand.empty()),
                "a failure without its text, or with a run command");
  VX_FUZZ_CHECK(kName, r.runCommand.empty() || r.runCommand.find('*') != vx::String::npos,
                "a run command without its mark");
  VX_FUZZ_CHECK(kName, r.files <= r.fileBlocks && r.fileBlocks <= r.blocks && r.pieces <= static_cast<int>(pieces.size()),
                "more files than blocks, or more pieces than there are");
  VX_FUZZ_CHECK(kName, host.written <= vxfuzz::kScratchLimit, "wrote past the bound");
  // What extraction takes as sound, the report that vxpack inspect words calls sound too, unless
  // the trailer's piece number (which extraction does not read) made the report take the file for
  // a later piece.
  if (ok && pieces.size() == 1) {
    vx::MemorySource src(pieces[0]);
    const vx::PackageReport report = vx::ReadPackageReport(src, "setup.exe");
    if (!report.laterPiece && !report.findings.empty())
      vxfuzz::Broken(kName, "extracted as sound, but the report finds problem " +
                                std::to_string(static_cast<int>(report.findings[0].problem)) + " at block " +
                                std::to_string(report.findings[0].block));
  }
  if (ok && !req.agentName.empty() && r.pieces > 0 && r.fileBlocks > 0) {
    auto agent = host.files.find("agent.exe");
    VX_FUZZ_CHECK(kName, agent != host.files.end() && agent->second.size() >= vx::kTrailerLength,
                  "no update agent image after a sound extraction");
    if (agent != host.files.end() && agent->second.size() >= vx::kTrailerLength) {
      vx::TrailerRecord t;
      std::memcpy(&t, agent->second.data() + agent->second.size() - vx::kTrailerLength, sizeof t);
      VX_FUZZ_CHECK(kName, t.agentFlag == 1 && t.length == vx::kTrailerLength && t.magic == vx::kPackageMagic,
                    "the update agent image has no agent trailer");
    }
  }
}

}  // namespace
