// Local clock from the system's local time.
#include <windows.h>

#include "text/utils.h"

namespace vx {

double NowDateTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  const CivilTime t{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  return EncodeDateTime(t) + st.wMilliseconds / 86400000.0;
}

}  // namespace vx
