#include "parallel_compressor.h"

namespace vxpack {

ParallelCompressor::ParallelCompressor(int level, int threads) : level_(level), local_(level) {
  for (int i = 0; threads > 1 && i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

ParallelCompressor::~ParallelCompressor() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

std::future<std::vector<uint8_t>> ParallelCompressor::Submit(
    std::shared_ptr<const std::vector<uint8_t>> input) {
  Task task;
  task.input = std::move(input);
  std::future<std::vector<uint8_t>> f = task.result.get_future();
  if (workers_.empty()) {
    std::vector<uint8_t> out;
    if (!local_.Compress(task.input->data(), task.input->size(), out)) out.clear();
    task.result.set_value(std::move(out));
    return f;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
  return f;
}

bool ParallelCompressor::CompressNow(const std::vector<uint8_t>& input, std::vector<uint8_t>& out) {
  return local_.Compress(input.data(), input.size(), out);
}

void ParallelCompressor::Work() {
  Compressor c(level_);
  for (;;) {
    Task task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !tasks_.empty(); });
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    std::vector<uint8_t> out;
    if (!c.Compress(task.input->data(), task.input->size(), out)) out.clear();
    task.result.set_value(std::move(out));
  }
}

}  // namespace vxpack
