// vxpack's signing: the signer's files and password, the pins a build records, signatures made by
// osslsigncode and read back, and the errors a publisher meets. The test CA and the publishers'
// certificates are made with openssl when the tests start.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "builder.h"
#include "manifest.h"
#include "package/package.h"
#include "run_tool.h"
#include "sign_crypto.h"
#include "signing.h"

namespace vxpack {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void WriteBytes(const std::string& path, const Bytes& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteText(const std::string& path, const std::string& text) { WriteBytes(path, Bytes(text.begin(), text.end())); }

Bytes ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The smallest Windows program osslsigncode signs: a PE32 GUI image with its header at 256, as
// the launcher has it, and one section of a single "ret".
Bytes MiniProgram() {
  Bytes b(0x400);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x100);
  const size_t pe = 0x100, opt = pe + 24, sec = opt + 0xE0;
  b[pe] = 'P';
  b[pe + 1] = 'E';
  Put16(b, pe + 4, 0x14C);       // i386
  Put16(b, pe + 6, 1);           // one section
  Put16(b, pe + 20, 0xE0);       // optional header size
  Put16(b, pe + 22, 0x0102);     // executable, 32-bit
  Put16(b, opt, 0x10B);          // PE32
  Put32(b, opt + 4, 0x200);      // code size
  Put32(b, opt + 16, 0x1000);    // entry point
  Put32(b, opt + 20, 0x1000);    // code base
  Put32(b, opt + 24, 0x2000);    // data base
  Put32(b, opt + 28, 0x400000);  // image base
  Put32(b, opt + 32, 0x1000);    // section alignment
  Put32(b, opt + 36, 0x200);     // file alignment
  Put16(b, opt + 40, 4);
  Put16(b, opt + 48, 4);
  Put32(b, opt + 56, 0x2000);  // image size
  Put32(b, opt + 60, 0x200);   // header size
  Put16(b, opt + 68, 2);       // GUI
  Put32(b, opt + 72, 0x100000);
  Put32(b, opt + 76, 0x1000);
  Put32(b, opt + 80, 0x100000);
  Put32(b, opt + 84, 0x1000);
  Put32(b, opt + 92, 16);  // data directories
  const char name[] = ".text";
  for (size_t i = 0; i < 5; ++i) b[sec + i] = static_cast<uint8_t>(name[i]);
  Put32(b, sec + 8, 0x200);
  Put32(b, sec + 12, 0x1000);
  Put32(b, sec + 16, 0x200);
  Put32(b, sec + 20, 0x200);
  Put32(b, sec + 36, 0x60000020);
  b[0x200] = 0xC3;
  return b;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

// The test CA, a publisher and another publisher (both certified by the CA), the publisher's
// key encrypted and in a PKCS#12 file, made once for all tests of this file.
class SignTest : public ::testing::Test {
 protected:
  static std::string dir_;
  static std::string publisherPin_, otherPin_;

  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/vx-sign-XXXXXX";
    dir_ = mkdtemp(tmpl) != nullptr ? std::string(tmpl) + "/" : std::string();
    if (dir_.empty()) return;
    const std::string script =
        "cd '" + dir_ +
        "' && "
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650 -sha256 "
        "-subj '/CN=Vornix Test CA' -addext basicConstraints=critical,CA:TRUE "
        "-addext keyUsage=critical,keyCertSign && "
        "printf 'basicConstraints=CA:FALSE\\nkeyUsage=critical,digitalSignature\\nextendedKeyUsage=codeSigning\\n' > "
        "leaf.ext && "
        "for who in publisher other; do "
        "openssl req -newkey rsa:2048 -nodes -keyout $who.key -out $who.csr -sha256 -subj \"/CN=Vornix Test $who\" && "
        "openssl x509 -req -in $who.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out $who.pem -days 3000 -sha256 "
        "-extfile leaf.ext || exit 1; "
        "openssl x509 -in $who.pem -pubkey -noout | openssl pkey -pubin -outform DER | sha256sum | cut -c1-64 > "
        "$who.pin; done && "
        "openssl pkey -in publisher.key -aes256 -passout pass:Open-Sesame -out publisher_enc.key && "
        "openssl pkcs12 -export -in publisher.pem -inkey publisher.key -out publisher.p12 -passout pass:Open-Sesame && "
        "printf 'Open-Sesame\\n' > password.txt && printf 'wrong\\n' > wrong.txt";
    if (Shell("(" + script + ") >/dev/null 2>&1") != 0) return;
    publisherPin_ = ReadPin("publisher.pin");
    otherPin_ = ReadPin("other.pin");
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  static std::string ReadPin(const char* name) {
    const Bytes b = ReadBytes(dir_ + name);
    return std::string(b.begin(), b.begin() + std::min<size_t>(b.size(), 64));
  }

  void SetUp() override {
    ASSERT_EQ(publisherPin_.size(), 64u) << "openssl could not make the test certificates in " << dir_;
    ASSERT_EQ(otherPin_.size(), 64u);
    work_ = dir_ + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    fs::create_directories(work_ + "payload");
    WriteText(work_ + "payload/setup.exe", std::string(3000, 's'));
    WriteText(work_ + "payload/readme.txt", "read me");
    WriteBytes(work_ + "vxstub.exe", MiniProgram());
  }

  std::string Path(const std::string& name) const { return dir_ + name; }

  // A manifest: the launcher, payload and setup, the given [sign] lines and more.
  std::string Manifest(const std::string& sign, const std::string& more = "") const {
    return "[package]\noutput = setup.exe\nlauncher = vxstub.exe\nfiles = payload\nsetup = setup.exe\n"
           "[settings]\nagent_exe = AppUpdate.exe\nagent_token = T\n" +
           more + (sign.empty() ? "" : "[sign]\n" + sign);
  }
  bool Build(const std::string& manifest, BuildReport& report, std::string& error) const {
    BuildConfig cfg;
    cfg.threads = 1;
    if (!ParseManifest(manifest, work_, "m.ini", cfg, error)) return false;
    return BuildPackage(cfg, nullptr, report, error);
  }
  std::string PublisherLines() const {
    return "cert = " + Path("publisher.pem") + "\nkey = " + Path("publisher.key") + "\n";
  }

  std::string work_;
};

std::string SignTest::dir_;
std::string SignTest::publisherPin_;
std::string SignTest::otherPin_;

// Sets an environment variable for the life of the object.
class Env {
 public:
  Env(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~Env() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST_F(SignTest, TheSignersPinIsTheHashOfItsPublicKeyInfo) {
  struct Case {
    const char* what;
    SignerFiles files;
    const char* password;  // nullptr: none
  } cases[] = {
      {"PEM certificate and key", {Path("publisher.pem"), Path("publisher.key"), ""}, nullptr},
      {"encrypted key", {Path("publisher.pem"), Path("publisher_enc.key"), ""}, "Open-Sesame"},
      {"PKCS#12", {"", "", Path("publisher.p12")}, "Open-Sesame"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string password = c.password != nullptr ? c.password : "";
    SignerIdentity id;
    std::string error;
    ASSERT_TRUE(LoadSigner(c.files, c.password != nullptr ? &password : nullptr, id, error)) << error;
    EXPECT_EQ(id.keyHash, publisherPin_);
    EXPECT_EQ(id.name, "Vornix Test publisher");
  }
  SignerIdentity other;
  std::string error;
  ASSERT_TRUE(CertificateKeyHash(Path("other.pem"), other, error)) << error;
  EXPECT_EQ(other.keyHash, otherPin_);
  EXPECT_NE(otherPin_, publisherPin_);
}

// Every signing error stops the build with one clear line, before any file is written.
TEST_F(SignTest, SigningErrorsStopTheBuild) {
  struct Case {
    const char* what;
    std::string sign;
    const char* password;  // the environment's password; nullptr: unset
    std::string error;
  } cases[] = {
      {"missing key file", "cert = " + Path("publisher.pem") + "\nkey = " + Path("nokey.pem") + "\n", nullptr,
       "cannot read the key file " + Path("nokey.pem") + ": No such file or directory"},
      {"missing certificate file", "cert = " + Path("nocert.pem") + "\nkey = " + Path("publisher.key") + "\n", nullptr,
       "cannot read the certificate file " + Path("nocert.pem")},
      {"no key given", "cert = " + Path("publisher.pem") + "\n", nullptr,
       "no private key given for the signing certificate (key)"},
      {"key of another certificate", "cert = " + Path("publisher.pem") + "\nkey = " + Path("other.key") + "\n", nullptr,
       "the key in " + Path("other.key") + " does not belong to the certificate in " + Path("publisher.pem")},
      {"a certificate as the key", "cert = " + Path("publisher.pem") + "\nkey = " + Path("other.pem") + "\n", nullptr,
       Path("other.pem") + " holds no PEM private key"},
      {"wrong password for the PKCS#12 file",
       "pkcs12 = " + Path("publisher.p12") + "\npassword_file = " + Path("wrong.txt") + "\n", nullptr,
       "wrong password for the PKCS#12 file " + Path("publisher.p12")},
      {"wrong password from the environment", "pkcs12 = " + Path("publisher.p12") + "\n", "wrong",
       "wrong password for the PKCS#12 file " + Path("publisher.p12")},
      {"no password for the PKCS#12 file", "pkcs12 = " + Path("publisher.p12") + "\n", nullptr,
       "the PKCS#12 file " + Path("publisher.p12") + " needs a password"},
      {"wrong password for an encrypted key",
       "cert = " + Path("publisher.pem") + "\nkey = " + Path("publisher_enc.key") +
           "\npassword_file = " + Path("wrong.txt") + "\n",
       nullptr, "wrong password for the key file " + Path("publisher_enc.key")},
      {"no password for an encrypted key",
       "cert = " + Path("publisher.pem") + "\nkey = " + Path("publisher_enc.key") + "\n", nullptr,
       "the key file " + Path("publisher_enc.key") + " is encrypted"},
      {"missing password file", "pkcs12 = " + Path("publisher.p12") + "\npassword_file = " + Path("none.txt") + "\n",
       nullptr, "cannot read the password file " + Path("none.txt")},
      {"not a PKCS#12 file", "pkcs12 = " + Path("publisher.pem") + "\npassword_file = " + Path("password.txt") + "\n",
       nullptr, Path("publisher.pem") + " is not a PKCS#12 file"},
      {"both kinds of signer", PublisherLines() + "pkcs12 = " + Path("publisher.p12") + "\n", nullptr,
       "give the signer either as a certificate and a key or as a PKCS#12 file, not both"},
      {"a password in the manifest", PublisherLines() + "password = Open-Sesame\n", nullptr,
       "m.ini:12: password: a password is never written in the manifest"},
      {"a pin that is no hash", PublisherLines() + "pins = " + std::string(63, 'a') + "\n", nullptr,
       "m.ini:12: pins: a pin is the SHA-256 hash of a signing key, 64 hex digits"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<Env> env;
    if (c.password != nullptr)
      env = std::make_unique<Env>(kPasswordVariable, c.password);
    else
      unsetenv(kPasswordVariable);
    BuildReport report;
    std::string error;
    EXPECT_FALSE(Build(Manifest(c.sign), report, error));
    EXPECT_EQ(error.compare(0, c.error.size(), c.error), 0) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(work_ + "setup.exe")) << "nothing is written";
  }
  // Signing needs a program to sign, and the signing program.
  BuildReport report;
  std::string error;
  EXPECT_FALSE(Build("[package]\noutput = setup.pkg\nfiles = payload\n[sign]\n" + PublisherLines(), report, error));
  EXPECT_EQ(error, "signing needs a launcher: only a program can carry a signature");
  {
    Env path("PATH", work_);  // no osslsigncode there
    EXPECT_FALSE(Build(Manifest(PublisherLines()), report, error));
    EXPECT_EQ(error.rfind("osslsigncode is not installed", 0), 0u) << error;
  }
  EXPECT_FALSE(fs::exists(work_ + "setup.exe"));
}

// A signed build: installer, full web package and web launcher signed by the publisher, each
// carrying the publisher's pin and the further pin, and each a sound package.
TEST_F(SignTest, BuildSignsItsProgramsAndRecordsThePins) {
  BuildReport report;
  std::string error;
  const std::string web = "[web]\nurl_folder = http://example.com/app\ntoken = W\nlauncher_output = web.exe\n";
  ASSERT_TRUE(Build(Manifest(PublisherLines() + "pins = " + otherPin_ + "\ndescription = App\n", web), report, error))
      << error;
  EXPECT_EQ(report.signedOutputs, std::vector<std::string>({work_ + "setup.exe", work_ + "web.exe"}));
  EXPECT_EQ(report.pins, std::vector<std::string>({publisherPin_, otherPin_}));
  for (const std::string& out : report.signedOutputs) {
    SCOPED_TRACE(out);
    SignatureReport sig;
    ASSERT_TRUE(ReadSignature(out, sig, error)) << error;
    EXPECT_TRUE(sig.present);
    EXPECT_TRUE(sig.intact) << sig.problem;
    EXPECT_EQ(sig.signer.keyHash, publisherPin_);
    EXPECT_EQ(sig.signer.name, "Vornix Test publisher");
    // The launcher finds its package before the signature, and the checksum holds.
    const vx::TGFileInfo info(out);
    ASSERT_TRUE(info.IsPackage());
    EXPECT_EQ(std::string(info.PublisherPins()), publisherPin_ + "," + otherPin_);
    EXPECT_EQ(std::string(info.AgentExeName()), "AppUpdate.exe");
    vx::TrailerRecord rec;
    ASSERT_TRUE(vx::ReadTrailer(out, rec));
    EXPECT_EQ(vx::PackageChecksum(out, rec.length), rec.checksum);
    std::string lines;
    EXPECT_TRUE(FormatSignature(out, info.PublisherPins(), lines));
    EXPECT_NE(lines.find("Signature  intact\nSigner     Vornix Test publisher\nSigner key " + publisherPin_),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("the signer's key is pinned"), std::string::npos) << lines;
    // osslsigncode, given the test CA, verifies the whole chain.
    EXPECT_EQ(Shell("osslsigncode verify -CAfile '" + Path("ca.pem") + "' -in '" + out + "' >/dev/null 2>&1"), 0);
  }
  // Without [sign] nothing is signed and no pin is written.
  ASSERT_TRUE(Build(Manifest(""), report, error)) << error;
  EXPECT_TRUE(report.signedOutputs.empty());
  EXPECT_EQ(std::string(vx::TGFileInfo(work_ + "setup.exe").PublisherPins()), "");
  SignatureReport sig;
  ASSERT_TRUE(ReadSignature(work_ + "setup.exe", sig, error));
  EXPECT_FALSE(sig.present);
}

// vxpack sign on files built elsewhere, and what verify reads: the signer, a changed byte, another
// signer, no signature.
TEST_F(SignTest, SignedFilesReadBackAsTheyAre) {
  const std::string manifest =
      "[package]\noutput = setup.exe\nlauncher = vxstub.exe\nfiles = payload\nsignable = yes\n"
      "[sign]\npins = " +
      publisherPin_ + "\n";
  BuildReport report;
  std::string error;
  ASSERT_TRUE(Build(manifest, report, error)) << error;
  EXPECT_TRUE(report.signedOutputs.empty()) << "pins alone sign nothing";
  const std::string unsignedCopy = work_ + "unsigned.exe", changed = work_ + "changed.exe", other = work_ + "other.exe";
  fs::copy_file(work_ + "setup.exe", unsignedCopy);

  Signer publisher, otherSigner;
  SignOptions options;
  options.files = {Path("publisher.pem"), Path("publisher.key"), ""};
  ASSERT_TRUE(publisher.Prepare(options, error)) << error;
  options.files = {Path("other.pem"), Path("other.key"), ""};
  ASSERT_TRUE(otherSigner.Prepare(options, error)) << error;
  ASSERT_TRUE(publisher.Sign(work_ + "setup.exe", error)) << error;
  fs::copy_file(work_ + "setup.exe", changed);
  fs::copy_file(work_ + "setup.exe", other);
  Bytes bytes = ReadBytes(changed);
  bytes[100] ^= 1;  // in the DOS stub: the launcher would not notice
  WriteBytes(changed, bytes);
  ASSERT_TRUE(otherSigner.Sign(other, error)) << error;  // signed anew by another publisher

  struct Case {
    std::string file;
    bool present, intact;
    std::string key, problem, pinLine;
  } cases[] = {
      {work_ + "setup.exe", true, true, publisherPin_, "", "the signer's key is pinned"},
      {changed, true, false, publisherPin_, "the file changed after it was signed", "the signer's key is pinned"},
      {other, true, true, otherPin_, "", "the signer's key is NOT pinned"},
      {unsignedCopy, false, false, "", "not signed", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    SignatureReport sig;
    ASSERT_TRUE(ReadSignature(c.file, sig, error)) << error;
    EXPECT_EQ(sig.present, c.present);
    EXPECT_EQ(sig.intact, c.intact);
    EXPECT_EQ(sig.signer.keyHash, c.key);
    EXPECT_EQ(sig.problem, c.problem);
    std::string lines;
    EXPECT_EQ(FormatSignature(c.file, vx::TGFileInfo(c.file).PublisherPins(), lines), c.intact || !c.present);
    EXPECT_NE(lines.find(c.present ? (c.intact ? "Signature  intact" : "Signature  BROKEN: " + c.problem)
                                   : "Signature  none"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("Pins       " + publisherPin_), std::string::npos) << lines;
    if (!c.pinLine.empty()) {
      EXPECT_NE(lines.find(c.pinLine), std::string::npos) << lines;
    }
    EXPECT_TRUE(vx::TGFileInfo(c.file).IsPackage());
  }
}

// The password of a PKCS#12 file from the environment, never from the command line.
TEST_F(SignTest, PasswordFromTheEnvironment) {
  WriteBytes(work_ + "plain.exe", MiniProgram());
  Env password(kPasswordVariable, "Open-Sesame");
  SignOptions options;
  options.files.pkcs12 = Path("publisher.p12");
  Signer signer;
  std::string error;
  ASSERT_TRUE(signer.Prepare(options, error)) << error;
  EXPECT_EQ(signer.Identity().keyHash, publisherPin_);
  ASSERT_TRUE(signer.Sign(work_ + "plain.exe", error)) << error;
  SignatureReport sig;
  ASSERT_TRUE(ReadSignature(work_ + "plain.exe", sig, error)) << error;
  EXPECT_TRUE(sig.intact) << sig.problem;
  EXPECT_EQ(sig.signer.keyHash, publisherPin_);
}

// A signature appended to a package that was not built signable would hide the package.
TEST_F(SignTest, OnlyProgramsThatKeepTheirPackageAreSigned) {
  const std::string base = "[package]\nlauncher = vxstub.exe\nfiles = payload\n";
  BuildReport report;
  std::string error;
  ASSERT_TRUE(Build(base + "output = plain.exe\n", report, error)) << error;
  ASSERT_TRUE(Build(base + "output = signable.exe\nsignable = yes\n", report, error)) << error;
  WriteBytes(work_ + "program.exe", MiniProgram());
  WriteText(work_ + "text.exe", "not a program");
  struct Case {
    std::string file, error;
  } cases[] = {
      {work_ + "plain.exe", work_ + "plain.exe carries a package that was not built signable"},
      {work_ + "text.exe", work_ + "text.exe is not a Windows program (PE file)"},
      {work_ + "missing.exe", "cannot read " + work_ + "missing.exe"},
      {work_ + "signable.exe", ""},
      {work_ + "program.exe", ""},
  };
  Signer signer;
  SignOptions options;
  options.files = {Path("publisher.pem"), Path("publisher.key"), ""};
  ASSERT_TRUE(signer.Prepare(options, error)) << error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Bytes before = ReadBytes(c.file);
    error.clear();
    EXPECT_EQ(signer.Sign(c.file, error), c.error.empty());
    EXPECT_EQ(error.compare(0, c.error.size(), c.error), 0) << error;
    if (!c.error.empty()) {
      EXPECT_EQ(ReadBytes(c.file), before) << "a refused file is left as it was";
    }
  }
}

TEST(Pins, ParsedFromTheManifestsForm) {
  const std::string a(64, 'a'), b = "0123456789ABCDEF0123456789abcdef0123456789abcdef0123456789ABCDEF";
  const std::string bLower = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  struct Case {
    std::string text;
    bool ok;
    std::vector<std::string> pins;
  } cases[] = {
      {a, true, {a}},
      {a + ", " + b, true, {a, bLower}},
      {"  " + b + "\t" + a + " ,", true, {bLower, a}},
      {a + "," + a, true, {a}},
      {"", true, {}},
      {a + "0", false, {}},
      {a.substr(1), false, {}},
      {std::string(63, 'a') + "g", false, {}},
      {"sha256:" + a, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> pins;
    std::string error;
    EXPECT_EQ(ParsePins(c.text, pins, error), c.ok) << error;
    if (c.ok) {
      EXPECT_EQ(pins, c.pins);
      EXPECT_EQ(PinsItem(pins).size(), pins.empty() ? 0 : pins.size() * 65 - 1);
    }
  }
}

}  // namespace
}  // namespace vxpack
