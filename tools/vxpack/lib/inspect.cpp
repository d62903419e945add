#include "inspect.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "package/file_source.h"
#include "text/utils.h"
#include "token_encode.h"

namespace vxpack {
namespace {

std::string Hex32(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08X", v);
  return b;
}

std::string Num(uint64_t v) { return std::to_string(v); }

// A file block's trouble in words; empty for a sound block.
std::string BlockProblem(const vx::BlockReport& b) {
  const vx::FileBlockResult& f = b.inflated;
  switch (f.fault) {
    case vx::FileBlockFault::kNone:
    case vx::FileBlockFault::kStopped:
      break;
    case vx::FileBlockFault::kCannotStart:
      return "zlib could not start";
    case vx::FileBlockFault::kUnreadable:
      return "cannot read the block";
    case vx::FileBlockFault::kDamaged:
      return std::string("zlib: ") + (f.zlibDetail != nullptr ? f.zlibDetail : "damaged data");
    case vx::FileBlockFault::kDictionary:
      return "the zlib stream asks for a preset dictionary";
    case vx::FileBlockFault::kCutShort:
      return "the zlib stream is cut short";
  }
  if (f.unusedBytes != 0) return "the zlib stream ends before the block does";
  if (!f.headerEnded) return "no 0x00 after the header";
  if (f.headerCut) return "the header is longer than " + Num(vx::kMaxBlockHeader) + " bytes";
  return std::string();
}

std::string BlockAt(const vx::PackageFinding& f) {
  return "block " + Num(static_cast<uint64_t>(f.block)) + " at offset " + Num(f.offset);
}

// A finding of the package reader in words.
std::string ProblemText(const vx::PackageReport& r, const vx::PackageFinding& f) {
  using P = vx::PackageProblem;
  switch (f.problem) {
    case P::kCannotOpen:
      return "cannot open the file";
    case P::kTooSmall:
      return "the file is too small (" + Num(f.found) + " bytes) to hold a trailer";
    case P::kEndPastFile:
      return "the package-end field (bytes 252..255) says the package ends at " + Num(f.found) +
             ", beyond the end of the file (" + Num(f.expected) + " bytes)";
    case P::kEndTooSmall:
      return "the package-end field (bytes 252..255) is " + Num(f.found) + ", too small to hold a trailer";
    case P::kNoTrailer:
      return "no package: there is no trailer at " +
             std::string(r.end == r.fileSize ? "the end of the file" : "the package end") +
             " (its length field reads " + Num(f.found) + ")";
    case P::kBadMagic:
      return "no package: the trailer's magic number is " + Hex32(static_cast<uint32_t>(f.found)) + ", expected " +
             Hex32(static_cast<uint32_t>(f.expected));
    case P::kShortTrailer:
      return "the trailer is " + Num(f.found) + " bytes long; " + Num(f.expected) + " are expected";
    case P::kChecksumMismatch:
      return "checksum mismatch: stored " + Hex32(static_cast<uint32_t>(f.expected)) + ", computed " +
             Hex32(static_cast<uint32_t>(f.found));
    case P::kBadStringBlockCount:
      return "the trailer gives " + Num(f.found) + " string blocks; a package has 2 or 3";
    case P::kDataStartPastTrailer:
      return "the data start " + Num(f.found) + " lies beyond the trailer start " + Num(f.expected);
    case P::kNoRoomForLength:
      return BlockAt(f) + " has no room for its length before the trailer";
    case P::kBlockPastTrailer:
      return BlockAt(f) + " claims " + Num(f.found) + " bytes, past the trailer start " + Num(f.expected);
    case P::kStringBlockTooLong:
      return BlockAt(f) + ": a string block of " + Num(f.found) + " bytes, more than the launcher reads (" +
             Num(f.expected) + ")";
    case P::kNotAStringBlock:
      return BlockAt(f) + ": not a string block (no list of texts), though the trailer gives " +
             Num(r.trailer.stringBlockCount) + " string blocks";
    case P::kDamagedBlock:
      return BlockAt(f) + ": " + BlockProblem(r.blocks[static_cast<size_t>(f.block) - 1]);
    case P::kFileBlockCount:
      return "the package holds " + Num(f.found) + " file blocks, its trailer gives " + Num(f.expected);
  }
  return std::string();
}

std::string YesNo(bool v) { return v ? "yes" : "no"; }

void Row(std::ostringstream& os, const std::string& label, const std::string& value) {
  os << "  " << label << std::string(label.size() < 18 ? 18 - label.size() : 1, ' ') << value << "\n";
}

// Shows control characters (list separators) readably.
std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c < 32) {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void FormatLists(std::ostringstream& os, const Inspection& in) {
  const vx::String empty;
  const vx::String& lang = in.strings.size() > 0 ? in.strings[0] : empty;
  const int entries = vx::ListCount(lang);
  os << "Language table    " << entries << (entries == 1 ? " entry" : " entries");
  if (!lang.empty()) os << " (separator " << Printable(lang.substr(0, 1)) << ")";
  os << "\n";
  // Entries and texts are walked in one pass each: a table may hold tens of thousands.
  vx::String entry, text;
  size_t pos = 0;
  for (int i = 0; i < entries && vx::NextListItem(lang, pos, entry); ++i) {
    const int items = vx::ListCount(entry);
    os << "  " << Printable(vx::ListItem(entry, 0, "(no name)")) << ": " << (items > 0 ? items - 1 : 0)
       << " texts\n";
    size_t at = 0;
    for (int k = 0; k < items && vx::NextListItem(entry, at, text); ++k)
      if (k > 0) os << "    " << Printable(text) << "\n";
  }

  const vx::String& settings = in.strings.size() > 1 ? in.strings[1] : empty;
  os << "Settings list\n";
  if (settings.empty()) {
    os << "  (none)\n";
  } else {
    const std::string info = vx::ListItem(settings, 1, "");
    const std::string token = vx::ListItem(settings, 3, "");
    Row(os, "0 update URL", vx::ListItem(settings, 0, ""));
    Row(os, "1 info file", info);
    Row(os, "2 agent exe", vx::ListItem(settings, 2, ""));
    Row(os, "3 agent token", token.empty() ? "(none)"
                                            : Num(token.size()) + " characters, " +
                                                  (TokenIsIntact(token) ? "intact" : "damaged"));
    Row(os, "4 run hidden", YesNo(vx::ListItem(settings, 4, "") == "1"));
    const std::string pins = vx::ListItem(settings, 5, "");
    Row(os, "5 pins", pins.empty() ? "(none: downloads are not signature-checked)" : pins);
  }
  os << "Web list\n";
  if (in.strings.size() < 3) {
    os << "  (none)\n";
  } else {
    const vx::String& web = in.strings[2];
    const std::string token = vx::ListItem(web, 3, "");
    Row(os, "0 URL folder", vx::ListItem(web, 0, ""));
    Row(os, "1 file name", vx::ListItem(web, 1, ""));
    Row(os, "2 never local", YesNo(vx::ListItem(web, 2, "") == "1"));
    Row(os, "3 web token", token.empty() ? "(none)"
                                          : Num(token.size()) + " characters, " +
                                                (TokenIsIntact(token) ? "intact" : "damaged"));
    Row(os, "4 size", vx::ListItem(web, 4, ""));
  }
}

}  // namespace

std::string DosTimeText(uint32_t dos) {
  if (dos == 0) return "-";
  char b[32];
  std::snprintf(b, sizeof b, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (dos >> 25), (dos >> 21) & 15,
                (dos >> 16) & 31, (dos >> 11) & 31, (dos >> 5) & 63, (dos & 31) * 2);
  return b;
}

Inspection InspectPackage(const std::string& path) {
  Inspection in;
  vx::FileSource src(path);
  static_cast<vx::PackageReport&>(in) = vx::ReadPackageReport(src, path);
  in.path = path;
  for (const vx::PackageFinding& f : in.findings) in.problems.push_back(ProblemText(in, f));
  return in;
}

std::string FormatInspection(const Inspection& in) {
  std::ostringstream os;
  os << "File              " << in.path << ", " << in.fileSize << " bytes\n";
  if (!in.hasTrailer && in.fileSize < 4) return os.str();
  os << "Launcher part     "
     << (in.isPe ? "PE file (header at 256), package-end field " + std::to_string(in.packageEnd) +
                       (in.packageEnd > 0 ? ": bytes from " + Num(in.end) + " on are not part of the package"
                                          : ": the trailer ends at the end of the file")
                 : "not a PE file with its header at 256")
     << "\n";
  if (!in.hasTrailer) return os.str();
  const vx::TrailerRecord& t = in.trailer;
  os << "Trailer           ends at " << in.end << ", " << t.length << " bytes read\n";
  Row(os, "format", Num(t.format));
  Row(os, "string blocks", Num(in.storedCount) + (in.storedCount == 0 ? " (reads as 2)" : "") +
                               (in.laterPiece ? " (not used: a later piece holds file blocks only)" : ""));
  Row(os, "data start", Num(in.trailer.dataStart));
  Row(os, "file count", Num(t.fileCount));
  Row(os, "magic", Hex32(t.magic));
  Row(os, "checksum", "stored " + Hex32(t.checksum) + ", computed " + Hex32(in.computedSum) + ": " +
                          (in.overSizeLimit ? "not tested (over 50 MiB)"
                                            : in.checksumOk ? "passes" : "MISMATCH"));
  Row(os, "piece", in.pieceNumber == 0 ? (in.laterPiece ? "later piece (by its name)" : "not recorded")
                                       : Num(in.pieceNumber));
  os << "Flags\n";
  Row(os, "confirm-extract", YesNo(t.flags & vx::kFlagConfirmExtract));
  Row(os, "continuation", YesNo(t.flags & vx::kFlagContinuation));
  Row(os, "span", YesNo(t.flags & vx::kFlagSpan));
  Row(os, "second-bar", YesNo(t.flags & vx::kFlagSecondBar));
  Row(os, "web", YesNo(t.webFlag != 0));
  Row(os, "ask-download", YesNo(t.askDownloadFlag != 0));
  Row(os, "make-agent", YesNo(t.makeAgentFlag != 0));
  Row(os, "agent", YesNo(t.agentFlag != 0));
  os << "Space table       bytes needed with clusters of\n";
  Row(os, "any size (total)", Num(t.space[0]));
  for (int i = 1; i <= 8; ++i) Row(os, Num(256u << i) + " bytes", Num(t.space[i]));
  if (!in.laterPiece) FormatLists(os, in);

  os << "Blocks\n";
  char line[160];
  std::snprintf(line, sizeof line, "  %5s %12s %10s %12s  %-19s  %s\n", "#", "offset", "length", "inflated",
                "date", "name");
  os << line;
  static const char* const kStringNames[] = {"", "language table", "settings list", "web list"};
  std::map<std::string, int> seen;
  uint64_t inflated = 0;
  int index = 0;
  for (const vx::BlockReport& b : in.blocks) {
    ++index;
    std::string name, date = "", size = "-";
    if (b.stringBlock != 0) {
      name = "string block " + Num(static_cast<uint64_t>(b.stringBlock)) + " (" +
             kStringNames[b.stringBlock <= 3 ? b.stringBlock : 0] + ")";
    } else {
      const std::string itemName = vx::ListItem(b.inflated.header, 0, "");
      const std::string itemDate = vx::ListItem(b.inflated.header, 1, "");
      int64_t dos = 0;
      vx::TextToInt64(itemDate, dos);
      date = itemDate.empty() ? "" : DosTimeText(static_cast<uint32_t>(dos));
      size = Num(b.inflated.contentSize);
      inflated += b.inflated.contentSize;
      name = Printable(itemName);
      std::string file = itemName.substr(0, itemName.find('*'));
      if (itemName.find('*') != std::string::npos) name += "   <- setup program";
      if (seen[vx::UpperCase(file)]++ > 0) name += "   (appended)";
      std::string problem = BlockProblem(b);
      if (problem.empty() && b.inflated.header.empty()) problem = "empty header (the block is skipped)";
      if (!problem.empty()) name += "   [" + problem + "]";
    }
    std::snprintf(line, sizeof line, "  %5d %12llu %10u %12s  %-19s  ", index,
                  static_cast<unsigned long long>(b.offset), b.length, size.c_str(), date.c_str());
    os << line << name << "\n";
  }
  os << "Summary           " << seen.size() << " files in " << (in.blocks.size() - in.strings.size())
     << " file blocks, " << inflated << " bytes inflated\n";
  return os.str();
}

}  // namespace vxpack
