// Web-hosted packages: the launcher carries no files and fetches the full package.
#include <windows.h>

#include "env/files.h"
#include "env/utils.h"
#include "launcher/setup_launch.h"
#include "launcher/stub.h"

namespace vx {

void RunWebHostedJob(const std::string& agentName) {
  // The update agent is the launcher itself with its agent flag set (fifth byte from the end).
  if (!agentName.empty()) {
    std::string self = ReadFilePart(ModulePath(), 0, 0);
    if (self.size() >= 5) {
      self[self.size() - 5] = 1;
      uint32_t dos = 0;
      FileDosDateTime(ModulePath(), dos);
      WriteFileText(WorkFolder() + "\\" + agentName, self, dos, false);
    }
  }
  // Fetching the package from the web folder comes with the HTTP download support.
}

}  // namespace vx
