// vxpack extract and verify: the launcher's extraction engine run on a plain folder (or on
// nothing), so a publisher can check a package where it is built.
#pragma once
#include <string>
#include <vector>

#include "package/unpack.h"

namespace vxpack {

struct ExtractSummary {
  vx::UnpackResult result;
  std::vector<vx::UnpackHost::PieceReport> pieces;
  std::vector<vx::UnpackHost::FileReport> files;
  std::vector<std::string> writeErrors;  // every file that could not be written
  std::vector<std::string> messages;     // what the launcher would show (first failed write ...)
  std::vector<std::string> warnings;     // e.g. names that differ only in letter case
  std::string missingPiece;              // path of a further piece that was not found
  bool ok = false;                       // extracted (or verified) without any fault
  bool notPackage = false;               // the file is no package at all (no trailer)
  std::string problem;                   // the first fault, for the user
  // After a fault: the files and folders the run had created and removed again, and what is left
  // (files that were there before and were written to, and anything that could not be removed).
  std::vector<std::string> removed;
  std::vector<std::string> left;
};

// Extracts package (its first piece) into folder, created when missing. Names are taken as
// Windows takes them: backslashes and slashes separate folders, letter case does not make
// another file, and nothing is ever written outside folder. With an empty folder nothing is
// written at all (verify). An extraction that ends with a fault removes what it created: the
// folder is left as it was, but for files that were there before and were written to.
ExtractSummary ExtractPackage(const std::string& package, const std::string& folder);

// Command-line forms: "extract PACKAGE DIR" and "verify PACKAGE"; return the exit code.
int ExtractCommand(const std::vector<std::string>& args);
int VerifyCommand(const std::vector<std::string>& args);

}  // namespace vxpack
