// vxpack build: from a build description to package files.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "signing.h"
#include "text_lists.h"

namespace vxpack {

struct WebOptions {
  std::string folder;          // URL folder, no trailing "/"
  std::string fileName;        // name of the full package on the server (default: output's name)
  bool noLocal = false;        // never take a copy lying next to the launcher
  std::string token;           // plain web token
  std::string sizeText;        // empty: the full package's size in bytes
  bool askDownload = false;
  std::string launcherOutput;  // where the small web launcher is written
};

struct BuildConfig {
  std::string output;
  std::string launcher;     // launcher exe to append to; empty: the package stands alone
  std::string filesFolder;  // optional
  std::vector<std::pair<std::string, std::string>> extraFiles;  // package name, source path
  std::string setupName;    // package name of the setup program (may be empty: none)
  std::string setupParams;
  uint64_t blockSize = 1u << 20;
  int level = 0;            // 0: the encoder's default
  int threads = 0;          // 0: one per processor, at most 4
  bool storeDates = true;   // false: date 0 (the extracted file keeps the time it is written)
  bool confirmExtract = false, secondBar = false, makeAgent = false, agent = false;
  bool signable = false;
  uint64_t spanSize = 0;
  std::string updateUrl, infoFile, agentExe, agentToken;
  bool runHidden = false;
  bool hasWeb = false;
  WebOptions web;
  std::vector<LanguageEntry> languages;
  // [sign]: the signer of the installer, web launcher and full web package (signs nothing when
  // it names no certificate), and further pins: keys the launcher accepts besides the signer's.
  SignOptions sign;
  std::vector<std::string> pins;
  uint32_t tokenSeed = 0;   // 0: fresh random tokens on every build (unless sourceDateEpoch is set)
  // SOURCE_DATE_EPOCH (seconds since 1970, UTC) for a reproducible build, -1 when not given: file
  // times later than it are stored as it, all times in UTC, and the tokens' random filler comes
  // from it, so that the same files and manifest give the same bytes.
  int64_t sourceDateEpoch = -1;
  // Build packages with features the launcher does not carry out yet (none at present), for
  // tests of the parts that exist.
  bool allowUnfinished = false;
};

// The first option of cfg that the launcher does not carry out yet, as the manifest names it,
// with what is missing; empty when there is none (every option is carried out today).
std::string UnfinishedFeature(const BuildConfig& cfg);

struct BuildReport {
  std::vector<std::string> outputs;
  size_t files = 0;
  size_t blocks = 0;
  uint64_t inputBytes = 0;
  uint64_t blockBytes = 0;  // compressed file blocks, length fields included
  int pieces = 0;
  std::vector<std::string> signedOutputs;
  SignerIdentity signer;  // when the build signed
  std::vector<std::string> pins;  // as recorded in the package
};

// done and total are file bytes; called from the building thread.
using ProgressFn = std::function<void(uint64_t done, uint64_t total)>;

bool BuildPackage(const BuildConfig& cfg, const ProgressFn& progress, BuildReport& report,
                  std::string& error);

// Takes the value of the SOURCE_DATE_EPOCH environment variable (null: not set) into cfg; false
// with an error when it is set but not a whole number of seconds from 0 on.
bool ApplySourceDateEpoch(const char* value, BuildConfig& cfg, std::string& error);

// Package space table: entry 0 the total, entry i every size rounded up to 256 * 2^i bytes.
bool SpaceTable(const std::vector<uint64_t>& sizes, uint32_t table[9]);

// Header of a file block: the list name, date, then one 0x00 byte.
std::string BlockHeader(const std::string& nameItem, uint32_t dosTime);

}  // namespace vxpack
