#ifndef VEXLO_PROFILE_REPLACE_FILE_H
#define VEXLO_PROFILE_REPLACE_FILE_H

// Puts the edited content of a profile file in place as a whole, so that a
// reader of the path sees either the whole old file or the whole new one,
// never a mix, and a crash at any moment leaves one of the two on disk.
//
// Calling sequence, for an existing file: open it and take its lock (see
// locked_file.h), plan a ProfileEdit from it, then replace_with_edit(). That:
//   1. creates a temporary file `.vexlo-XXXXXX` exclusively in the same folder;
//   2. gives it the old file's owner and group (where the process may) and
//      its permission bits;
//   3. writes old head + new bytes + old tail into it and fsyncs it;
//   4. renames it over the path, then fsyncs the folder.
// On any failure, or when a terminating signal has come before step 4 (see
// write_signals.h), the temporary file is removed and the path is left
// exactly as it was. Only SIGKILL or a crash can leave a temporary file; the
// path still names the old file or the new one.
//
// The rename gives the path a new inode: other hard links to the old file
// keep the old content, and the lock on the old inode is released when its
// descriptor is closed (waiting writers must then look at the path again).
//
// For a missing file, create_with_edit() writes the new content the same
// way and then gives it the name only if the name is still free; a racing
// creator's file is never overwritten.

#include <string>

#include "profile/profile_edit.h"

namespace vexlo::profile {

enum class ReplaceStatus {
  replaced,       // the new content is in place and on disk
  folder_denied,  // the folder does not let us add or replace a name; nothing changed
  failed,         // nothing changed
};

// Writes old[0, keep_until) + insert + old[resume_at, end) over `path`, whose
// old content is open (and locked) on old_fd.
ReplaceStatus replace_with_edit(const std::string& path, int old_fd, const ProfileEdit& edit);

enum class CreateStatus {
  created,  // the file now exists holding edit.insert
  taken,    // another process created the name first; nothing changed
  failed,   // nothing changed
};

// Creates `path` holding only edit.insert, with the umask's permission bits.
CreateStatus create_with_edit(const std::string& path, const ProfileEdit& edit);

}  // namespace vexlo::profile

#endif
