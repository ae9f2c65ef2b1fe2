#include <unistd.h>
#include <optional>
#include <string>
#include <string_view>

#include "profile/edit_in_place.h"
#include "profile/line_syntax.h"
#include "profile/locked_file.h"
#include "profile/private_profile.h"
#include "profile/profile_edit.h"
#include "profile/profile_scan.h"
#include "profile/replace_file.h"
#include "profile/write_signals.h"

namespace {

using namespace vexlo::profile;

// A line break inside a name or value would split its line in two.
bool fits_on_one_line(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

// What one attempt at the write came to.
enum class Attempt { stored, failed, retry };

// Stores the parameter in the file locked on fd.
bool write_into_locked(int fd, const std::string& path, std::string_view section, std::string_view key,
                       std::string_view value) {
  ProfileScan scan;
  if (scan_profile(fd, section, key, scan) != ScanStatus::done) {
    return false;
  }
  // Nothing to do when the parameter already reads as the value: the file is
  // not rewritten at all.
  if (scan.entry_found && scan.entry_has_equals && scan.value == written_value_reading(value)) {
    return true;
  }
  ProfileEdit edit = plan_edit(scan, section, key, value);
  if (edit_adds_byte_order_mark(edit) || !encode_edit(scan.encoding, section, key, value, edit)) {
    return false;
  }
  switch (replace_with_edit(path, fd, edit)) {
    case ReplaceStatus::replaced:
      return true;
    case ReplaceStatus::folder_denied:
      return edit_in_place(fd, edit);
    case ReplaceStatus::failed:
      break;
  }
  return false;
}

// Creates the file holding just the parameter, unless someone else creates it first.
Attempt create_holding(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view value) {
  ProfileScan empty;
  empty.section_found = section.empty();
  const ProfileEdit edit = plan_edit(empty, section, key, value);
  if (edit_adds_byte_order_mark(edit)) {
    return Attempt::failed;
  }
  switch (create_with_edit(path, edit)) {
    case CreateStatus::created:
      return Attempt::stored;
    case CreateStatus::taken:
      return Attempt::retry;
    case CreateStatus::failed:
      break;
  }
  return Attempt::failed;
}

// One attempt: lock and edit the file, or create it when it is missing.
Attempt try_write(const std::string& path, std::string_view section, std::string_view key, std::string_view value) {
  LockedFile file;
  switch (open_locked(path, file)) {
    case LockStatus::locked: {
      const bool stored = write_into_locked(file.fd, path, section, key, value);
      ::close(file.fd);  // releases the lock, after the new file is in place
      return stored ? Attempt::stored : Attempt::failed;
    }
    case LockStatus::missing:
      return create_holding(path, section, key, value);
    case LockStatus::refused:
      break;
  }
  return Attempt::failed;
}

// Writes under held signals, retrying when a creation race is lost.
bool write_parameter_safely(const std::string& path, std::string_view section, std::string_view key,
                            std::string_view value) {
  Attempt attempt = Attempt::retry;
  while (attempt == Attempt::retry && !write_interrupted()) {
    attempt = try_write(path, section, key, value);
  }
  return attempt == Attempt::stored;
}

}  // namespace

int WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* file) {
  if (section == nullptr || key == nullptr || value == nullptr || file == nullptr) {
    return 0;
  }
  const std::string_view section_name = trim_blanks(section);
  const std::string_view key_name = trim_blanks(key);
  if (!fits_on_one_line(section_name) || !fits_on_one_line(key_name) || !fits_on_one_line(value)) {
    return 0;
  }
  // A link is written through: the file it points to changes, the link stays.
  const std::optional<std::string> target = follow_links(file);
  if (!target) {
    return 0;
  }
  const WriteSignals saved = hold_write_signals();
  const bool stored = write_parameter_safely(*target, section_name, key_name, value);
  release_write_signals(saved);
  return stored ? 1 : 0;
}
