// Run-time binding of the system's signature check: WinVerifyTrust and its two helpers from
// "wintrust.dll" and CryptHashPublicKeyInfo from "crypt32.dll", each library from the system
// folder, looked up once on first use and kept. Windows build only.
#pragma once
#include <windows.h>
#include <wintrust.h>

#include "system/winutil_win.h"

namespace vx {

class TrustApi {
 public:
  using VerifyFn = LONG(WINAPI*)(HWND, GUID*, WINTRUST_DATA*);
  using ProviderDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
  using SignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
  using HashKeyFn = BOOL(WINAPI*)(HCRYPTPROV_LEGACY, ALG_ID, DWORD, DWORD, CERT_PUBLIC_KEY_INFO*, BYTE*, DWORD*);

  VerifyFn Verify() const { return reinterpret_cast<VerifyFn>(procs_[0]); }
  ProviderDataFn ProviderData() const { return reinterpret_cast<ProviderDataFn>(procs_[1]); }
  SignerFn Signer() const { return reinterpret_cast<SignerFn>(procs_[2]); }
  HashKeyFn HashPublicKey() const { return reinterpret_cast<HashKeyFn>(procs_[3]); }

  ProcAddress procs_[4];  // in the order above
};

// The entry points; null when a library or any of them is missing (no check can be made then).
const TrustApi* BoundTrustApi();

}  // namespace vx
