#include "journal/background_writer.h"

namespace vl::journal {

BackgroundWriter::BackgroundWriter() : thread_([this] { loop(); }) {}

BackgroundWriter::~BackgroundWriter() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

std::future<BackgroundWriter::Ids> BackgroundWriter::run(std::function<Ids()> task) {
  std::packaged_task<Ids()> job(std::move(task));
  std::future<Ids> result = job.get_future();
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return result;
}

void BackgroundWriter::loop() {
  for (;;) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (jobs_.empty()) return;
    std::packaged_task<Ids()> job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();
  }
}

}  // namespace vl::journal
