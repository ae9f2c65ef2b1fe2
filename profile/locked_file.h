#ifndef VEXLO_PROFILE_LOCKED_FILE_H
#define VEXLO_PROFILE_LOCKED_FILE_H

// Finding the file a write goes to and holding it exclusively for the whole
// read-modify-write, so that two writers of one file never lose each
// other's parameter.
//
// Calling sequence:
//
//   std::optional<std::string> target = follow_links(path);
//   LockedFile file;
//   switch (open_locked(*target, file)) {
//     case LockStatus::locked:  read, plan and replace the file, then
//                               close(file.fd), which releases the lock;
//     case LockStatus::missing: create it (create_with_edit); if another
//                               process took the name first, start again;
//     case LockStatus::refused: fail, nothing was changed.
//   }
//
// The lock is an exclusive flock() on the file. A writer replaces the file by
// renaming a new one over it, so a writer that waited for the lock may wake
// holding a file that is no longer at the path; open_locked() checks that
// the path still names the locked file and otherwise tries again. Readers
// take no lock: every replacement is a single rename, so they see the old
// file or the new one. Other programs that ignore the lock are not held off.

#include <optional>
#include <string>

#include <sys/stat.h>

namespace vexlo::profile {

// The path a symbolic link finally points to (path itself when it is not a
// link), so that writing to it rewrites the linked file and keeps the link.
// The final name need not exist. Empty for a loop or an unreadable link.
std::optional<std::string> follow_links(const std::string& path);

struct LockedFile {
  int fd = -1;          // open for reading and writing, exclusively locked
  struct stat info {};  // the file as it was when locked
};

enum class LockStatus {
  locked,   // file.fd is open and locked; the caller closes it
  missing,  // no file has the name (its folder may be missing too)
  refused,  // not a regular file, not writable by this user, or the lock
            // wait was interrupted by a terminating signal
};

// Opens the regular file at `path` for writing and locks it.
LockStatus open_locked(const std::string& path, LockedFile& file);

}  // namespace vexlo::profile

#endif
