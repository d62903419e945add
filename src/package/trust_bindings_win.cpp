// The signature check's entry points, looked up once in the system folder's wintrust and crypt32.
#include "package/trust_bindings_win.h"

namespace vx {

const TrustApi* BoundTrustApi() {
  static TrustApi api;
  static int state = 0;  // 0: not looked up yet, 1: complete, 2: something is missing
  if (state == 0) {
    GetProcsFromLibrary("wintrust.dll", "WinVerifyTrust\0WTHelperProvDataFromStateData\0WTHelperGetProvSignerFromChain",
                        api.procs_, 3);
    api.procs_[3] = GetProcFromLibrary("crypt32.dll", "CryptHashPublicKeyInfo");
    state = 1;
    for (ProcAddress p : api.procs_)
      if (p == nullptr) state = 2;
  }
  return state == 1 ? &api : nullptr;
}

}  // namespace vx
