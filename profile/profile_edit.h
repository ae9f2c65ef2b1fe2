#ifndef VEXLO_PROFILE_PROFILE_EDIT_H
#define VEXLO_PROFILE_PROFILE_EDIT_H

// The smallest change that stores one parameter: keep the file's first bytes,
// put new bytes in, then keep the file from some later point to its end.

#include <cstdint>
#include <string>
#include <string_view>

#include "profile/profile_scan.h"

namespace vexlo::profile {

struct ProfileEdit {
  std::uint64_t keep_until = 0;  // old bytes [0, keep_until) come first
  std::string insert;            // then these
  std::uint64_t resume_at = 0;   // then old bytes [resume_at, end of file)
};

// The edit that makes `key` in `section` read as `value`, given a scan of the
// file for that pair. Names must be trimmed already.
ProfileEdit plan_edit(const ProfileScan& scan, std::string_view section, std::string_view key, std::string_view value);

// True when the edit would make the file begin with a byte-order mark it did
// not have, which only a new first line whose key starts with one can do. A
// reader would then take the file for UTF-16, or skip the key's first bytes,
// so such an edit must not be made.
bool edit_adds_byte_order_mark(const ProfileEdit& edit);

// Makes the edit's new bytes those of a file in `encoding`: UTF-16 files get
// them re-encoded, in the file's byte order. False, with the edit unusable,
// when the section, key or value is not valid UTF-8 and so could not be
// stored faithfully in a UTF-16 file.
bool encode_edit(TextEncoding encoding, std::string_view section, std::string_view key, std::string_view value,
                 ProfileEdit& edit);

}  // namespace vexlo::profile

#endif
