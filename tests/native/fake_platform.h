// An in-memory platform for the native tests: a fixed clock, process id, locale and cluster size,
// with the trace chunks and posted window messages recorded. It is the process's platform while
// it exists.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "system/platform.h"

namespace vxtest {

class FakePlatform : public vx::Platform {
 public:
  struct Posted {
    uintptr_t window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Posted& o) const {
      return window == o.window && message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
  };

  FakePlatform() { vx::SetPlatform(this); }
  ~FakePlatform() { vx::SetPlatform(nullptr); }
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  double NowDateTime() override { return now; }
  uint32_t ProcessId() override { return processId; }
  uint32_t LocaleId() override { return localeId; }
  uint32_t DriveClusterSize(const vx::String& folder) override {
    clusterFolders.push_back(folder);
    return clusterSize;
  }
  void DeliverTrace(const char* chunk, size_t len) override { chunks.emplace_back(chunk, len); }
  void PostWindowMessage(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    posted.push_back({window, message, wParam, lParam});
  }

  // Every chunk delivered so far, joined.
  std::string Trace() const {
    std::string all;
    for (const std::string& c : chunks) all += c;
    return all;
  }

  double now = 45000.5;  // 15 March 2023, 12:00
  uint32_t processId = 4242;
  uint32_t localeId = 0x0409;  // English (United States)
  uint32_t clusterSize = 4096;
  std::vector<vx::String> clusterFolders;  // the folders whose cluster size was asked for
  std::vector<std::string> chunks;
  std::vector<Posted> posted;
};

}  // namespace vxtest
