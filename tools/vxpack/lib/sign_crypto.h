// The certificate and key work of signing: reading a signer's certificate and key, the key hash
// that a package pins, and the Authenticode signature of a file. Linux reads them with OpenSSL's
// libcrypto (sign_crypto_openssl.cpp), Windows with the system's crypt32 and wintrust
// (sign_crypto_win.cpp).
#pragma once
#include <string>

namespace vxpack {

// A signer as the files name it.
struct SignerFiles {
  std::string cert;    // PEM certificate (the signer's first; further ones are its chain)
  std::string key;     // PEM private key
  std::string pkcs12;  // or a PKCS#12 file with both
};

struct SignerIdentity {
  std::string name;     // the certificate's subject: its common name, else the whole name
  std::string keyHash;  // SHA-256 of the certificate's public-key information, 64 lowercase hex digits
};

// Reads the certificate and key (decrypting with password when one is given), checks that the
// key belongs to the certificate and names the signer. The Windows build reads PEM keys only
// through the signing program, which checks them when it signs.
bool LoadSigner(const SignerFiles& files, const std::string* password, SignerIdentity& id, std::string& error);

// The key hash of the (first) certificate of a PEM file.
bool CertificateKeyHash(const std::string& certFile, SignerIdentity& id, std::string& error);

// The Authenticode signature of a PE file as this machine reads it.
struct SignatureReport {
  bool present = false;  // the file carries a signature
  bool intact = false;   // it matches the file's bytes and the signer's key
  SignerIdentity signer;
  std::string problem;  // why it is missing or broken
};
// False (with error) only when the file cannot be read.
bool ReadSignature(const std::string& path, SignatureReport& report, std::string& error);

}  // namespace vxpack
