// A coverage-guided fuzz target (libFuzzer) for reading and writing profile
// files. Each input is "section\x01key\x01value\x01file content"; missing
// parts take defaults. For each input it checks what every write promises:
// a stored parameter reads back exactly, an unrelated one reads as before,
// and a refused write leaves the file byte for byte. A broken promise aborts.

#include <fcntl.h>
#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "profile/private_profile.h"
#include "profile/utf16_text.h"
#include "transfer/profile_access.h"

namespace {

// The fuzzed file lives in a folder of its own, in memory where possible so
// that each write's fsync costs nothing.
const std::string& fuzz_file() {
  static const std::string path = [] {
    std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/vexlo-fuzz-XXXXXX" : "/tmp/vexlo-fuzz-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
      std::abort();
    }
    return folder + "/fuzzed.ini";
  }();
  return path;
}

// Replaces the fuzzed file's content.
void put_file(std::string_view bytes) {
  const int fd = open(fuzz_file().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    std::abort();
  }
  close(fd);
}

// The fuzzed file's content.
std::string file_bytes() {
  std::string bytes;
  const int fd = open(fuzz_file().c_str(), O_RDONLY | O_CLOEXEC);
  char block[4096];
  for (ssize_t got = 0; fd >= 0 && (got = read(fd, block, sizeof block)) > 0;) {
    bytes.append(block, static_cast<std::size_t>(got));
  }
  close(fd);
  return bytes;
}

// Takes the text up to the next \x01 off the front of input. Command-line
// texts cannot hold a NUL, so the text also ends at one.
std::string next_part(std::string_view& input, const char* fallback) {
  const std::size_t end = input.find('\x01');
  if (end == std::string_view::npos) {
    return fallback;
  }
  std::string part(input.substr(0, end));
  input.remove_prefix(end + 1);
  return part.substr(0, part.find('\0'));
}

// ASCII case-insensitive equality, as names are compared.
bool same_name(std::string_view a, std::string_view b) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) {
      return false;
    }
  }
  return true;
}

// The name as a reader sees it: without blanks at either end.
std::string_view trimmed(std::string_view name) {
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (!name.empty() && blank(name.front())) {
    name.remove_prefix(1);
  }
  while (!name.empty() && blank(name.back())) {
    name.remove_suffix(1);
  }
  return name;
}

// A raw read into a small area must stay inside it and be terminated.
void check_small_read(const std::string& section, const std::string& key, std::uint32_t size) {
  char area[16];
  const std::uint32_t placed =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), "fallback", area, size, fuzz_file().c_str());
  if (placed >= size || area[placed] != '\0') {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string section = next_part(input, "S");
  const std::string key = next_part(input, "k");
  const std::string value = next_part(input, "v");
  const std::string before(input);
  put_file(before);

  check_small_read(section, key, 1 + static_cast<std::uint32_t>(before.size() % 16));
  const vexlo::transfer::ParameterAddress target{fuzz_file(), section, key};
  const vexlo::transfer::ParameterAddress other{fuzz_file(), "S", "k"};
  const bool other_is_target = same_name(trimmed(section), "S") && same_name(trimmed(key), "k");
  const auto other_before = vexlo::transfer::read_parameter(other);
  vexlo::transfer::read_parameter(target);

  // A UTF-16 file takes only UTF-8 names and values, and one that ends in
  // half a character takes nothing.
  const bool utf16 = before.starts_with("\xFF\xFE") || before.starts_with("\xFE\xFF");
  const bool utf16_takes = before.size() % 2 == 0 && vexlo::profile::is_valid_utf8(section) &&
                           vexlo::profile::is_valid_utf8(key) && vexlo::profile::is_valid_utf8(value);
  const bool stored = vexlo::transfer::write_parameter(target, value);
  const bool storable = vexlo::transfer::is_storable(target, value) && (!utf16 || utf16_takes);
  // A new first line whose key starts with a byte-order mark is refused: the
  // file would then read as UTF-16, or lose the key's first bytes.
  const std::string_view first_bytes = trimmed(key);
  const bool may_refuse =
      trimmed(section).empty() && (first_bytes.starts_with("\xEF\xBB\xBF") || first_bytes.starts_with("\xFF\xFE") ||
                                   first_bytes.starts_with("\xFE\xFF"));
  if (stored ? !storable : storable && !may_refuse) {
    std::abort();
  }
  if (!stored) {
    if (file_bytes() != before) {
      std::abort();
    }
    return 0;
  }
  // The marker text itself reads as absent, by design.
  if (value != vexlo::transfer::NOT_FOUND_MARKER && vexlo::transfer::read_parameter(target) != value) {
    std::abort();
  }
  if (!other_is_target && vexlo::transfer::read_parameter(other) != other_before) {
    std::abort();
  }
  return 0;
}
