#include <fcntl.h>
#include <unistd.h>
#include <string>
#include <string_view>

#include "profile/line_syntax.h"
#include "profile/private_profile.h"
#include "profile/profile_scan.h"

namespace {

// The value stored for the query, or false when there is none to be had.
bool find_value(const char* section, const char* key, const char* file, std::string& value) {
  using namespace vexlo::profile;
  if (section == nullptr || key == nullptr || file == nullptr) {
    return false;
  }
  const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  ProfileScan scan;
  const ScanStatus status = scan_profile(fd, trim_blanks(section), trim_blanks(key), scan);
  ::close(fd);
  if (status != ScanStatus::done || !scan.entry_found || !scan.entry_has_equals) {
    return false;
  }
  value = std::move(scan.value);
  return true;
}

}  // namespace

std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* fallback, char* buffer,
                                       std::uint32_t size, const char* file) {
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  std::string found;
  const std::string_view answer = find_value(section, key, file, found) ? std::string_view(found)
                                  : fallback != nullptr                 ? std::string_view(fallback)
                                                                        : std::string_view();
  const std::size_t placed = answer.size() < size ? answer.size() : size - 1;
  answer.copy(buffer, placed);
  buffer[placed] = '\0';
  return static_cast<std::uint32_t>(placed);
}
