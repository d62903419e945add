// Code signing of installers, web launchers, full web packages and update setups: Authenticode
// signatures made by osslsigncode, and the pins a package records (see docs/manifest.md, [sign]).
#pragma once
#include <string>
#include <vector>

#include "sign_crypto.h"

namespace vxpack {

constexpr const char* kSignTool = "osslsigncode";
constexpr const char* kPasswordVariable = "VXPACK_SIGN_PASSWORD";

// The [sign] section or the options of vxpack sign.
struct SignOptions {
  SignerFiles files;
  std::string passwordFile;  // first line is the password; else kPasswordVariable when set
  std::string timestamp;     // RFC 3161 time-stamp server
  std::string description;
  std::string url;
  bool Any() const { return !files.cert.empty() || !files.key.empty() || !files.pkcs12.empty(); }
};

// Pins as a manifest or command line gives them: SHA-256 key hashes of 64 hex digits, separated by
// commas or blanks; appended to pins in lowercase, each once.
bool ParsePins(const std::string& text, std::vector<std::string>& pins, std::string& error);
// The settings item: the pins joined with commas.
std::string PinsItem(const std::vector<std::string>& pins);
// Adds pin to pins unless it is there.
void AddPin(std::vector<std::string>& pins, const std::string& pin);

// A signer ready to sign: options checked, password read, certificate and key loaded and found
// to belong together, the signing program found.
class Signer {
 public:
  bool Prepare(const SignOptions& options, std::string& error);
  const SignerIdentity& Identity() const { return identity_; }
  // Signs file in place (a package only when it was built signable), then reads the signature
  // back: it must be intact and made with this signer's key.
  bool Sign(const std::string& file, std::string& error) const;

 private:
  SignOptions options_;
  bool hasPassword_ = false;
  std::string password_;
  SignerIdentity identity_;
};

// A PE file whose appended signature leaves a package it carries readable: any PE file without a
// package, or one built signable. False with the reason otherwise.
bool CanCarrySignature(const std::string& file, std::string& error);

// The signature lines of vxpack verify: the signature, and the package's pins with whether its
// signer is among them. False when the file carries a broken signature.
bool FormatSignature(const std::string& file, const std::string& pinsItem, std::string& lines);

// vxpack sign FILE... and vxpack pin CERT...
int SignCommand(const std::vector<std::string>& args);
int PinCommand(const std::vector<std::string>& args);

}  // namespace vxpack
