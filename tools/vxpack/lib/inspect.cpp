#include "inspect.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "byte_order.h"
#include "inflate_stream.h"
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

bool ReadU32(vx::ByteSource& src, uint64_t off, uint32_t& v) {
  uint8_t b[4];
  if (!src.ReadExact(off, b, 4)) return false;
  v = LoadU32(b);
  return true;
}

// A piece file named like NAME.002 (three digits, 2 or more).
bool LooksLikeLaterPiece(const std::string& path) {
  if (path.size() < 4 || path[path.size() - 4] != '.') return false;
  int n = 0;
  for (size_t i = path.size() - 3; i < path.size(); ++i) {
    if (path[i] < '0' || path[i] > '9') return false;
    n = n * 10 + (path[i] - '0');
  }
  return n >= 2;
}

// Reads the trailer; records why there is none.
bool ReadTrailerChecked(vx::ByteSource& src, Inspection& in, uint64_t& trailerStart) {
  in.fileSize = src.Size();
  if (in.fileSize < 4) {
    in.problems.push_back("the file is too small (" + Num(in.fileSize) + " bytes) to hold a trailer");
    return false;
  }
  in.isPe = vx::IsPeFile(src);
  in.end = in.fileSize;
  if (in.isPe) {
    uint32_t e = 0;
    ReadU32(src, vx::kPackageEndOffset, e);
    in.packageEnd = static_cast<int32_t>(e);
    if (in.packageEnd > 0 && static_cast<uint64_t>(in.packageEnd) > in.fileSize) {
      in.problems.push_back("the package-end field (bytes 252..255) says the package ends at " +
                            Num(static_cast<uint64_t>(in.packageEnd)) + ", beyond the end of the file (" +
                            Num(in.fileSize) + " bytes)");
      return false;
    }
    if (in.packageEnd > 0 && in.packageEnd < 4) {
      in.problems.push_back("the package-end field (bytes 252..255) is " + Num(static_cast<uint64_t>(in.packageEnd)) +
                            ", too small to hold a trailer");
      return false;
    }
    if (in.packageEnd > 0) in.end = static_cast<uint64_t>(in.packageEnd);
  }
  uint32_t length = 0;
  ReadU32(src, in.end - 4, length);
  if (length < 4 || length > in.end) {
    in.problems.push_back("no package: there is no trailer at " +
                          std::string(in.end == in.fileSize ? "the end of the file" : "the package end") +
                          " (its length field reads " + Num(length) + ")");
    return false;
  }
  trailerStart = in.end - length;
  vx::ReadTrailer(src, in.trailer);
  uint8_t count = 0;
  src.ReadExact(trailerStart + 1, &count, 1);
  in.storedCount = count;
  if (in.trailer.magic != vx::kPackageMagic) {
    in.problems.push_back("no package: the trailer's magic number is " + Hex32(in.trailer.magic) +
                          ", expected " + Hex32(vx::kPackageMagic));
    return false;
  }
  if (length < vx::kTrailerLength)
    in.problems.push_back("the trailer is " + Num(length) + " bytes long; 74 are expected");
  in.hasTrailer = true;
  return true;
}

void ReadBlocks(vx::ByteSource& src, Inspection& in, uint64_t trailerStart) {
  uint64_t pos = in.trailer.dataStart;
  if (pos > trailerStart) {
    in.problems.push_back("the data start " + Num(pos) + " lies beyond the trailer start " + Num(trailerStart));
    return;
  }
  const int strings = in.laterPiece ? 0 : in.trailer.stringBlockCount;
  for (int index = 1; pos < trailerStart || index <= strings; ++index) {
    BlockEntry b;
    b.offset = pos;
    b.stringBlock = index <= strings ? index : 0;
    uint32_t len = 0;
    if (trailerStart - pos < 4 || !ReadU32(src, pos, len)) {
      in.problems.push_back("block " + Num(static_cast<uint64_t>(index)) + " at offset " + Num(pos) +
                            " has no room for its length before the trailer");
      return;
    }
    b.length = len;
    if (len > trailerStart - pos - 4) {
      in.problems.push_back("block " + Num(static_cast<uint64_t>(index)) + " at offset " + Num(pos) + " claims " +
                            Num(len) + " bytes, past the trailer start " + Num(trailerStart));
      return;
    }
    if (b.stringBlock != 0) {
      std::string text(len, '\0');
      if (len != 0) src.ReadExact(pos + 4, &text[0], len);
      in.strings.push_back(text);
    } else {
      const StreamInfo s = InflateBlock(src, pos + 4, len);
      b.inflated = s.contentSize;
      b.name = vx::ListItem(s.header, 0, "");
      b.date = vx::ListItem(s.header, 1, "");
      if (!s.ok) b.problem = s.problem;
      else if (!s.headerEnded) b.problem = "no 0x00 after the header";
      else if (s.header.empty()) b.problem = "empty header (the block is skipped)";
      if (!b.problem.empty() && b.problem != "empty header (the block is skipped)")
        in.problems.push_back("block " + Num(static_cast<uint64_t>(index)) + " at offset " + Num(pos) + ": " +
                              b.problem);
    }
    in.blocks.push_back(b);
    pos += 4 + static_cast<uint64_t>(len);
  }
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
  const std::string empty;
  const std::string& lang = in.strings.size() > 0 ? in.strings[0] : empty;
  const int entries = vx::ListCount(lang);
  os << "Language table    " << entries << (entries == 1 ? " entry" : " entries");
  if (!lang.empty()) os << " (separator " << Printable(lang.substr(0, 1)) << ")";
  os << "\n";
  for (int i = 0; i < entries; ++i) {
    const std::string entry = vx::ListItem(lang, i, "");
    const int items = vx::ListCount(entry);
    os << "  " << Printable(vx::ListItem(entry, 0, "(no name)")) << ": " << (items > 0 ? items - 1 : 0)
       << " texts\n";
    for (int k = 1; k < items; ++k) os << "    " << Printable(vx::ListItem(entry, k, "")) << "\n";
  }

  const std::string& settings = in.strings.size() > 1 ? in.strings[1] : empty;
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
  }
  os << "Web list\n";
  if (in.strings.size() < 3) {
    os << "  (none)\n";
  } else {
    const std::string& web = in.strings[2];
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
  in.path = path;
  vx::FileSource src(path);
  if (!src.IsOpen()) {
    in.problems.push_back("cannot open the file");
    return in;
  }
  uint64_t trailerStart = 0;
  if (!ReadTrailerChecked(src, in, trailerStart)) return in;
  in.overSizeLimit = in.fileSize > vx::kChecksumSizeLimit;
  in.computedSum = vx::PackageSum(src, in.trailer.length);
  in.checksumOk = in.overSizeLimit || in.computedSum == in.trailer.checksum;
  if (!in.checksumOk)
    in.problems.push_back("checksum mismatch: stored " + Hex32(in.trailer.checksum) + ", computed " +
                          Hex32(in.computedSum));
  in.pieceNumber = LoadU32(in.trailer.reserved);
  in.laterPiece = in.pieceNumber >= 2 || (in.pieceNumber == 0 && LooksLikeLaterPiece(path));
  // The trailer is outside the checksum: its counts are checked as extraction checks them.
  const int strings = in.trailer.stringBlockCount;
  if (strings != 2 && strings != 3) {
    in.problems.push_back("the trailer gives " + Num(static_cast<uint64_t>(strings)) +
                          " string blocks; a package has 2 or 3");
    return in;
  }
  ReadBlocks(src, in, trailerStart);
  // A package in one file holds as many file blocks as its file count; a span or web launcher
  // holds none (its count is that of the package it leads to).
  uint64_t fileBlocks = 0;
  for (const BlockEntry& b : in.blocks)
    if (b.stringBlock == 0) ++fileBlocks;
  const vx::TrailerRecord& t = in.trailer;
  const bool launcherOnly = fileBlocks == 0 && ((t.flags & vx::kFlagSpan) != 0 || t.webFlag != 0);
  if (in.problems.empty() && !in.laterPiece && (t.flags & vx::kFlagContinuation) == 0 && !launcherOnly &&
      fileBlocks != t.fileCount)
    in.problems.push_back("the package holds " + Num(fileBlocks) + " file blocks, its trailer gives " +
                          Num(t.fileCount));
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
  for (const BlockEntry& b : in.blocks) {
    ++index;
    std::string name, date = "", size = "-";
    if (b.stringBlock != 0) {
      name = "string block " + Num(static_cast<uint64_t>(b.stringBlock)) + " (" +
             kStringNames[b.stringBlock <= 3 ? b.stringBlock : 0] + ")";
    } else {
      int64_t dos = 0;
      vx::TextToInt64(b.date, dos);
      date = b.date.empty() ? "" : DosTimeText(static_cast<uint32_t>(dos));
      size = Num(b.inflated);
      inflated += b.inflated;
      name = Printable(b.name);
      std::string file = b.name.substr(0, b.name.find('*'));
      if (b.name.find('*') != std::string::npos) name += "   <- setup program";
      if (seen[vx::UpperCase(file)]++ > 0) name += "   (appended)";
      if (!b.problem.empty()) name += "   [" + b.problem + "]";
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
