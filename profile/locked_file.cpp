#include "profile/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <vector>

#include "profile/file_blocks.h"
#include "profile/write_signals.h"

namespace vexlo::profile {

namespace {

// As many links as the system itself follows before calling it a loop.
constexpr int max_link_hops = 40;

// Replacements by other writers we wait out before giving up; each one means
// another writer finished, so this is only reached under a storm of writes.
constexpr int max_lock_attempts = 100000;

// The target of the link at path, read whole; empty when unreadable.
std::optional<std::string> read_link(const std::string& path, off_t size_hint) {
  std::vector<char> target(static_cast<std::size_t>(size_hint > 0 ? size_hint : 255) + 1);
  for (;;) {
    const ssize_t got = ::readlink(path.c_str(), target.data(), target.size());
    if (got < 0) {
      return std::nullopt;
    }
    if (static_cast<std::size_t>(got) < target.size()) {
      return std::string(target.data(), static_cast<std::size_t>(got));
    }
    target.resize(target.size() * 2);
  }
}

// Waits for the exclusive lock; false if a terminating signal came first.
bool lock_exclusively(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR || write_interrupted()) {
      return false;
    }
  }
  return !write_interrupted();
}

// True when `path` still names the file open on fd.
bool still_named(const std::string& path, const struct stat& held) {
  struct stat named {};
  return ::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

}  // namespace

std::optional<std::string> follow_links(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < max_link_hops; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      return current;  // missing: the write will create it, or fail to
    }
    if (!S_ISLNK(info.st_mode)) {
      return current;
    }
    std::optional<std::string> target = read_link(current, info.st_size);
    if (!target || target->empty()) {
      return std::nullopt;
    }
    current = (*target)[0] == '/' ? *target : folder_of(current) + *target;
  }
  return std::nullopt;
}

LockStatus open_locked(const std::string& path, LockedFile& file) {
  for (int attempt = 0; attempt < max_lock_attempts; ++attempt) {
    // Look before opening: opening a device or FIFO can itself have effects.
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) {
      return errno == ENOENT ? LockStatus::missing : LockStatus::refused;
    }
    if (!S_ISREG(named.st_mode)) {
      return LockStatus::refused;
    }
    // O_RDWR asks the system whether this user may write the file itself; a
    // read-only file is refused even when its folder would allow replacing
    // it. O_NONBLOCK and O_NOCTTY guard against a swap to a FIFO or terminal
    // since the look above.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
      if (errno == ENOENT) {
        continue;  // removed since the look; look again
      }
      return LockStatus::refused;
    }
    file.fd = fd;
    if (::fstat(fd, &file.info) != 0 || !S_ISREG(file.info.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0 ||
        !lock_exclusively(fd) || ::fstat(fd, &file.info) != 0) {
      ::close(fd);
      file.fd = -1;
      return LockStatus::refused;
    }
    if (still_named(path, file.info)) {
      return LockStatus::locked;
    }
    // Another writer replaced the file while we waited: start over on the new one.
    ::close(fd);
    file.fd = -1;
  }
  return LockStatus::refused;
}

}  // namespace vexlo::profile
