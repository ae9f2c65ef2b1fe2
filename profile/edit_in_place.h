#ifndef VEXLO_PROFILE_EDIT_IN_PLACE_H
#define VEXLO_PROFILE_EDIT_IN_PLACE_H

// The fallback for a file that may be written but not replaced: its folder
// forbids new names (or, with the sticky bit, replacing another user's file).
// The edit is applied to the file itself, under the lock of locked_file.h.
//
// This path is NOT atomic: a reader that does not take the lock may see the
// file half-edited, and a crash or full disk in the middle can leave it so.
// It narrows the risk where it can: a file that grows is first extended to
// its new size (so a full disk is found before any byte moves), the tail is
// moved without reading it all into memory, and the result is fsynced.
// Terminating signals are not acted on until the edit is complete.

#include "profile/profile_edit.h"

namespace vexlo::profile {

// Applies edit to the regular file open for reading and writing on fd.
bool edit_in_place(int fd, const ProfileEdit& edit);

}  // namespace vexlo::profile

#endif
