#include "profile/file_blocks.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

#include "profile/write_signals.h"

namespace vexlo::profile {

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    if (write_interrupted()) {
      return false;
    }
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

bool write_all_at(int fd, const char* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t put = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
    offset += static_cast<std::uint64_t>(put);
  }
  return true;
}

namespace {

// How much one copy_file_range call moves: small enough that a signal is
// noticed quickly, large enough that the calls cost nothing.
constexpr std::uint64_t kernel_copy_step = std::uint64_t{8} * 1024 * 1024;

// What an attempt to copy inside the kernel came to.
enum class KernelCopy { done, unsupported, failed };

// Copies [from, until) of `in` to `out` without bringing the bytes into this
// process. `from` advances past what was copied, also when it stops early.
KernelCopy copy_in_kernel(int in, int out, std::uint64_t& from, std::uint64_t until) {
  while (from < until) {
    if (write_interrupted()) {
      return KernelCopy::failed;
    }
    auto offset = static_cast<off_t>(from);
    const std::uint64_t wanted = until - from < kernel_copy_step ? until - from : kernel_copy_step;
    const ssize_t copied = ::copy_file_range(in, &offset, out, nullptr, wanted, 0);
    if (copied < 0) {
      if (errno == EINTR) {
        continue;
      }
      // Not offered for these files: the caller copies through a buffer.
      const bool unsupported = errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
      return unsupported ? KernelCopy::unsupported : KernelCopy::failed;
    }
    if (copied == 0) {
      // The input ended early: only acceptable when copying to its end.
      return until == to_end ? KernelCopy::done : KernelCopy::failed;
    }
    from += static_cast<std::uint64_t>(copied);
  }
  return KernelCopy::done;
}

// Copies [from, until) of `in` to `out` through `block`.
bool copy_through_buffer(int in, int out, std::uint64_t from, std::uint64_t until, std::vector<char>& block) {
  while (from < until) {
    if (write_interrupted()) {
      return false;
    }
    const std::uint64_t wanted = until - from < block.size() ? until - from : block.size();
    const ssize_t got = ::pread(in, block.data(), wanted, static_cast<off_t>(from));
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (got == 0) {
      return until == to_end;
    }
    if (!write_all(out, block.data(), static_cast<std::size_t>(got))) {
      return false;
    }
    from += static_cast<std::uint64_t>(got);
  }
  return true;
}

}  // namespace

bool copy_range(int in, int out, std::uint64_t from, std::uint64_t until, std::vector<char>& block) {
  switch (copy_in_kernel(in, out, from, until)) {
    case KernelCopy::done:
      return true;
    case KernelCopy::unsupported:
      return copy_through_buffer(in, out, from, until, block);
    case KernelCopy::failed:
      break;
  }
  return false;
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool sync_folder(const std::string& path) {
  const std::string folder = folder_of(path);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  // Some file systems cannot sync a folder (EINVAL); their renames are as
  // durable as they get without it.
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return synced;
}

}  // namespace vexlo::profile
