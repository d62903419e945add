// Signer files and Authenticode signatures read with OpenSSL's libcrypto (Linux build).
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/provider.h>
#include <openssl/x509.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "sign_crypto.h"

namespace vxpack {
namespace {

template <typename T, void (*Free)(T*)>
struct Freer {
  void operator()(T* p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;
using Cert = std::unique_ptr<X509, Freer<X509, X509_free>>;
using Key = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using Pkcs7 = std::unique_ptr<PKCS7, Freer<PKCS7, PKCS7_free>>;
using Pkcs12 = std::unique_ptr<PKCS12, Freer<PKCS12, PKCS12_free>>;
using DigestInfo = std::unique_ptr<X509_SIG, Freer<X509_SIG, X509_SIG_free>>;
using MdContext = std::unique_ptr<EVP_MD_CTX, Freer<EVP_MD_CTX, EVP_MD_CTX_free>>;
void FreeCertStack(STACK_OF(X509) * s) { sk_X509_pop_free(s, X509_free); }
void FreeCertList(STACK_OF(X509) * s) { sk_X509_free(s); }
using CertStack = std::unique_ptr<STACK_OF(X509), Freer<STACK_OF(X509), FreeCertStack>>;
using CertList = std::unique_ptr<STACK_OF(X509), Freer<STACK_OF(X509), FreeCertList>>;

std::string Hex(const unsigned char* p, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += kDigits[p[i] >> 4];
    out += kDigits[p[i] & 15];
  }
  return out;
}

bool Identify(X509* cert, SignerIdentity& id) {
  unsigned char* der = nullptr;
  const int n = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &der);
  if (n <= 0) return false;
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  const bool ok = EVP_Digest(der, static_cast<size_t>(n), md, &len, EVP_sha256(), nullptr) == 1 && len == 32;
  OPENSSL_free(der);
  if (!ok) return false;
  id.keyHash = Hex(md, len);
  X509_NAME* subject = X509_get_subject_name(cert);
  char cn[256];
  const int m = X509_NAME_get_text_by_NID(subject, NID_commonName, cn, sizeof cn);
  if (m > 0) {
    id.name.assign(cn, static_cast<size_t>(m));
  } else {
    char* line = X509_NAME_oneline(subject, nullptr, 0);
    id.name = line != nullptr ? line : "";
    OPENSSL_free(line);
  }
  return true;
}

Bio OpenFile(const std::string& path, const char* what, std::string& error) {
  errno = 0;
  Bio bio(BIO_new_file(path.c_str(), "rb"));
  if (!bio)
    error = "cannot read the " + std::string(what) + " " + path +
            (errno != 0 ? ": " + std::string(std::strerror(errno)) : "");
  return bio;
}

Cert ReadCertificate(const std::string& path, std::string& error) {
  Bio bio = OpenFile(path, "certificate file", error);
  if (!bio) return nullptr;
  Cert cert(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  if (!cert) error = path + " holds no PEM certificate";
  return cert;
}

struct PasswordRequest {
  const std::string* password;
  bool asked = false;
};

int GivePassword(char* buf, int size, int, void* user) {
  auto* request = static_cast<PasswordRequest*>(user);
  request->asked = true;
  if (request->password == nullptr || static_cast<int>(request->password->size()) > size) return -1;
  std::memcpy(buf, request->password->data(), request->password->size());
  return static_cast<int>(request->password->size());
}

bool LoadPemSigner(const SignerFiles& files, const std::string* password, SignerIdentity& id, std::string& error) {
  Cert cert = ReadCertificate(files.cert, error);
  if (!cert) return false;
  Bio bio = OpenFile(files.key, "key file", error);
  if (!bio) return false;
  PasswordRequest request{password};
  Key key(PEM_read_bio_PrivateKey(bio.get(), nullptr, GivePassword, &request));
  if (!key) {
    if (request.asked && password == nullptr)
      error = "the key file " + files.key + " is encrypted: give its password (password_file or VXPACK_SIGN_PASSWORD)";
    else if (request.asked)
      error = "wrong password for the key file " + files.key;
    else
      error = files.key + " holds no PEM private key";
    return false;
  }
  if (X509_check_private_key(cert.get(), key.get()) != 1) {
    error = "the key in " + files.key + " does not belong to the certificate in " + files.cert;
    return false;
  }
  if (!Identify(cert.get(), id)) {
    error = "cannot hash the public key of the certificate in " + files.cert;
    return false;
  }
  return true;
}

bool LoadPkcs12Signer(const std::string& path, const std::string* password, SignerIdentity& id, std::string& error) {
  Bio bio = OpenFile(path, "PKCS#12 file", error);
  if (!bio) return false;
  Pkcs12 p12(d2i_PKCS12_bio(bio.get(), nullptr));
  if (!p12) {
    error = path + " is not a PKCS#12 file";
    return false;
  }
  const char* pass = password != nullptr ? password->c_str() : "";
  const int passLength = password != nullptr ? static_cast<int>(password->size()) : 0;
  if (PKCS12_mac_present(p12.get()) && PKCS12_verify_mac(p12.get(), pass, passLength) != 1 &&
      (password != nullptr || PKCS12_verify_mac(p12.get(), nullptr, 0) != 1)) {
    error = password != nullptr
                ? "wrong password for the PKCS#12 file " + path
                : "the PKCS#12 file " + path + " needs a password (password_file or VXPACK_SIGN_PASSWORD)";
    return false;
  }
  EVP_PKEY* rawKey = nullptr;
  X509* rawCert = nullptr;
  STACK_OF(X509)* rawChain = nullptr;
  bool parsed = PKCS12_parse(p12.get(), pass, &rawKey, &rawCert, &rawChain) == 1;
  if (!parsed) {
    // Older PKCS#12 files use algorithms of OpenSSL's legacy provider.
    OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER_load(nullptr, "default");
    parsed = PKCS12_parse(p12.get(), pass, &rawKey, &rawCert, &rawChain) == 1;
  }
  Key key(rawKey);
  Cert cert(rawCert);
  CertStack chain(rawChain);
  if (!parsed || !key || !cert) {
    error = path + " holds no certificate with its private key";
    return false;
  }
  if (X509_check_private_key(cert.get(), key.get()) != 1) {
    error = "the key in " + path + " does not belong to its certificate";
    return false;
  }
  if (!Identify(cert.get(), id)) {
    error = "cannot hash the public key of the certificate in " + path;
    return false;
  }
  return true;
}

// ---- Authenticode ----

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

class InFile {
 public:
  explicit InFile(const std::string& path) : f_(std::fopen(path.c_str(), "rb")) {}
  ~InFile() {
    if (f_ != nullptr) std::fclose(f_);
  }
  bool Open() const { return f_ != nullptr; }
  uint64_t Size() {
    if (fseeko(f_, 0, SEEK_END) != 0) return 0;
    const off_t n = ftello(f_);
    return n < 0 ? 0 : static_cast<uint64_t>(n);
  }
  bool Read(uint64_t offset, void* data, size_t n) {
    return fseeko(f_, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(data, 1, n, f_) == n;
  }
  // Feeds the bytes [from, to) to a digest.
  bool Hash(EVP_MD_CTX* md, uint64_t from, uint64_t to) {
    if (to < from || fseeko(f_, static_cast<off_t>(from), SEEK_SET) != 0) return false;
    std::vector<unsigned char> buf(1 << 16);
    for (uint64_t left = to - from; left > 0;) {
      const size_t n = left < buf.size() ? static_cast<size_t>(left) : buf.size();
      if (std::fread(buf.data(), 1, n, f_) != n || EVP_DigestUpdate(md, buf.data(), n) != 1) return false;
      left -= n;
    }
    return true;
  }

 private:
  std::FILE* f_;
};

// Where a PE file keeps its checksum, its certificate table entry and the table.
struct PeLayout {
  uint64_t checksumAt = 0;
  uint64_t tableEntryAt = 0;
  uint32_t tableOffset = 0;
  uint32_t tableSize = 0;
};

bool ReadPeLayout(InFile& in, uint64_t size, PeLayout& pe, std::string& problem) {
  unsigned char head[4096] = {};
  const size_t n = size < sizeof head ? static_cast<size_t>(size) : sizeof head;
  if (!in.Read(0, head, n) || n < 64 || head[0] != 'M' || head[1] != 'Z') {
    problem = "not a PE file";
    return false;
  }
  const uint32_t pe_at = Le32(head + 0x3C);
  if (pe_at > n - 24 - 2 || std::memcmp(head + pe_at, "PE\0\0", 4) != 0) {
    problem = "not a PE file";
    return false;
  }
  const uint64_t optional = pe_at + 24;
  const unsigned magic = head[optional] | head[optional + 1] << 8;
  const uint64_t directories = optional + (magic == 0x20b ? 112 : 96);
  if ((magic != 0x10b && magic != 0x20b) || directories + 40 > n) {
    problem = "not a PE file";
    return false;
  }
  pe.checksumAt = optional + 64;
  if (Le32(head + directories - 4) < 5) return true;  // no certificate table entry: not signed
  pe.tableEntryAt = directories + 32;
  pe.tableOffset = Le32(head + pe.tableEntryAt);
  pe.tableSize = Le32(head + pe.tableEntryAt + 4);
  return true;
}

// The digest that SpcIndirectDataContent (the signed content) gives for the file.
bool SignedFileDigest(PKCS7* p7, const EVP_MD*& md, std::string& digest, const unsigned char*& content,
                      long& contentLength) {
  PKCS7* inner = p7->d.sign->contents;
  static const char kIndirectData[] = "1.3.6.1.4.1.311.2.1.4";
  char oid[64];
  if (inner == nullptr || OBJ_obj2txt(oid, sizeof oid, inner->type, 1) <= 0 || std::strcmp(oid, kIndirectData) != 0)
    return false;
  const ASN1_TYPE* value = inner->d.other;
  if (value == nullptr || value->type != V_ASN1_SEQUENCE) return false;
  const unsigned char* p = value->value.sequence->data;
  const long total = value->value.sequence->length;
  long length = 0;
  int tag = 0, cls = 0;
  const unsigned char* start = p;
  if (ASN1_get_object(&p, &length, &tag, &cls, total) & 0x80 || tag != V_ASN1_SEQUENCE) return false;
  content = p;  // what the signer's message digest covers: the sequence without its header
  contentLength = length;
  const unsigned char* end = p + length;
  if (end > start + total) return false;
  long first = 0;
  const unsigned char* q = p;
  if (ASN1_get_object(&q, &first, &tag, &cls, end - q) & 0x80) return false;
  q += first;  // past SpcAttributeTypeAndOptionalValue
  DigestInfo info(d2i_X509_SIG(nullptr, &q, end - q));
  if (!info) return false;
  const X509_ALGOR* algorithm = nullptr;
  const ASN1_OCTET_STRING* value_digest = nullptr;
  X509_SIG_get0(info.get(), &algorithm, &value_digest);
  md = EVP_get_digestbyobj(algorithm->algorithm);
  if (md == nullptr) return false;
  digest.assign(reinterpret_cast<const char*>(value_digest->data), static_cast<size_t>(value_digest->length));
  return true;
}

}  // namespace

bool LoadSigner(const SignerFiles& files, const std::string* password, SignerIdentity& id, std::string& error) {
  if (!files.pkcs12.empty()) return LoadPkcs12Signer(files.pkcs12, password, id, error);
  return LoadPemSigner(files, password, id, error);
}

bool CertificateKeyHash(const std::string& certFile, SignerIdentity& id, std::string& error) {
  Cert cert = ReadCertificate(certFile, error);
  if (!cert) return false;
  if (Identify(cert.get(), id)) return true;
  error = "cannot hash the public key of the certificate in " + certFile;
  return false;
}

bool ReadSignature(const std::string& path, SignatureReport& report, std::string& error) {
  report = SignatureReport();
  InFile in(path);
  if (!in.Open()) {
    error = "cannot read " + path;
    return false;
  }
  const uint64_t size = in.Size();
  PeLayout pe;
  if (!ReadPeLayout(in, size, pe, report.problem)) return true;
  if (pe.tableOffset == 0 || pe.tableSize == 0) {
    report.problem = "not signed";
    return true;
  }
  report.present = true;
  if (static_cast<uint64_t>(pe.tableOffset) + pe.tableSize != size) {
    report.problem = static_cast<uint64_t>(pe.tableOffset) + pe.tableSize > size
                         ? "the certificate table reaches past the end of the file"
                         : "bytes follow the certificate table";
    return true;
  }
  std::vector<unsigned char> table(pe.tableSize);
  if (pe.tableSize < 8 || !in.Read(pe.tableOffset, table.data(), table.size())) {
    report.problem = "the certificate table cannot be read";
    return true;
  }
  const uint32_t length = Le32(table.data());
  const unsigned type = table[6] | table[7] << 8;
  const unsigned char* der = table.data() + 8;
  Pkcs7 p7(length >= 8 && length <= pe.tableSize && type == 2 ? d2i_PKCS7(nullptr, &der, length - 8) : nullptr);
  if (!p7 || !PKCS7_type_is_signed(p7.get())) {
    report.problem = "the certificate table holds no Authenticode signature";
    return true;
  }
  CertList signers(PKCS7_get0_signers(p7.get(), nullptr, 0));
  STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7.get());
  if (!signers || sk_X509_num(signers.get()) < 1 || infos == nullptr || sk_PKCS7_SIGNER_INFO_num(infos) < 1 ||
      !Identify(sk_X509_value(signers.get(), 0), report.signer)) {
    report.problem = "the signature names no signer certificate";
    return true;
  }
  const EVP_MD* md = nullptr;
  std::string signedDigest;
  const unsigned char* content = nullptr;
  long contentLength = 0;
  if (!SignedFileDigest(p7.get(), md, signedDigest, content, contentLength)) {
    report.problem = "the signed content is not a file digest";
    return true;
  }
  // The file's digest: everything before the certificate table except the checksum and the
  // table's entry.
  MdContext ctx(EVP_MD_CTX_new());
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestLength = 0;
  if (!ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1 || !in.Hash(ctx.get(), 0, pe.checksumAt) ||
      !in.Hash(ctx.get(), pe.checksumAt + 4, pe.tableEntryAt) ||
      !in.Hash(ctx.get(), pe.tableEntryAt + 8, pe.tableOffset) ||
      EVP_DigestFinal_ex(ctx.get(), digest, &digestLength) != 1) {
    error = "cannot read " + path;
    return false;
  }
  if (signedDigest != std::string(reinterpret_cast<char*>(digest), digestLength)) {
    report.problem = "the file changed after it was signed";
    return true;
  }
  // The signer's signature over the signed content (through its authenticated attributes).
  PKCS7_SIGNER_INFO* info = sk_PKCS7_SIGNER_INFO_value(infos, 0);
  const EVP_MD* signerMd = EVP_get_digestbyobj(info->digest_alg->algorithm);
  Bio mem(BIO_new_mem_buf(content, static_cast<int>(contentLength)));
  BIO* hashing = signerMd != nullptr && mem ? BIO_new(BIO_f_md()) : nullptr;
  if (hashing == nullptr) {
    report.problem = "the signature uses an unknown digest";
    return true;
  }
  BIO_set_md(hashing, signerMd);
  Bio chain(BIO_push(hashing, mem.release()));
  unsigned char buf[4096];
  while (BIO_read(chain.get(), buf, sizeof buf) > 0) {
  }
  if (PKCS7_signatureVerify(chain.get(), p7.get(), info, sk_X509_value(signers.get(), 0)) != 1) {
    report.problem = "the signature does not match the signer's key";
    return true;
  }
  report.intact = true;
  return true;
}

}  // namespace vxpack
