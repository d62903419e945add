// Publisher signatures of fetched files. A package may hold pins: the SHA-256 hashes of its
// publisher's code-signing keys (each hash taken over the DER form of the certificate's public-key
// information), written as 64 lowercase hex digits and separated by commas, in item 5 of its
// settings list. A launcher whose package holds pins runs a downloaded package or update setup
// only when the system's signature check accepts the file and the signer's key is pinned.
#pragma once
#include <cstddef>
#include <cstdint>

#include "text/str.h"

namespace vx {

// ---- Portable ----
constexpr int kPinsItem = 5;  // the settings list item that holds the pins
constexpr size_t kKeyHashBytes = 32;

// Results of the system's check (WinVerifyTrust) that the decision tells apart.
constexpr uint32_t kTrustUnchecked = 0x800B0001;      // no check was made (no trust provider)
constexpr uint32_t kTrustNoSignature = 0x800B0100;    // the file carries no signature
constexpr uint32_t kTrustBadDigest = 0x80096010;      // the file changed after it was signed
constexpr uint32_t kTrustUntrustedRoot = 0x800B0109;  // the chain ends in a root the system does not trust
// The error bit of a certificate chain whose root the system does not trust.
constexpr uint32_t kChainUntrustedRoot = 0x20;

// What the system's check found on a file.
struct SignatureFinding {
  uint32_t status = kTrustUnchecked;  // 0: the system trusts the signature and its chain
  uint32_t chainErrors = 0;           // error bits of the signer's certificate chain
  bool hasKey = false;                // keyHash holds the signer's key hash
  uint8_t keyHash[kKeyHashBytes] = {};
};

enum class SignatureVerdict { kAccepted, kNotSigned, kChanged, kNotTrusted, kNotPinned };

// Two lowercase hex digits per byte.
String HexText(const uint8_t* bytes, size_t n);
// pins holds keyHash as one of its comma-separated items (exactly, 64 lowercase hex digits).
bool IsPinned(const String& pins, const String& keyHash);
// Accepted: the system trusts the signature (or its only objection is a root it does not
// trust, see docs/manifest.md) and the signer's key is one of the pins.
SignatureVerdict JudgeSignature(const SignatureFinding& found, const String& pins);
// The trace text of a check: the verdict ("accepted", or why the file is refused), the system's
// result as 8 hex digits, the signer's key hash (nothing when the system gave none) and the path,
// separated by blanks.
String SignatureTraceText(SignatureVerdict verdict, const SignatureFinding& found, const String& path);

// ---- Win32 layer ----
// The system's signature check of a file: WinVerifyTrust with the Authenticode policy, no user
// interface, no revocation check and no network retrieval; then the SHA-256 of the signer's public
// key (wintrust and crypt32 from the system folder, bound at run time). A system without them
// leaves the finding unchecked.
void ExamineSignature(const String& path, SignatureFinding& found);
// The launcher's rule for a fetched package or update setup: nothing when the own package holds
// no pins (trace line: not signature-checked) or the file is accepted, else the text of the box
// that says so (language key "s14"); a trace line gives the verdict.
String SignatureRefusal(const String& path);

}  // namespace vx
