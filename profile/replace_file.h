#ifndef VEXLO_PROFILE_REPLACE_FILE_H
#define VEXLO_PROFILE_REPLACE_FILE_H

// Replaces a file with an edited copy of itself, so that a reader of the path
// sees either the whole old file or the whole new one, never a mix.
//
// Calling sequence: open the old file (or have none, for a new file), plan a
// ProfileEdit from it, then call replace_with_edit(). It writes the new
// content into a temporary file created exclusively in the same folder,
// gives it the old file's permission bits (or those of a new file under the
// current umask), and renames it over the path. On any failure the temporary
// file is removed and the path is left exactly as it was.

#include <string>

#include "profile/profile_edit.h"

namespace vexlo::profile {

// Writes old[0, keep_until) + insert + old[resume_at, end) to `path`.
// old_fd is the open old file, or -1 when the file is new (then only
// `insert` is written). True when the new file is in place.
bool replace_with_edit(const std::string& path, int old_fd, const ProfileEdit& edit);

}  // namespace vexlo::profile

#endif
