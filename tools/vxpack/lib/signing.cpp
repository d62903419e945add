// Signing through osslsigncode, the pins, and the signature part of vxpack verify.
#include "signing.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "package/file_source.h"
#include "package/package.h"
#include "run_tool.h"

namespace vxpack {
namespace fs = std::filesystem;

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The first line of a program's output that says something, for a one-line error.
std::string FirstLine(const std::string& output) {
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) return line;
    start = end + 1;
  }
  return "no message";
}

std::string ToolMissing() {
#if defined(_WIN32)
  return std::string(kSignTool) + " is not installed: signing needs it (osslsigncode.exe in a folder of the PATH)";
#else
  return std::string(kSignTool) +
         " is not installed: signing needs it (./vx setup installs it; on Debian: apt-get install " + kSignTool + ")";
#endif
}

bool ReadPassword(const SignOptions& options, bool& has, std::string& password, std::string& error) {
  has = false;
  password.clear();
  if (!options.passwordFile.empty()) {
    std::ifstream in(options.passwordFile, std::ios::binary);
    if (!in) {
      error = "cannot read the password file " + options.passwordFile;
      return false;
    }
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    has = true;
    return true;
  }
  if (const char* env = std::getenv(kPasswordVariable)) {
    password = env;
    has = true;
  }
  return true;
}

}  // namespace

bool ParsePins(const std::string& text, std::vector<std::string>& pins, std::string& error) {
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ',' || text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && text[end] != ',' && text[end] != ' ' && text[end] != '\t') ++end;
    const std::string pin = text.substr(i, end - i);
    bool hex = pin.size() == 64;
    for (char c : pin) hex = hex && IsHexDigit(c);
    if (!hex) {
      error =
          "a pin is the SHA-256 hash of a signing key, 64 hex digits (vxpack pin CERT prints it), not '" + pin + "'";
      return false;
    }
    AddPin(pins, Lower(pin));
    i = end;
  }
  return true;
}

void AddPin(std::vector<std::string>& pins, const std::string& pin) {
  for (const std::string& p : pins)
    if (p == pin) return;
  pins.push_back(pin);
}

std::string PinsItem(const std::vector<std::string>& pins) {
  std::string item;
  for (const std::string& p : pins) item += (item.empty() ? "" : ",") + p;
  return item;
}

bool Signer::Prepare(const SignOptions& options, std::string& error) {
  options_ = options;
  const SignerFiles& f = options.files;
  if (!f.pkcs12.empty() && (!f.cert.empty() || !f.key.empty())) {
    error = "give the signer either as a certificate and a key or as a PKCS#12 file, not both";
    return false;
  }
  if (f.pkcs12.empty() && (f.cert.empty() || f.key.empty())) {
    error = f.cert.empty() ? "no signing certificate given (cert, or pkcs12)"
                           : "no private key given for the signing certificate (key)";
    return false;
  }
  if (!ReadPassword(options, hasPassword_, password_, error)) return false;
  if (!LoadSigner(f, hasPassword_ ? &password_ : nullptr, identity_, error)) return false;
  if (!ToolExists(kSignTool)) {
    error = ToolMissing();
    return false;
  }
  return true;
}

bool CanCarrySignature(const std::string& file, std::string& error) {
  vx::FileSource src(file);
  if (!src.IsOpen()) {
    error = "cannot read " + file;
    return false;
  }
  uint8_t mz[2] = {};
  if (!src.ReadExact(0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z') {
    error = file + " is not a Windows program (PE file)";
    return false;
  }
  vx::TrailerPlace place;
  vx::TrailerRecord rec;
  const bool package = vx::LocateTrailer(src, place) == vx::TrailerFault::kNone && vx::ReadTrailerAt(src, place, rec) &&
                       rec.magic == vx::kPackageMagic;
  if (package && !(place.isPe && place.endField > 0)) {
    error = file +
            " carries a package that was not built signable: a signature appended to it would hide the "
            "package from the launcher (build it with signable = yes or a [sign] section)";
    return false;
  }
  return true;
}

bool Signer::Sign(const std::string& file, std::string& error) const {
  if (!CanCarrySignature(file, error)) return false;
  const std::string signedFile = file + ".signing";
  std::error_code ec;
  fs::remove(signedFile, ec);
  std::vector<std::string> args = {"sign", "-h", "sha256"};
  const SignerFiles& f = options_.files;
  if (!f.pkcs12.empty())
    args.insert(args.end(), {"-pkcs12", f.pkcs12});
  else
    args.insert(args.end(), {"-certs", f.cert, "-key", f.key});
  if (hasPassword_) args.insert(args.end(), {"-readpass", "-"});  // never on the command line
  if (!options_.description.empty()) args.insert(args.end(), {"-n", options_.description});
  if (!options_.url.empty()) args.insert(args.end(), {"-i", options_.url});
  if (!options_.timestamp.empty()) args.insert(args.end(), {"-ts", options_.timestamp});
  args.insert(args.end(), {"-in", file, "-out", signedFile});
  const ToolRun run = RunTool(kSignTool, args, hasPassword_ ? password_ + "\n" : std::string());
  if (!run.started) {
    error = ToolMissing();
    return false;
  }
  if (run.exitCode != 0 || !fs::exists(signedFile, ec)) {
    fs::remove(signedFile, ec);
    error = std::string(kSignTool) + " could not sign " + file + ": " + FirstLine(run.output);
    return false;
  }
  SignatureReport report;
  if (!ReadSignature(signedFile, report, error) || !report.intact || report.signer.keyHash != identity_.keyHash) {
    fs::remove(signedFile, ec);
    if (error.empty())
      error = "the signature made for " + file +
              " does not check out: " + (!report.intact ? report.problem : "it names another key");
    return false;
  }
  fs::rename(signedFile, file, ec);
  if (ec) {
    fs::remove(signedFile, ec);
    error = "cannot replace " + file + " with its signed copy";
    return false;
  }
  return true;
}

bool FormatSignature(const std::string& file, const std::string& pinsItem, std::string& lines) {
  SignatureReport report;
  std::string error;
  if (!ReadSignature(file, report, error)) {
    lines = "Signature  " + error + "\n";
    return false;
  }
  if (!report.present) {
    lines = "Signature  none\n";
  } else {
    lines = "Signature  " + (report.intact ? std::string("intact") : "BROKEN: " + report.problem) + "\n";
    lines += "Signer     " + (report.signer.name.empty() ? std::string("(no name)") : report.signer.name) + "\n";
    lines += "Signer key " + (report.signer.keyHash.empty() ? std::string("(unknown)") : report.signer.keyHash) +
             " (SHA-256)\n";
  }
  if (!pinsItem.empty()) {
    std::vector<std::string> pins;
    std::string ignored;
    ParsePins(pinsItem, pins, ignored);
    for (size_t i = 0; i < pins.size(); ++i) lines += (i == 0 ? "Pins       " : "           ") + pins[i] + "\n";
    if (report.present) {
      bool pinned = false;
      for (const std::string& p : pins) pinned = pinned || p == report.signer.keyHash;
      lines += pinned ? "           the signer's key is pinned\n" : "           the signer's key is NOT pinned\n";
    }
  }
  return !report.present || report.intact;
}

namespace {

int CommandUsage(const std::string& message) {
  std::fprintf(stderr,
               "vxpack: %s\nusage: vxpack sign FILE... (--cert CERT --key KEY | --pkcs12 FILE) [--password-file FILE]\n"
               "                   [--timestamp URL] [--description TEXT] [--url URL]\n"
               "       vxpack pin CERT...\n",
               message.c_str());
  return 2;
}

}  // namespace

int SignCommand(const std::vector<std::string>& args) {
  SignOptions options;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    std::string* target = a == "--cert"            ? &options.files.cert
                          : a == "--key"           ? &options.files.key
                          : a == "--pkcs12"        ? &options.files.pkcs12
                          : a == "--password-file" ? &options.passwordFile
                          : a == "--timestamp"     ? &options.timestamp
                          : a == "--description"   ? &options.description
                          : a == "--url"           ? &options.url
                                                   : nullptr;
    if (target != nullptr && hasValue)
      *target = args[++i];
    else if (!a.empty() && a[0] == '-')
      return CommandUsage("unknown or incomplete option " + a);
    else
      files.push_back(a);
  }
  if (files.empty()) return CommandUsage("sign expects a file");
  Signer signer;
  std::string error;
  if (!signer.Prepare(options, error)) {
    std::fprintf(stderr, "vxpack: error: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& f : files) {
    if (!signer.Sign(f, error)) {
      std::fprintf(stderr, "vxpack: error: %s\n", error.c_str());
      return 1;
    }
    std::printf("signed %s (signer %s, key %s)\n", f.c_str(), signer.Identity().name.c_str(),
                signer.Identity().keyHash.c_str());
  }
  return 0;
}

int PinCommand(const std::vector<std::string>& args) {
  if (args.empty()) return CommandUsage("pin expects a certificate file");
  for (const std::string& cert : args) {
    SignerIdentity id;
    std::string error;
    if (!CertificateKeyHash(cert, id, error)) {
      std::fprintf(stderr, "vxpack: error: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s  %s\n", id.keyHash.c_str(), id.name.c_str());
  }
  return 0;
}

}  // namespace vxpack
