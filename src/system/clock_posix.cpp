// Local clock for the host build.
#include <time.h>

#include "text/utils.h"

namespace vx {

double NowDateTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  const time_t secs = ts.tv_sec;
  tm local{};
  localtime_r(&secs, &local);
  const CivilTime t{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour, local.tm_min, local.tm_sec};
  return EncodeDateTime(t) + (ts.tv_nsec / 1000000) / 86400000.0;
}

}  // namespace vx
