// vxpack: builds and inspects Vornix setup packages.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "builder.h"
#include "compressor.h"
#include "extract.h"
#include "inspect.h"
#include "manifest.h"
#include "signing.h"
#include "token_encode.h"

namespace {

const char kUsage[] =
    "usage: vxpack build MANIFEST [-o OUTPUT] [--launcher EXE] [--file NAME=PATH]... [-j THREADS]\n"
    "                            [--level N] [--allow-unfinished]\n"
    "       vxpack inspect FILE\n"
    "       vxpack verify PACKAGE\n"
    "       vxpack sign FILE... (--cert CERT --key KEY | --pkcs12 FILE) [--password-file FILE]\n"
    "                   [--timestamp URL] [--description TEXT] [--url URL]\n"
    "       vxpack pin CERT...\n"
    "       vxpack extract PACKAGE DIR\n"
    "       vxpack token TEXT\n"
    "       vxpack version\n";

bool StderrIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "vxpack: error: %s\n", message.c_str());
  return 1;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "vxpack: %s\n%s", message.c_str(), kUsage);
  return 2;
}

double MiB(uint64_t bytes) { return static_cast<double>(bytes) / 1048576.0; }

// Redraws one status line on a terminal at most a few times a second.
class TerminalProgress {
 public:
  TerminalProgress() : enabled_(StderrIsTerminal()), start_(Clock::now()), last_(start_) {}
  void Update(uint64_t done, uint64_t total) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (done < total && now - last_ < std::chrono::milliseconds(200)) return;
    if (now - start_ < std::chrono::milliseconds(500) && done < total) return;  // short builds stay quiet
    last_ = now;
    shown_ = true;
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    std::fprintf(stderr, "\rvxpack: %3d%%  %.1f of %.1f MiB", percent, MiB(done), MiB(total));
    std::fflush(stderr);
  }
  void Done() {
    if (shown_) std::fprintf(stderr, "\r%50s\r", "");
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_, last_;
};

int Build(const std::vector<std::string>& args) {
  std::string manifest, output, launcher;
  vxpack::BuildConfig cfg;
  std::vector<std::pair<std::string, std::string>> extra;
  int threads = 0, level = 0;
  bool allowUnfinished = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if ((a == "-o" || a == "--output") && hasValue) {
      output = args[++i];
    } else if (a == "--launcher" && hasValue) {
      launcher = args[++i];
    } else if (a == "--file" && hasValue) {
      const std::string v = args[++i];
      const size_t eq = v.find('=');
      if (eq == std::string::npos || eq == 0 || eq + 1 == v.size()) return Usage("--file expects NAME=PATH");
      extra.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else if ((a == "-j" || a == "--threads") && hasValue) {
      threads = std::atoi(args[++i].c_str());
      if (threads < 1 || threads > 64) return Usage("-j expects a number from 1 to 64");
    } else if (a == "--level" && hasValue) {
      level = std::atoi(args[++i].c_str());
      if (level < 1 || level > 12) return Usage("--level expects a number from 1 to 12");
    } else if (a == "--allow-unfinished") {
      allowUnfinished = true;
    } else if (!a.empty() && a[0] == '-') {
      return Usage("unknown or incomplete option " + a);
    } else if (manifest.empty()) {
      manifest = a;
    } else {
      return Usage("more than one manifest given");
    }
  }
  if (manifest.empty()) return Usage("no manifest given");
  std::string error;
  if (!vxpack::LoadManifest(manifest, cfg, error)) return Fail(error);
  if (!output.empty()) cfg.output = output;
  if (!launcher.empty()) cfg.launcher = launcher;
  for (const auto& e : extra) cfg.extraFiles.push_back(e);
  if (threads > 0) cfg.threads = threads;
  if (level > 0) cfg.level = level;
  cfg.allowUnfinished = allowUnfinished;
  if (!vxpack::ApplySourceDateEpoch(std::getenv("SOURCE_DATE_EPOCH"), cfg, error)) return Fail(error);

  TerminalProgress progress;
  vxpack::BuildReport report;
  const auto start = std::chrono::steady_clock::now();
  const bool ok = vxpack::BuildPackage(
      cfg, [&progress](uint64_t done, uint64_t total) { progress.Update(done, total); }, report, error);
  progress.Done();
  if (!ok) return Fail(error);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  for (const std::string& out : report.outputs) {
    const vxpack::Inspection in = vxpack::InspectPackage(out);
    std::printf("wrote %s (%llu bytes)\n", out.c_str(), static_cast<unsigned long long>(in.fileSize));
  }
  for (const std::string& out : report.signedOutputs)
    std::printf("signed %s (signer %s, key %s)\n", out.c_str(), report.signer.name.c_str(),
                report.signer.keyHash.c_str());
  if (!report.pins.empty()) std::printf("pins %s\n", vxpack::PinsItem(report.pins).c_str());
  const int level_used = cfg.level > 0 ? cfg.level : vxpack::DefaultCompressionLevel();
  std::printf("%zu files, %zu blocks, %.1f MiB in %.1f MiB (%.1f%%)", report.files, report.blocks,
              MiB(report.inputBytes), MiB(report.blockBytes),
              report.inputBytes == 0 ? 100.0 : 100.0 * static_cast<double>(report.blockBytes) /
                                                   static_cast<double>(report.inputBytes));
  if (report.pieces > 1) std::printf(", %d pieces", report.pieces);
  std::printf(", %.2f s, %s level %d\n", seconds, vxpack::CompressorName(),
              level_used > vxpack::MaxCompressionLevel() ? vxpack::MaxCompressionLevel() : level_used);
  return 0;
}

int Inspect(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage("inspect expects one file");
  const vxpack::Inspection in = vxpack::InspectPackage(args[0]);
  std::fputs(vxpack::FormatInspection(in).c_str(), stdout);
  if (in.problems.empty()) {
    std::printf("Verdict           valid package\n");
    return 0;
  }
  for (const std::string& p : in.problems) std::printf("Problem           %s\n", p.c_str());
  std::printf("Verdict           NOT a valid package\n");
  std::fflush(stdout);
  std::fprintf(stderr, "vxpack: %s is not a valid package: %s\n", args[0].c_str(), in.problems[0].c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command given");
  const std::string cmd = args[0];
  args.erase(args.begin());
  if (cmd == "build") return Build(args);
  if (cmd == "inspect") return Inspect(args);
  if (cmd == "verify") return vxpack::VerifyCommand(args);
  if (cmd == "extract") return vxpack::ExtractCommand(args);
  if (cmd == "sign") return vxpack::SignCommand(args);
  if (cmd == "pin") return vxpack::PinCommand(args);
  if (cmd == "token") {
    // The stored form of a secret token, for the token field of an inform file.
    if (args.size() != 1 || args[0].empty() || args[0].size() > 240) return Usage("token needs one text of 1 to 240 bytes");
    std::printf("%s\n", vxpack::EncodeToken(args[0], vxpack::FreshSeed()).c_str());
    return 0;
  }
  if (cmd == "version" || cmd == "--version") {
    std::printf("vxpack 1.0 (%s)\n", vxpack::CompressorName());
    return 0;
  }
  if (cmd == "help" || cmd == "--help" || cmd == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return Usage("unknown command " + cmd);
}
