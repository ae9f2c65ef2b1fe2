#include "profile/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace vexlo::profile {

namespace {

constexpr std::size_t copy_block_size = std::size_t{256} * 1024;

// An `until` for copy_range that means: to the end of the old file.
constexpr std::uint64_t to_end = ~std::uint64_t{0};

// Writes all of [data, data + size) to fd.
bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

// Copies bytes [from, until) of `in` to `out`.
bool copy_range(int in, int out, std::uint64_t from, std::uint64_t until, std::vector<char>& block) {
  while (from < until) {
    const std::uint64_t wanted = until - from < block.size() ? until - from : block.size();
    const ssize_t got = ::pread(in, block.data(), wanted, static_cast<off_t>(from));
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (got == 0) {
      // The old file ended early: only acceptable when copying to its end.
      return until == to_end;
    }
    if (!write_all(out, block.data(), static_cast<std::size_t>(got))) {
      return false;
    }
    from += static_cast<std::uint64_t>(got);
  }
  return true;
}

// The folder part of path, with its trailing slash ("" for a bare name).
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The permission bits the new file gets: the old file's, or the umask's.
mode_t mode_for(int old_fd) {
  struct stat old_stat {};
  if (old_fd >= 0 && ::fstat(old_fd, &old_stat) == 0) {
    return old_stat.st_mode & 07777;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Writes the edited content into temp_fd.
bool write_edited(int old_fd, int temp_fd, const ProfileEdit& edit) {
  std::vector<char> block(copy_block_size);
  if (old_fd >= 0 && !copy_range(old_fd, temp_fd, 0, edit.keep_until, block)) {
    return false;
  }
  if (!write_all(temp_fd, edit.insert.data(), edit.insert.size())) {
    return false;
  }
  return old_fd < 0 || copy_range(old_fd, temp_fd, edit.resume_at, to_end, block);
}

}  // namespace

bool replace_with_edit(const std::string& path, int old_fd, const ProfileEdit& edit) {
  std::string temp_path = folder_of(path) + ".vexlo-XXXXXX";
  const int temp_fd = ::mkostemp(temp_path.data(), O_CLOEXEC);
  if (temp_fd < 0) {
    return false;
  }
  bool ok = ::fchmod(temp_fd, mode_for(old_fd)) == 0 && write_edited(old_fd, temp_fd, edit);
  ok = ::close(temp_fd) == 0 && ok;
  ok = ok && std::rename(temp_path.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp_path.c_str());
  }
  return ok;
}

}  // namespace vexlo::profile
