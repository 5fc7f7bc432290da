#pragma once
// One thread that writes to the journal while the caller goes on: a task at a
// time, its result (or its exception) handed back through a future.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace vl::journal {

class BackgroundWriter {
 public:
  using Ids = std::vector<std::int64_t>;

  BackgroundWriter();
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // Runs `task` on the thread. The caller waits for the future before it gives another.
  std::future<Ids> run(std::function<Ids()> task);

 private:
  void loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::packaged_task<Ids()> job_;
  bool has_job_ = false, stop_ = false;
  std::thread thread_;
};

}  // namespace vl::journal
