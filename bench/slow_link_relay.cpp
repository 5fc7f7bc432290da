// vandril_slow_link: a TCP relay that makes a loopback link slow. It listens on
// one loopback alias (port 3306, as the ODBC connection string has no port) and
// forwards every connection to the server's alias, passing each chunk on D ms
// after it arrived, in each direction, pipelined and without a cap on
// bandwidth. On SIGTERM or SIGINT it prints how many round trips it saw (a
// client chunk answered by a server chunk) and exits.
//
// With --cut-on TEXT it loses the link in the middle of a statement: the
// first client chunk holding TEXT reaches the server, its answer never
// reaches the client, and both sides of that connection are closed 300 ms
// later, as when the server goes away while the statement runs. The driver
// compresses larger packets, so TEXT must stand in a small statement.
//
//   vandril_slow_link --listen ADDRESS --server ADDRESS --delay-ms D [--cut-on TEXT]
//
// The kernel's network emulation is not available on the machines this runs
// on, so the delay is made here, in user space.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<long> round_trips{0};
std::atomic<bool> stopping{false};
std::string cut_on;                 // empty: never cut
std::atomic<bool> cut_done{false};  // only the first statement holding it is cut

// One direction of one connection: chunks wait here until they are due.
class DelayedPipe {
 public:
  DelayedPipe(int from, int to, std::chrono::milliseconds delay, std::atomic<bool>& cutting)
      : from_(from), to_(to), delay_(delay), cutting_(cutting) {}

  void run_reader(std::atomic<int>& last_direction, int direction) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
      const ssize_t n = ::read(from_, buffer.data(), buffer.size());
      if (n <= 0) break;
      if (direction == 0 && !cut_on.empty() &&
          std::string_view(buffer.data(), static_cast<size_t>(n)).find(cut_on) !=
              std::string_view::npos &&
          !cut_done.exchange(true)) {
        cutting_ = true;
        std::thread([from = from_, to = to_] {
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
          ::shutdown(from, SHUT_RDWR);
          ::shutdown(to, SHUT_RDWR);
        }).detach();
      } else if (direction == 1 && cutting_) {
        continue;  // the answer to the cut statement is lost
      }
      // A server chunk after a client chunk completes one round trip.
      if (direction == 1 && last_direction.exchange(1) == 0) ++round_trips;
      if (direction == 0) last_direction = 0;
      std::lock_guard lock(mutex_);
      queue_.push_back({Clock::now() + delay_, std::string(buffer.data(), static_cast<size_t>(n))});
      ready_.notify_one();
    }
    std::lock_guard lock(mutex_);
    closed_ = true;
    ready_.notify_one();
  }

  void run_writer() {
    for (;;) {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [this] { return closed_ || !queue_.empty(); });
      if (queue_.empty()) break;
      auto [due, data] = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      std::this_thread::sleep_until(due);
      for (size_t sent = 0; sent < data.size();) {
        const ssize_t n = ::write(to_, data.data() + sent, data.size() - sent);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
      }
    }
    ::shutdown(to_, SHUT_WR);
  }

 private:
  struct Chunk {
    Clock::time_point due;
    std::string data;
  };
  int from_, to_;
  std::chrono::milliseconds delay_;
  std::atomic<bool>& cutting_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Chunk> queue_;
  bool closed_ = false;
};

sockaddr_in address_of(const std::string& ip) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(3306);
  if (inet_pton(AF_INET, ip.c_str(), &address.sin_addr) != 1) {
    throw std::invalid_argument("not an IPv4 address: " + ip);
  }
  return address;
}

void relay(int client, sockaddr_in server_address, std::chrono::milliseconds delay) {
  const int server = ::socket(AF_INET, SOCK_STREAM, 0);
  if (::connect(server, reinterpret_cast<sockaddr*>(&server_address), sizeof server_address) != 0) {
    ::close(client);
    ::close(server);
    return;
  }
  const int one = 1;
  for (int s : {client, server}) ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::atomic<int> last_direction{1};  // the server speaks first: its greeting is no answer
  std::atomic<bool> cutting{false};
  DelayedPipe up(client, server, delay, cutting), down(server, client, delay, cutting);
  std::thread up_reader([&] { up.run_reader(last_direction, 0); });
  std::thread down_reader([&] { down.run_reader(last_direction, 1); });
  std::thread up_writer([&] { up.run_writer(); });
  std::thread down_writer([&] { down.run_writer(); });
  up_reader.join();
  down_reader.join();
  up_writer.join();
  down_writer.join();
  ::close(client);
  ::close(server);
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> options;
  for (int i = 1; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
  if (!options.count("--listen") || !options.count("--server") || !options.count("--delay-ms")) {
    std::fprintf(stderr,
                 "usage: vandril_slow_link --listen ADDRESS --server ADDRESS --delay-ms D "
                 "[--cut-on TEXT]\n");
    return 64;
  }
  const auto delay = std::chrono::milliseconds(std::stol(options["--delay-ms"]));
  cut_on = options["--cut-on"];
  const sockaddr_in server = address_of(options["--server"]);
  sockaddr_in listen_address = address_of(options["--listen"]);

  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&listen_address), sizeof listen_address) != 0 ||
      ::listen(listener, 16) != 0) {
    std::perror("vandril_slow_link: listen");
    return 1;
  }
  // Without SA_RESTART, a signal ends the wait in accept(): the loop then reports.
  struct sigaction on_stop {};
  on_stop.sa_handler = [](int) { stopping = true; };
  sigaction(SIGTERM, &on_stop, nullptr);
  sigaction(SIGINT, &on_stop, nullptr);
  std::fprintf(stderr, "vandril_slow_link: %s:3306 -> %s:3306, %ld ms each way\n",
               options["--listen"].c_str(), options["--server"].c_str(),
               static_cast<long>(delay.count()));
  while (!stopping) {
    const int client = ::accept(listener, nullptr, nullptr);
    if (client >= 0) std::thread(relay, client, server, delay).detach();
  }
  std::printf("round_trips=%ld\n", round_trips.load());
  std::fflush(stdout);
  std::_Exit(0);  // relays still running end with the process
}
