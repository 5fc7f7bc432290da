#include "journal/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

#include "journal/run_info.h"

namespace vl::journal {
namespace {

std::string lock_path(const std::string& journal_path, std::int64_t run) {
  return journal_path + ".run" + std::to_string(run) + ".lock";
}

[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw JournalError(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

RunLock::RunLock(const std::string& journal_path, std::int64_t run)
    : path_(lock_path(journal_path, run)) {
  // Locked under a name of its own, then renamed into place: a reader never
  // finds the file unlocked while its writer lives.
  const std::string building = path_ + "." + std::to_string(getpid());
  fd_ = ::open(building.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) fail("cannot create", building);
  const std::string pid = std::to_string(getpid());
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 ||
      ::write(fd_, pid.data(), pid.size()) != static_cast<ssize_t>(pid.size()) ||
      ::rename(building.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    ::close(fd_);
    ::unlink(building.c_str());
    errno = error;
    fail("cannot lock", path_);
  }
}

RunLock::RunLock(RunLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

RunLock::~RunLock() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());  // before the lock goes: a reader then finds no file, or a run ended
  ::close(fd_);
}

pid_t run_writer(const std::string& journal_path, std::int64_t run) {
  const std::string path = lock_path(journal_path, run);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return 0;
  pid_t writer = 0;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    ::unlink(path.c_str());  // its writer died
  } else {
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    if (n <= 0 || std::from_chars(text, text + n, writer).ec != std::errc{}) writer = -1;
  }
  ::close(fd);
  return writer;
}

}  // namespace vl::journal
