#include "builder.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "compressor.h"
#include "out_file.h"
#include "package/file_source.h"
#include "package/package.h"
#include "package_writer.h"
#include "parallel_compressor.h"
#include "source_files.h"
#include "token_encode.h"

namespace vxpack {
namespace fs = std::filesystem;

namespace {

constexpr uint64_t kMinBlockSize = 4096;
constexpr uint64_t kMaxBlockSize = 256u << 20;
constexpr uint64_t kMinSpanSize = 16384;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Backslashes(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}

bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// Name item of a block: the setup program's first block carries "*" and its parameters.
std::string NameItem(const std::string& name, bool marker, const std::string& params) {
  if (!marker) return name;
  return params.empty() ? name + "*" : name + "* " + params;
}

struct Job {
  size_t file = 0;
  uint64_t offset = 0;
  uint64_t len = 0;
  bool marker = false;
  size_t headerLen = 0;
  std::shared_ptr<std::vector<uint8_t>> input;  // header + content
  std::future<std::vector<uint8_t>> stream;
};

// Produces the blocks of all files in order, reading each file front to back.
class BlockPlanner {
 public:
  BlockPlanner(const std::vector<SourceFile>& files, size_t setupIndex, const BuildConfig& cfg)
      : files_(files), setup_(setupIndex), cfg_(cfg) {}

  // False with an empty error when all blocks are planned.
  bool Next(Job& job, std::string& error) {
    while (file_ < files_.size()) {
      const SourceFile& f = files_[file_];
      if (offset_ == 0 && !started_) {
        src_ = std::make_unique<vx::FileSource>(f.path);
        if (!src_->IsOpen()) {
          error = "cannot open " + f.path;
          return false;
        }
        if (src_->Size() != f.size) {
          error = "file changed while building: " + f.path;
          return false;
        }
        started_ = true;
      }
      if (offset_ < f.size || (f.size == 0 && offset_ == 0 && !emptyDone_)) {
        job = Job();
        job.file = file_;
        job.offset = offset_;
        job.len = std::min<uint64_t>(cfg_.blockSize, f.size - offset_);
        job.marker = file_ == setup_ && offset_ == 0;
        const std::string header =
            BlockHeader(NameItem(f.name, job.marker, cfg_.setupParams), cfg_.storeDates ? f.dosTime : 0);
        job.headerLen = header.size();
        job.input = std::make_shared<std::vector<uint8_t>>(header.begin(), header.end());
        job.input->resize(header.size() + job.len);
        if (job.len != 0 && !src_->ReadExact(offset_, job.input->data() + header.size(), job.len)) {
          error = "cannot read " + f.path;
          return false;
        }
        offset_ += job.len;
        emptyDone_ = true;
        return true;
      }
      ++file_;
      offset_ = 0;
      started_ = false;
      emptyDone_ = false;
      src_.reset();
    }
    error.clear();
    return false;
  }

 private:
  const std::vector<SourceFile>& files_;
  size_t setup_;
  const BuildConfig& cfg_;
  size_t file_ = 0;
  uint64_t offset_ = 0;
  bool started_ = false;
  bool emptyDone_ = false;
  std::unique_ptr<vx::FileSource> src_;
};

// Writes compressed blocks into the pieces; a block that does not fit the current piece is
// split into smaller blocks (each its own zlib stream) or moved to the next piece.
class BlockPlacer {
 public:
  BlockPlacer(PackageWriter& writer, ParallelCompressor& zip, const std::vector<SourceFile>& files,
              const BuildConfig& cfg, BuildReport& report)
      : writer_(writer), zip_(zip), files_(files), cfg_(cfg), report_(report) {}

  bool Place(Job& job, std::vector<uint8_t> stream, std::string& error) {
    if (stream.empty()) {
      error = "out of memory while compressing";
      return false;
    }
    if (stream.size() + 4 <= writer_.Room()) return Write(stream, error);
    return Split(job, std::move(stream), error);
  }

 private:
  bool Write(const std::vector<uint8_t>& stream, std::string& error) {
    if (!writer_.WriteBlock(stream, error)) return false;
    ++report_.blocks;
    report_.blockBytes += stream.size() + 4;
    return true;
  }

  bool Split(Job& job, std::vector<uint8_t> whole, std::string& error) {
    const SourceFile& f = files_[job.file];
    const uint8_t* content = job.input->data() + job.headerLen;
    uint64_t done = 0;
    bool marker = job.marker;
    bool haveWhole = true;  // whole is the stream of the entire job
    for (;;) {
      const uint64_t remaining = job.len - done;
      const uint64_t room = writer_.Room();
      uint64_t part = remaining;
      std::vector<uint8_t> stream;
      if (haveWhole) stream.swap(whole);
      haveWhole = false;
      for (;;) {
        if (stream.empty()) {
          const std::string header =
              BlockHeader(NameItem(f.name, marker, cfg_.setupParams), cfg_.storeDates ? f.dosTime : 0);
          std::vector<uint8_t> input(header.begin(), header.end());
          input.insert(input.end(), content + done, content + done + part);
          if (!zip_.CompressNow(input, stream)) {
            error = "out of memory while compressing";
            return false;
          }
        }
        if (stream.size() + 4 <= room || part == 0) break;
        // Shrink in proportion to the overshoot, a little more to absorb the variation.
        const uint64_t guess = part * (room > 4 ? room - 4 : 0) / stream.size() * 9 / 10;
        part = std::min(guess, part - 1);
        stream.clear();
      }
      const bool fits = stream.size() + 4 <= room && (part > 0 || remaining == 0);
      // Tiny tails of a nearly full piece are not worth a block of their own.
      const bool worthIt = part >= std::min<uint64_t>(remaining, 4096);
      if (fits && (worthIt || !writer_.PieceHasFileBlocks())) {
        if (!Write(stream, error)) return false;
        done += part;
        marker = false;
        if (done == job.len) return true;
        continue;
      }
      if (!writer_.PieceHasFileBlocks()) {
        error = "span size too small: a block of " + f.name + " does not fit into an empty piece";
        return false;
      }
      if (!writer_.NextPiece(error)) return false;
    }
  }

  PackageWriter& writer_;
  ParallelCompressor& zip_;
  const std::vector<SourceFile>& files_;
  const BuildConfig& cfg_;
  BuildReport& report_;
};

bool CheckConfig(const BuildConfig& cfg, std::string& error) {
  error.clear();
  const std::string unfinished = cfg.allowUnfinished ? std::string() : UnfinishedFeature(cfg);
  if (!unfinished.empty()) error = unfinished + " (--allow-unfinished builds it anyway, for tests)";
  else if (cfg.output.empty()) error = "no output file given";
  else if (cfg.blockSize < kMinBlockSize || cfg.blockSize > kMaxBlockSize)
    error = "block size must be between 4K and 256M";
  else if (cfg.spanSize != 0 && cfg.spanSize < kMinSpanSize) error = "span size must be at least 16K";
  else if (cfg.signable && cfg.launcher.empty()) error = "a signable package needs a launcher";
  else if (cfg.hasWeb && cfg.launcher.empty()) error = "a web-hosted package needs a launcher";
  else if (cfg.hasWeb && cfg.web.launcherOutput.empty()) error = "no output file given for the web launcher";
  else if (cfg.hasWeb && cfg.spanSize != 0) error = "a web-hosted package cannot be spanned";
  else if (cfg.hasWeb && cfg.web.folder.empty()) error = "the web section needs a URL folder";
  else if (cfg.hasWeb && (cfg.web.fileName.empty() || cfg.web.fileName == "." || cfg.web.fileName == ".." ||
                          cfg.web.fileName.find_first_of("\\/:") != std::string::npos))
    error = "the web file must be a plain file name (the launcher saves it in the temporary folder): " +
            cfg.web.fileName;
  // The launcher accepts a fetched file only when its token matches its own; a missing token
  // matches nothing, so such a package could never take an update or its download.
  else if ((cfg.makeAgent || cfg.agent) && cfg.agentToken.empty())
    error = "an update agent needs a secret token (agent_token in [settings])";
  else if (cfg.hasWeb && cfg.web.token.empty())
    error = "a web-hosted package needs a secret token (token in [web])";
  return error.empty();
}

bool LoadLauncher(const BuildConfig& cfg, std::vector<uint8_t>& launcher, std::string& error) {
  if (cfg.launcher.empty()) return true;
  if (!ReadWholeFile(cfg.launcher, launcher)) {
    error = "cannot read launcher " + cfg.launcher;
    return false;
  }
  if (launcher.size() > 0x7FFFFFFF) {
    error = "launcher too large: " + cfg.launcher;
    return false;
  }
  vx::MemorySource src(launcher);
  vx::TrailerRecord rec;
  if (vx::ReadTrailer(src, rec) && rec.magic == vx::kPackageMagic) {
    error = "the launcher already carries a package: " + cfg.launcher;
    return false;
  }
  if (cfg.signable && !vx::IsPeFile(src)) {
    error = "launcher has no PE header at offset 256 (needed for a signable package): " + cfg.launcher;
    return false;
  }
  for (const std::string& out : {cfg.output, cfg.web.launcherOutput}) {
    if (!out.empty() && SamePath(out, cfg.launcher)) {
      error = "the output would overwrite the launcher: " + out;
      return false;
    }
  }
  return true;
}

bool CollectFiles(const BuildConfig& cfg, std::vector<SourceFile>& files, std::string& error) {
  if (!cfg.filesFolder.empty() && !ScanFolder(cfg.filesFolder, files, error)) return false;
  for (const auto& extra : cfg.extraFiles) {
    SourceFile f;
    f.name = Backslashes(extra.first);
    f.path = extra.second;
    if (!StatFile(f.path, f.size, f.dosTime, f.mtime)) {
      error = "file not found: " + f.path;
      return false;
    }
    // An explicitly named file replaces a scanned one of the same name.
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const SourceFile& s) { return Lower(s.name) == Lower(f.name); }),
                files.end());
    files.push_back(f);
  }
  if (cfg.sourceDateEpoch >= 0) {
    // Reproducible: no time after the build's date, and no dependence on the time zone.
    for (SourceFile& f : files) f.dosTime = DosDateTime(std::min<int64_t>(f.mtime, cfg.sourceDateEpoch), true);
  }
  return SortAndCheckNames(files, error);
}

bool BuildStringBlocks(const BuildConfig& cfg, const std::string& webSize,
                       std::vector<std::string>& blocks, std::string& error) {
  blocks.clear();
  std::string language;
  if (!MakeLanguageTable(cfg.languages, language, error)) return false;
  const uint32_t seed = cfg.tokenSeed != 0         ? cfg.tokenSeed
                        : cfg.sourceDateEpoch >= 0 ? static_cast<uint32_t>(cfg.sourceDateEpoch) * 2654435761u + 12345u
                                                   : FreshSeed();
  std::string settings;
  std::vector<std::string> items = {
      cfg.updateUrl, cfg.infoFile, cfg.agentExe,
      cfg.agentToken.empty() ? std::string() : EncodeToken(cfg.agentToken, seed),
      cfg.runHidden ? "1" : "0"};
  // The pins are a sixth item, which launchers without the signature check never read.
  if (!cfg.pins.empty()) items.push_back(PinsItem(cfg.pins));
  if (!MakeList(items, kItemSeparators, settings)) {
    error = "no separator character is free for the settings list";
    return false;
  }
  blocks.push_back(language);
  blocks.push_back(settings);
  if (cfg.hasWeb) {
    std::string web;
    const std::vector<std::string> webItems = {
        cfg.web.folder, cfg.web.fileName, cfg.web.noLocal ? "1" : "0",
        cfg.web.token.empty() ? std::string() : EncodeToken(cfg.web.token, seed * 2654435761u + 1),
        webSize};
    if (!MakeList(webItems, kItemSeparators, web)) {
      error = "no separator character is free for the web list";
      return false;
    }
    blocks.push_back(web);
  }
  return true;
}

vx::TrailerRecord BaseTrailer(const BuildConfig& cfg) {
  vx::TrailerRecord t{};
  if (cfg.confirmExtract) t.flags |= vx::kFlagConfirmExtract;
  if (cfg.secondBar) t.flags |= vx::kFlagSecondBar;
  t.makeAgentFlag = cfg.makeAgent ? 1 : 0;
  t.agentFlag = cfg.agent ? 1 : 0;
  return t;
}

int ThreadCount(const BuildConfig& cfg) {
  if (cfg.threads > 0) return std::min(cfg.threads, 64);
  const unsigned hw = std::thread::hardware_concurrency();
  return static_cast<int>(std::min(4u, std::max(1u, hw)));
}

}  // namespace

std::string UnfinishedFeature(const BuildConfig&) { return std::string(); }

bool ApplySourceDateEpoch(const char* value, BuildConfig& cfg, std::string& error) {
  if (value == nullptr) return true;
  const std::string v = value;
  if (v.empty() || v.size() > 15 || v.find_first_not_of("0123456789") != std::string::npos) {
    error = "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970: " + v;
    return false;
  }
  cfg.sourceDateEpoch = std::stoll(v);
  return true;
}

bool SpaceTable(const std::vector<uint64_t>& sizes, uint32_t table[9]) {
  for (int i = 0; i < 9; ++i) {
    const uint64_t unit = i == 0 ? 1 : (256ull << i);
    uint64_t total = 0;
    for (uint64_t s : sizes) total += (s + unit - 1) / unit * unit;
    if (total > 0xFFFFFFFFull) return false;
    table[i] = static_cast<uint32_t>(total);
  }
  return true;
}

std::string BlockHeader(const std::string& nameItem, uint32_t dosTime) {
  std::string header;
  MakeList({nameItem, std::to_string(dosTime)}, kItemSeparators, header);
  header += '\0';
  return header;
}

bool BuildPackage(const BuildConfig& cfgIn, const ProgressFn& progress, BuildReport& report,
                  std::string& error) {
  report = BuildReport();
  BuildConfig cfg = cfgIn;
  if (cfg.level <= 0) cfg.level = DefaultCompressionLevel();
  if (cfg.hasWeb && cfg.web.fileName.empty()) cfg.web.fileName = fs::path(cfg.output).filename().string();
  if (!CheckConfig(cfg, error)) return false;
  // A signed build: its files are signable, and the signer's key is the first pin.
  Signer signer;
  if (cfg.sign.Any()) {
    if (cfg.launcher.empty()) {
      error = "signing needs a launcher: only a program can carry a signature";
      return false;
    }
    if (!signer.Prepare(cfg.sign, error)) return false;
    cfg.signable = true;
    std::vector<std::string> pins = {signer.Identity().keyHash};
    for (const std::string& p : cfg.pins) AddPin(pins, p);
    cfg.pins = pins;
    report.signer = signer.Identity();
  }
  report.pins = cfg.pins;

  std::vector<uint8_t> launcher;
  if (!LoadLauncher(cfg, launcher, error)) return false;
  for (const std::string& out : {cfg.output, cfg.web.launcherOutput}) {
    const fs::path parent = fs::path(out).parent_path();
    std::error_code ec;
    if (!out.empty() && !parent.empty() && !fs::is_directory(parent, ec) && !fs::create_directories(parent, ec)) {
      error = "cannot create folder " + parent.string();
      return false;
    }
  }
  std::vector<SourceFile> files;
  if (!CollectFiles(cfg, files, error)) return false;

  size_t setupIndex = files.size();
  if (!cfg.setupName.empty()) {
    const std::string want = Lower(Backslashes(cfg.setupName));
    for (size_t i = 0; i < files.size(); ++i)
      if (Lower(files[i].name) == want) setupIndex = i;
    if (setupIndex == files.size()) {
      error = "setup program " + cfg.setupName + " is not among the package's files";
      return false;
    }
  }
  if (cfg.setupParams.find('\0') != std::string::npos) {
    error = "setup parameters contain a zero byte";
    return false;
  }

  PackageLayout layout;
  layout.launcher = launcher;
  layout.spanSize = cfg.spanSize;
  layout.signable = cfg.signable;
  layout.trailer = BaseTrailer(cfg);
  std::vector<uint64_t> sizes;
  for (const SourceFile& f : files) {
    sizes.push_back(f.size);
    report.inputBytes += f.size;
  }
  if (!SpaceTable(sizes, layout.trailer.space)) {
    error = "the files need more than 4 GiB, which the space table cannot hold";
    return false;
  }
  if (!BuildStringBlocks(cfg, std::string(), layout.stringBlocks, error)) return false;

  PackageWriter writer;
  if (!writer.Begin(layout, cfg.output, error)) return false;
  {
    ParallelCompressor zip(cfg.level, ThreadCount(cfg));
    BlockPlanner planner(files, setupIndex, cfg);
    BlockPlacer placer(writer, zip, files, cfg, report);
    const size_t window = static_cast<size_t>(std::max(2, 2 * zip.Threads()));
    std::deque<Job> pending;
    uint64_t done = 0;
    bool more = true;
    for (;;) {
      while (more && pending.size() < window) {
        Job job;
        if (!planner.Next(job, error)) {
          if (!error.empty()) return false;
          more = false;
          break;
        }
        job.stream = zip.Submit(job.input);
        pending.push_back(std::move(job));
      }
      if (pending.empty()) break;
      Job job = std::move(pending.front());
      pending.pop_front();
      if (!placer.Place(job, job.stream.get(), error)) return false;
      done += job.len;
      if (progress) progress(done, report.inputBytes);
    }
  }
  if (!writer.Finish(error)) return false;
  report.outputs = writer.Outputs();
  report.pieces = writer.PieceCount();
  report.files = files.size();

  if (cfg.hasWeb) {
    // The small launcher: same texts and settings, the web list with the full package's size,
    // no files. Both carry the same web token (encoded differently).
    std::error_code ec;
    const uint64_t fullSize = fs::file_size(cfg.output, ec);
    std::vector<std::string> blocks;
    const std::string sizeText = !cfg.web.sizeText.empty() ? cfg.web.sizeText : std::to_string(fullSize);
    if (!BuildStringBlocks(cfg, sizeText, blocks, error)) return false;
    vx::TrailerRecord t = BaseTrailer(cfg);
    t.webFlag = 1;
    t.askDownloadFlag = cfg.web.askDownload ? 1 : 0;
    if (!WriteTextOnlyPackage(cfg.web.launcherOutput, launcher, blocks, t, cfg.signable, error))
      return false;
    report.outputs.push_back(cfg.web.launcherOutput);
  }
  if (cfg.sign.Any()) {
    // The installer (or span launcher, or full web package) and the web launcher; the pieces of a
    // spanned package are read by the launcher, never run.
    std::vector<std::string> toSign = {cfg.output};
    if (cfg.hasWeb) toSign.push_back(cfg.web.launcherOutput);
    for (const std::string& out : toSign) {
      if (!signer.Sign(out, error)) return false;
      report.signedOutputs.push_back(out);
    }
  }
  return true;
}

}  // namespace vxpack
