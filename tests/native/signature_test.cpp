// The launcher's side of publisher signatures: pins in the settings list, the hex form of key
// hashes and the decision on what the system's signature check found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "package/package.h"
#include "package/signature.h"
#include "unpack_support.h"

namespace {

using vx::SignatureFinding;
using vx::SignatureVerdict;

const std::string kPinA = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";
const std::string kPinB = "ffeeddccbbaa99887766554433221100ffeeddccbbaa99887766554433221100";

// A finding whose signer key hash is the bytes of a pin.
SignatureFinding Found(uint32_t status, uint32_t chainErrors, const std::string& pin) {
  SignatureFinding f;
  f.status = status;
  f.chainErrors = chainErrors;
  f.hasKey = !pin.empty();
  for (size_t i = 0; i < pin.size() / 2; ++i)
    f.keyHash[i] = static_cast<uint8_t>(std::stoi(pin.substr(2 * i, 2), nullptr, 16));
  return f;
}

TEST(Signature, HexTextIsTwoLowercaseDigitsPerByte) {
  const uint8_t bytes[] = {0x00, 0x0f, 0xa5, 0xff, 0x10};
  EXPECT_EQ(vx::HexText(bytes, 5), "000fa5ff10");
  EXPECT_EQ(vx::HexText(bytes, 0), "");
  EXPECT_EQ(vx::HexText(Found(0, 0, kPinB).keyHash, vx::kKeyHashBytes), kPinB);
}

TEST(Signature, PinnedOnlyAsAWholeItem) {
  struct Case {
    std::string pins, hash;
    bool pinned;
  } cases[] = {
      {kPinA, kPinA, true},
      {kPinA + "," + kPinB, kPinB, true},
      {kPinB + "," + kPinA + "," + kPinB, kPinA, true},
      {kPinA + "," + kPinB, kPinA, true},
      {"", kPinA, false},
      {kPinB, kPinA, false},
      {kPinA + "0", kPinA, false},                              // a longer item
      {"0" + kPinA, kPinA, false},                              // a longer item
      {kPinA.substr(0, 63), kPinA.substr(0, 63), false},        // not a whole hash
      {"AA" + kPinA.substr(2), "aa" + kPinA.substr(2), false},  // the pins are lowercase
      {kPinA + " ," + kPinB, kPinA, false},                     // nothing but commas between pins
      {kPinA, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pins + " / " + c.hash);
    EXPECT_EQ(vx::IsPinned(c.pins, c.hash), c.pinned);
  }
}

TEST(Signature, VerdictFromTheSystemsFinding) {
  const std::string pins = kPinB + "," + kPinA;
  struct Case {
    const char* what;
    SignatureFinding found;
    SignatureVerdict verdict;
  } cases[] = {
      {"trusted and pinned", Found(0, 0, kPinA), SignatureVerdict::kAccepted},
      {"trusted, second pin", Found(0, 0, kPinB), SignatureVerdict::kAccepted},
      {"trusted, another key", Found(0, 0, std::string(64, '1')), SignatureVerdict::kNotPinned},
      {"no signature", Found(vx::kTrustNoSignature, 0, ""), SignatureVerdict::kNotSigned},
      {"changed after signing", Found(vx::kTrustBadDigest, 0, kPinA), SignatureVerdict::kChanged},
      {"own root, pinned", Found(vx::kTrustUntrustedRoot, vx::kChainUntrustedRoot, kPinA), SignatureVerdict::kAccepted},
      {"own root, another key", Found(vx::kTrustUntrustedRoot, vx::kChainUntrustedRoot, std::string(64, '2')),
       SignatureVerdict::kNotPinned},
      {"own root and expired", Found(vx::kTrustUntrustedRoot, vx::kChainUntrustedRoot | 0x1, kPinA),
       SignatureVerdict::kNotTrusted},
      {"own root and partial chain", Found(vx::kTrustUntrustedRoot, vx::kChainUntrustedRoot | 0x10000, kPinA),
       SignatureVerdict::kNotTrusted},
      {"expired", Found(0x800B0101, 0x1, kPinA), SignatureVerdict::kNotTrusted},
      {"revoked", Found(0x800B010C, 0x4, kPinA), SignatureVerdict::kNotTrusted},
      {"no check was made", Found(vx::kTrustUnchecked, 0, ""), SignatureVerdict::kNotTrusted},
      {"trusted but no key hash", Found(0, 0, ""), SignatureVerdict::kNotTrusted},
      {"default finding", SignatureFinding(), SignatureVerdict::kNotTrusted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vx::JudgeSignature(c.found, pins), c.verdict);
    // Without pins nothing is accepted.
    EXPECT_NE(vx::JudgeSignature(c.found, ""), SignatureVerdict::kAccepted);
  }
}

TEST(Signature, TraceTextNamesReasonStatusKeyAndFile) {
  struct Case {
    SignatureVerdict verdict;
    SignatureFinding found;
    std::string text;
  } cases[] = {
      {SignatureVerdict::kAccepted, Found(0, 0, kPinA), "accepted 00000000 " + kPinA + " C:\\T\\a.exe"},
      {SignatureVerdict::kNotSigned, Found(vx::kTrustNoSignature, 0, ""), "not signed 800b0100  C:\\T\\a.exe"},
      {SignatureVerdict::kChanged, Found(vx::kTrustBadDigest, 0, kPinB),
       "changed after signing 80096010 " + kPinB + " C:\\T\\a.exe"},
      {SignatureVerdict::kNotTrusted, Found(0x800B0101, 1, kPinB), "not trusted 800b0101 " + kPinB + " C:\\T\\a.exe"},
      {SignatureVerdict::kNotPinned, Found(0, 0, kPinB), "key not pinned 00000000 " + kPinB + " C:\\T\\a.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(vx::SignatureTraceText(c.verdict, c.found, "C:\\T\\a.exe"), c.text);
}

// The pins are a sixth settings item: the first five read as before, and a package without it
// has no pins.
TEST(Signature, PinsAreTheSixthSettingsItem) {
  using namespace unpacktest;
  struct Case {
    std::string settings;
    std::string pins;
  } cases[] = {
      {"|http://u|x.ini|AUAgent.exe|tok|1|" + kPinA + "," + kPinB + "|", kPinA + "," + kPinB},
      {"|http://u|x.ini|AUAgent.exe|tok|1|", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    vxtest::FakePlatform platform;
    PackageDesc desc;
    desc.launcher = FakeLauncher(600);
    desc.strings = {std::string(1, '\x02'), c.settings};
    TempFolder tmp;
    const auto written = WritePackage(tmp.Path(), "p.exe", desc);
    ASSERT_EQ(written.size(), 1u);
    const Bytes package = written.begin()->second;
    vx::MemorySource src(package);
    const vx::TGFileInfo info(src);
    ASSERT_TRUE(info.IsPackage());
    EXPECT_EQ(std::string(info.PublisherPins()), c.pins);
    EXPECT_EQ(std::string(info.UpdateUrl()), "http://u");
    EXPECT_EQ(std::string(info.AgentExeName()), "AUAgent.exe");
    EXPECT_EQ(std::string(info.AgentToken(false)), "tok");
    EXPECT_TRUE(info.RunHidden());
  }
}

// The update agent an installer builds is its launcher and texts: it carries the installer's pins.
TEST(Signature, AgentBuiltByAnInstallerCarriesItsPins) {
  using namespace unpacktest;
  TempFolder tmp;
  PackageDesc desc;
  desc.pieces = {{FileStream("|setup.exe*|0|", "setup")}};
  desc.launcher = FakeLauncher(1200);
  desc.signable = true;
  const std::string pins = kPinA + "," + kPinB;
  desc.strings = {std::string(1, '\x02'), "|http://u|x.ini|AUAgent.exe|tok|0|" + pins + "|"};
  FakeHost host;
  host.pieces = WritePackage(tmp.Path(), "Setup.exe", desc);
  vxtest::FakePlatform platform;
  vx::UnpackRequest req;
  req.packagePath = tmp.Path() + "/Setup.exe";
  req.workFolder = "C:\\W";
  req.agentName = "AUAgent.exe";
  ASSERT_EQ(vx::UnpackPackageWith(req, host).failure, vx::UnpackFailure::kNone);
  vx::MemorySource agent(ToBytes(host.Content("AUAgent.exe")));
  const vx::TGFileInfo info(agent);
  ASSERT_TRUE(info.AgentFlag());
  EXPECT_EQ(std::string(info.PublisherPins()), pins);
}

}  // namespace
