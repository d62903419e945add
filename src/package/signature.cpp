// Publisher signatures: pins and the decision on what the system's check found.
#include "package/signature.h"

#include <cstring>

namespace vx {

String HexText(const uint8_t* bytes, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  String out;
  for (size_t i = 0; i < n; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

bool IsPinned(const String& pins, const String& keyHash) {
  // Every pin is 64 digits followed by a comma or the end: a pin starts at every 65th character.
  const size_t n = 2 * kKeyHashBytes;
  if (keyHash.size() != n) return false;
  for (size_t p = 0; p + n <= pins.size(); p += n + 1)
    if (std::memcmp(pins.data() + p, keyHash.data(), n) == 0 && (p + n == pins.size() || pins[p + n] == ','))
      return true;
  return false;
}

SignatureVerdict JudgeSignature(const SignatureFinding& found, const String& pins) {
  if (found.status == kTrustNoSignature) return SignatureVerdict::kNotSigned;
  if (found.status == kTrustBadDigest) return SignatureVerdict::kChanged;
  // A root the system does not trust is the only objection a pinned key outweighs: the chain
  // holds no other error (not expired, not for another use, nothing missing).
  const bool trusted =
      found.status == 0 || (found.status == kTrustUntrustedRoot && found.chainErrors == kChainUntrustedRoot);
  if (!trusted || !found.hasKey) return SignatureVerdict::kNotTrusted;
  return IsPinned(pins, HexText(found.keyHash, kKeyHashBytes)) ? SignatureVerdict::kAccepted
                                                               : SignatureVerdict::kNotPinned;
}

String SignatureTraceText(SignatureVerdict verdict, const SignatureFinding& found, const String& path) {
  static const char* const kTexts[] = {"accepted ", "not signed ", "changed after signing ", "not trusted ",
                                       "key not pinned "};
  const uint32_t status = __builtin_bswap32(found.status);  // most significant digits first
  String text = kTexts[static_cast<int>(verdict)];
  text += HexText(reinterpret_cast<const uint8_t*>(&status), 4);
  text += ' ';
  text += HexText(found.keyHash, found.hasKey ? kKeyHashBytes : 0);
  text += ' ';
  text += path;
  return text;
}

}  // namespace vx
