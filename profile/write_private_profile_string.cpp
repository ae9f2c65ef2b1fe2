#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string>
#include <string_view>

#include "profile/line_syntax.h"
#include "profile/private_profile.h"
#include "profile/profile_edit.h"
#include "profile/profile_scan.h"
#include "profile/replace_file.h"

namespace {

using namespace vexlo::profile;

// A line break inside a name or value would split its line in two.
bool fits_on_one_line(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

// Stores the parameter in the file open on fd (a regular file).
bool write_into_existing(int fd, const std::string& path, std::string_view section, std::string_view key,
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
  return replace_with_edit(path, fd, plan_edit(scan, section, key, value));
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
  const std::string path = file;

  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
  const int fd = ::open(file, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno != ENOENT) {
      return 0;
    }
    ProfileScan empty;
    empty.section_found = section_name.empty();
    return replace_with_edit(path, -1, plan_edit(empty, section_name, key_name, value)) ? 1 : 0;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::fcntl(fd, F_SETFL, 0) == 0;
  ok = ok && write_into_existing(fd, path, section_name, key_name, value);
  ::close(fd);
  return ok ? 1 : 0;
}
