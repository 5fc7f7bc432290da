#pragma once
// One thread that writes to the journal while the caller goes on: tasks run
// one after another in the order given, each result (or exception) handed back
// through a future.

#include <condition_variable>
#include <cstdint>
#include <deque>
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

  // Runs `task` on the thread once the tasks given before it have run.
  std::future<Ids> run(std::function<Ids()> task);

 private:
  void loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::packaged_task<Ids()>> jobs_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace vl::journal
