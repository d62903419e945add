// vxpack inspect: everything a package file holds, and why a file is not a valid package, as the
// package reader reports them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "package/package_report.h"

namespace vxpack {

// The package reader's report on a file, and its findings in words.
struct Inspection : vx::PackageReport {
  std::string path;
  std::vector<std::string> problems;  // empty: a valid package
};

Inspection InspectPackage(const std::string& path);
std::string FormatInspection(const Inspection& in);

// "2024-05-17 13:45:08" for a DOS date-time; "-" for 0.
std::string DosTimeText(uint32_t dos);

}  // namespace vxpack
