// Signer files and Authenticode signatures read with the system's crypt32 and wintrust (Windows
// build). The signature check is the launcher's own (package/signature.h).
#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "package/signature.h"
#include "sign_crypto.h"

namespace vxpack {
namespace {

bool ReadBytes(const std::string& path, std::vector<BYTE>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool Identify(PCCERT_CONTEXT cert, SignerIdentity& id) {
  BYTE hash[32];
  DWORD length = sizeof hash;
  if (!CryptHashPublicKeyInfo(0, CALG_SHA_256, 0, X509_ASN_ENCODING, &cert->pCertInfo->SubjectPublicKeyInfo, hash,
                              &length) ||
      length != sizeof hash)
    return false;
  id.keyHash = vx::HexText(hash, sizeof hash);
  char name[256];
  const DWORD n = CertGetNameStringA(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof name);
  id.name = n > 1 ? std::string(name, n - 1) : std::string();
  return true;
}

std::wstring Wide(const std::string& text) {
  std::wstring out(text.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()));
  out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
  return out;
}

bool LoadPkcs12Signer(const std::string& path, const std::string* password, SignerIdentity& id, std::string& error) {
  std::vector<BYTE> bytes;
  if (!ReadBytes(path, bytes)) {
    error = "cannot read the PKCS#12 file " + path;
    return false;
  }
  CRYPT_DATA_BLOB blob = {static_cast<DWORD>(bytes.size()), bytes.data()};
  if (!PFXIsPFXBlob(&blob)) {
    error = path + " is not a PKCS#12 file";
    return false;
  }
  const std::wstring pass = Wide(password != nullptr ? *password : std::string());
  HCERTSTORE store = PFXImportCertStore(&blob, pass.c_str(), 0);
  if (store == nullptr) {
    error = password != nullptr
                ? "wrong password for the PKCS#12 file " + path
                : "the PKCS#12 file " + path + " needs a password (password_file or VXPACK_SIGN_PASSWORD)";
    return false;
  }
  bool found = false;
  for (PCCERT_CONTEXT c = CertEnumCertificatesInStore(store, nullptr); c != nullptr && !found;
       c = CertEnumCertificatesInStore(store, c)) {
    DWORD size = 0;
    if (CertGetCertificateContextProperty(c, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) {
      found = Identify(c, id);
      CertFreeCertificateContext(c);
      break;
    }
  }
  CertCloseStore(store, 0);
  if (!found) error = path + " holds no certificate with its private key";
  return found;
}

// The signer's name from the signature's own certificates.
std::string SignerName(const std::string& path) {
  const std::wstring wide = Wide(path);
  HCERTSTORE store = nullptr;
  HCRYPTMSG msg = nullptr;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, wide.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &store, &msg, nullptr))
    return std::string();
  std::string name;
  DWORD size = 0;
  if (CryptMsgGetParam(msg, CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size)) {
    std::vector<BYTE> info(size);
    if (CryptMsgGetParam(msg, CMSG_SIGNER_CERT_INFO_PARAM, 0, info.data(), &size)) {
      PCCERT_CONTEXT cert = CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                       CERT_FIND_SUBJECT_CERT, info.data(), nullptr);
      SignerIdentity id;
      if (cert != nullptr && Identify(cert, id)) name = id.name;
      if (cert != nullptr) CertFreeCertificateContext(cert);
    }
  }
  CryptMsgClose(msg);
  CertCloseStore(store, 0);
  return name;
}

}  // namespace

bool CertificateKeyHash(const std::string& certFile, SignerIdentity& id, std::string& error) {
  std::vector<BYTE> pem;
  if (!ReadBytes(certFile, pem)) {
    error = "cannot read the certificate file " + certFile;
    return false;
  }
  DWORD size = 0;
  const char* text = reinterpret_cast<const char*>(pem.data());
  const DWORD length = static_cast<DWORD>(pem.size());
  std::vector<BYTE> der;
  if (CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
    der.resize(size);
    if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr))
      der.clear();
  }
  PCCERT_CONTEXT cert = der.empty() ? nullptr
                                    : CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(),
                                                                   static_cast<DWORD>(der.size()));
  if (cert == nullptr) {
    error = certFile + " holds no PEM certificate";
    return false;
  }
  const bool ok = Identify(cert, id);
  CertFreeCertificateContext(cert);
  if (!ok) error = "cannot hash the public key of the certificate in " + certFile;
  return ok;
}

bool LoadSigner(const SignerFiles& files, const std::string* password, SignerIdentity& id, std::string& error) {
  if (!files.pkcs12.empty()) return LoadPkcs12Signer(files.pkcs12, password, id, error);
  if (!CertificateKeyHash(files.cert, id, error)) return false;
  std::vector<BYTE> key;
  if (!ReadBytes(files.key, key)) {
    error = "cannot read the key file " + files.key;
    return false;
  }
  return true;
}

bool ReadSignature(const std::string& path, SignatureReport& report, std::string& error) {
  report = SignatureReport();
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = "cannot read " + path;
    return false;
  }
  vx::SignatureFinding found;
  vx::ExamineSignature(path, found);
  report.present = found.status != vx::kTrustNoSignature;
  // The chain's own errors (CERT_E_...) are a question of trust, not of the file's integrity.
  const bool chainOnly = (found.status & 0xFFFFFF00u) == 0x800B0100u && found.status != vx::kTrustNoSignature;
  report.intact = found.hasKey && (found.status == 0 || chainOnly);
  if (found.hasKey) report.signer.keyHash = vx::HexText(found.keyHash, vx::kKeyHashBytes);
  if (report.present) report.signer.name = SignerName(path);
  if (found.status == vx::kTrustNoSignature)
    report.problem = "not signed";
  else if (found.status == vx::kTrustBadDigest)
    report.problem = "the file changed after it was signed";
  else if (!report.intact)
    report.problem = "the system's signature check refuses it";
  return true;
}

}  // namespace vxpack
