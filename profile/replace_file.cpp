#include "profile/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "profile/file_blocks.h"
#include "profile/write_signals.h"

namespace vexlo::profile {

namespace {

// A temporary file being filled, and its name for renaming or removing.
struct TempFile {
  std::string path;
  int fd = -1;
};

// A permission problem with the folder itself rather than with the file.
bool folder_refuses(int error) { return error == EACCES || error == EPERM; }

// Creates the temporary file beside `path`; errno tells why it could not.
bool open_temp(const std::string& path, TempFile& temp) {
  temp.path = folder_of(path) + ".vexlo-XXXXXX";
  temp.fd = ::mkostemp(temp.path.data(), O_CLOEXEC);
  return temp.fd >= 0;
}

// Removes an unfinished temporary file.
void discard_temp(TempFile& temp) {
  if (temp.fd >= 0) {
    ::close(temp.fd);
    temp.fd = -1;
  }
  ::unlink(temp.path.c_str());
}

// The permission bits a new file gets under the current umask.
mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Gives the temporary file the old file's owner, group and mode. Owner and
// group are kept where the process may set them (root, or a group it is in);
// they are set first because changing them can clear set-id bits.
bool take_identity(int temp_fd, int old_fd) {
  struct stat old_info {};
  if (::fstat(old_fd, &old_info) != 0) {
    return false;
  }
  if (::fchown(temp_fd, old_info.st_uid, old_info.st_gid) != 0) {
    ::fchown(temp_fd, static_cast<uid_t>(-1), old_info.st_gid);
  }
  return ::fchmod(temp_fd, old_info.st_mode & 07777) == 0;
}

// Fills the temporary file with the edited content and makes it durable.
bool fill_temp(int temp_fd, int old_fd, const ProfileEdit& edit) {
  std::vector<char> block(copy_block_size);
  if (old_fd >= 0 && !copy_range(old_fd, temp_fd, 0, edit.keep_until, block)) {
    return false;
  }
  if (!write_all(temp_fd, edit.insert.data(), edit.insert.size())) {
    return false;
  }
  if (old_fd >= 0 && !copy_range(old_fd, temp_fd, edit.resume_at, to_end, block)) {
    return false;
  }
  return ::fsync(temp_fd) == 0;
}

// Gives the finished temporary file the name `path` only if that name is
// free; errno is EEXIST when it is taken.
bool link_if_free(const std::string& temp_path, const std::string& path) {
  if (::renameat2(AT_FDCWD, temp_path.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return false;
  }
  // A file system without no-replace renames: a hard link is just as
  // exclusive, and the temporary name is dropped afterwards.
  if (::link(temp_path.c_str(), path.c_str()) != 0) {
    return false;
  }
  ::unlink(temp_path.c_str());
  return true;
}

}  // namespace

ReplaceStatus replace_with_edit(const std::string& path, int old_fd, const ProfileEdit& edit) {
  TempFile temp;
  if (!open_temp(path, temp)) {
    return folder_refuses(errno) ? ReplaceStatus::folder_denied : ReplaceStatus::failed;
  }
  if (!take_identity(temp.fd, old_fd) || !fill_temp(temp.fd, old_fd, edit)) {
    discard_temp(temp);
    return ReplaceStatus::failed;
  }
  const bool closed = ::close(temp.fd) == 0;
  temp.fd = -1;
  // The last moment to give up: after the rename the new file is in place.
  if (!closed || write_interrupted()) {
    discard_temp(temp);
    return ReplaceStatus::failed;
  }
  if (std::rename(temp.path.c_str(), path.c_str()) != 0) {
    // A folder with the sticky bit refuses to replace another user's file.
    const int error = errno;
    discard_temp(temp);
    return folder_refuses(error) ? ReplaceStatus::folder_denied : ReplaceStatus::failed;
  }
  return sync_folder(path) ? ReplaceStatus::replaced : ReplaceStatus::failed;
}

CreateStatus create_with_edit(const std::string& path, const ProfileEdit& edit) {
  TempFile temp;
  if (!open_temp(path, temp)) {
    return CreateStatus::failed;
  }
  if (::fchmod(temp.fd, new_file_mode()) != 0 || !fill_temp(temp.fd, -1, edit)) {
    discard_temp(temp);
    return CreateStatus::failed;
  }
  const bool closed = ::close(temp.fd) == 0;
  temp.fd = -1;
  if (!closed || write_interrupted()) {
    discard_temp(temp);
    return CreateStatus::failed;
  }
  if (!link_if_free(temp.path, path)) {
    const int error = errno;
    discard_temp(temp);
    return error == EEXIST ? CreateStatus::taken : CreateStatus::failed;
  }
  return sync_folder(path) ? CreateStatus::created : CreateStatus::failed;
}

}  // namespace vexlo::profile
