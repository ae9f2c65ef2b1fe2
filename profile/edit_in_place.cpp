#include "profile/edit_in_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "profile/file_blocks.h"

namespace vexlo::profile {

namespace {

// Reads exactly `size` bytes at `offset`.
bool read_exactly(int fd, char* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    data += got;
    size -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

// Moves bytes [from, end) to start at `to`, block by block in the order
// that never overwrites a byte before it has been moved.
bool move_tail(int fd, std::uint64_t from, std::uint64_t end, std::uint64_t to) {
  std::vector<char> block(copy_block_size);
  const std::uint64_t length = end - from;
  for (std::uint64_t done = 0; done < length;) {
    const std::uint64_t size = length - done < block.size() ? length - done : block.size();
    // Moving up: take blocks from the end; moving down: from the start.
    const std::uint64_t at = to > from ? length - done - size : done;
    if (!read_exactly(fd, block.data(), size, from + at) || !write_all_at(fd, block.data(), size, to + at)) {
      return false;
    }
    done += size;
  }
  return true;
}

}  // namespace

bool edit_in_place(int fd, const ProfileEdit& edit) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    return false;
  }
  const auto old_size = static_cast<std::uint64_t>(info.st_size);
  if (edit.keep_until > edit.resume_at || edit.resume_at > old_size) {
    return false;
  }
  const std::uint64_t new_size = edit.keep_until + edit.insert.size() + (old_size - edit.resume_at);
  const std::uint64_t new_tail_at = edit.keep_until + edit.insert.size();
  if (new_size > old_size) {
    const int reserved = ::posix_fallocate(fd, static_cast<off_t>(old_size), static_cast<off_t>(new_size - old_size));
    // EOPNOTSUPP/EINVAL: the file system cannot reserve space; go on without.
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
      static_cast<void>(::ftruncate(fd, static_cast<off_t>(old_size)));
      return false;
    }
  }
  if (new_tail_at != edit.resume_at && !move_tail(fd, edit.resume_at, old_size, new_tail_at)) {
    return false;
  }
  if (!write_all_at(fd, edit.insert.data(), edit.insert.size(), edit.keep_until)) {
    return false;
  }
  if (new_size < old_size && ::ftruncate(fd, static_cast<off_t>(new_size)) != 0) {
    return false;
  }
  return ::fsync(fd) == 0;
}

}  // namespace vexlo::profile
