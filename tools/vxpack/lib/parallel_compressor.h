// Compresses blocks on worker threads (one encoder each); results come back in submit order.
#pragma once
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "compressor.h"

namespace vxpack {

class ParallelCompressor {
 public:
  // threads <= 1 compresses in the caller's thread when the result is asked for.
  ParallelCompressor(int level, int threads);
  ~ParallelCompressor();
  ParallelCompressor(const ParallelCompressor&) = delete;
  ParallelCompressor& operator=(const ParallelCompressor&) = delete;

  // Starts compressing input; the future yields the stream (empty when memory ran out).
  std::future<std::vector<uint8_t>> Submit(std::shared_ptr<const std::vector<uint8_t>> input);
  // Compresses at once in the calling thread.
  bool CompressNow(const std::vector<uint8_t>& input, std::vector<uint8_t>& out);
  int Threads() const { return static_cast<int>(workers_.size()); }

 private:
  struct Task {
    std::shared_ptr<const std::vector<uint8_t>> input;
    std::promise<std::vector<uint8_t>> result;
  };
  void Work();

  int level_;
  Compressor local_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> tasks_;
  bool stop_ = false;
};

}  // namespace vxpack
