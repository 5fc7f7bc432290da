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
    job_ = std::move(job);
    has_job_ = true;
  }
  wake_.notify_one();
  return result;
}

void BackgroundWriter::loop() {
  for (;;) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stop_ || has_job_; });
    if (!has_job_) return;
    std::packaged_task<Ids()> job = std::move(job_);
    has_job_ = false;
    lock.unlock();
    job();
  }
}

}  // namespace vl::journal
