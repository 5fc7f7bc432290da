#include "core/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <utility>

namespace vl {
namespace {

std::mutex g_unfinished_mutex;
std::set<std::string> g_unfinished;

void track(const std::string& temporary, bool unfinished) {
  const std::lock_guard lock(g_unfinished_mutex);
  if (unfinished) {
    g_unfinished.insert(temporary);
  } else {
    g_unfinished.erase(temporary);
  }
}

std::string reason(int error) { return std::strerror(error); }

}  // namespace

// Writes to the file descriptor, keeping the first error for commit().
class WholeFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : fd_(fd) { setp(bytes_.data(), bytes_.data() + bytes_.size()); }
  ~Buffer() override { close(); }

  int close() {
    if (fd_ < 0) return error_;
    drain();
    if (!error_ && ::fsync(fd_) != 0) error_ = errno;
    if (::close(std::exchange(fd_, -1)) != 0 && !error_) error_ = errno;
    return error_;
  }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }
  int sync() override { return drain() ? 0 : -1; }

 private:
  bool drain() {
    const char* from = pbase();
    while (!error_ && from < pptr()) {
      const ssize_t written = ::write(fd_, from, static_cast<std::size_t>(pptr() - from));
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) error_ = errno;
      if (written > 0) from += written;
    }
    setp(bytes_.data(), bytes_.data() + bytes_.size());
    return !error_;
  }

  int fd_;
  int error_ = 0;
  std::array<char, std::size_t{64} * 1024> bytes_{};
};

WholeFile::WholeFile(std::string path) : path_(std::move(path)) {
  // A folder in the target's place would refuse the rename only at commit(),
  // after the work the file reports on was done.
  struct stat target {};
  if (::stat(path_.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
    throw FileError(reason(EISDIR));
  const auto slash = path_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  std::random_device random;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary_ = folder;
    temporary_.append(".").append(name).append(".");
    temporary_.append(std::to_string(random() % 1000000)).append(".tmp");
    fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) throw FileError(reason(errno));
  }
  if (fd < 0) throw FileError(reason(EEXIST));
  track(temporary_, true);
  buffer_ = std::make_unique<Buffer>(fd);
  out_ = std::make_unique<std::ostream>(buffer_.get());
}

WholeFile::~WholeFile() {
  if (committed_) return;
  buffer_->close();
  ::unlink(temporary_.c_str());
  track(temporary_, false);
}

std::ostream& WholeFile::out() { return *out_; }

void WholeFile::commit() {
  out_->flush();
  if (const int error = buffer_->close()) throw FileError(reason(error));
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) throw FileError(reason(errno));
  committed_ = true;
  track(temporary_, false);
}

void remove_unfinished_files() {
  const std::lock_guard lock(g_unfinished_mutex);
  for (const std::string& temporary : g_unfinished) ::unlink(temporary.c_str());
}

}  // namespace vl
