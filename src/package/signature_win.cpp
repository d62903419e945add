// The system's signature check of a fetched file, and the launcher's rule built on it.
#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include "package/own_package.h"
#include "package/signature.h"
#include "package/trust_bindings_win.h"
#include "system/debug.h"
#include "ui/lang_defaults.h"

namespace vx {

void ExamineSignature(const String& path, SignatureFinding& found) {
  const TrustApi* api = BoundTrustApi();
  WCHAR wide[MAX_PATH + 1];
  if (api == nullptr || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH + 1) == 0) return;
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = wide;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  // No revocation check and nothing fetched from the network: an offline machine answers at once.
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);
  found.status = static_cast<uint32_t>(api->Verify()(noUser, &action, &data));
  // The signer's leaf certificate, from the state data the check keeps until it is closed.
  CRYPT_PROVIDER_DATA* provider = api->ProviderData()(data.hWVTStateData);
  CRYPT_PROVIDER_SGNR* signer = provider != nullptr ? api->Signer()(provider, 0, FALSE, 0) : nullptr;
  if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain[0].pCert != nullptr) {
    if (signer->pChainContext != nullptr) found.chainErrors = signer->pChainContext->TrustStatus.dwErrorStatus;
    DWORD length = kKeyHashBytes;
    found.hasKey =
        api->HashPublicKey()(0, CALG_SHA_256, 0, X509_ASN_ENCODING,
                             &signer->pasCertChain[0].pCert->pCertInfo->SubjectPublicKeyInfo, found.keyHash, &length) &&
        length == kKeyHashBytes;
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  api->Verify()(noUser, &action, &data);
}

String SignatureRefusal(const String& path) {
  const TGFileInfo& own = OwnPackage();
  const String pins = own.PublisherPins();
  if (pins.empty()) {
    DebugWriteLnPid(" Not signature-checked: ", path);
    return String();
  }
  SignatureFinding found;
  ExamineSignature(path, found);
  const SignatureVerdict verdict = JudgeSignature(found, pins);
  DebugWriteLnPid(" Signature check: ", SignatureTraceText(verdict, found, path));
  return verdict == SignatureVerdict::kAccepted ? String() : LauncherText(own.LanguageBlock(), "s14");
}

}  // namespace vx
