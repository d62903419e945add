// The build manifest: an INI-like text file describing one package (see docs/manifest.md).
#pragma once
#include <cstdint>
#include <string>

#include "builder.h"

namespace vxpack {

// Reads the manifest at path; relative paths in it are taken from the manifest's folder.
bool LoadManifest(const std::string& path, BuildConfig& cfg, std::string& error);

// Parses manifest text; relative paths are joined to baseDir; errors name source and line.
bool ParseManifest(const std::string& text, const std::string& baseDir, const std::string& source,
                   BuildConfig& cfg, std::string& error);

// "4096", "64K", "1M", "2G" (binary multiples); false when not such a size.
bool ParseSize(const std::string& text, uint64_t& value);
// yes/no, true/false, on/off, 1/0 in any letter case.
bool ParseBool(const std::string& text, bool& value);

}  // namespace vxpack
