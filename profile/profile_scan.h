#ifndef VEXLO_PROFILE_PROFILE_SCAN_H
#define VEXLO_PROFILE_PROFILE_SCAN_H

// One pass over a profile file that finds what a query needs: the value of a
// parameter for a reader, and the byte positions a writer must change.
//
// The pass stops as soon as the answer is known: at the first entry of the
// first matching section whose key matches, or at the end of that section.
// Only when the section is absent does it read to the end of the file.

#include <cstdint>
#include <string>
#include <string_view>

namespace vexlo::profile {

enum class ScanStatus {
  done,         // the fields of ProfileScan describe the file
  not_text,     // a UTF-16 file of an odd size: it ends in half a character
  read_failed,  // the file could not be read to the point needed
};

// How the file's text is stored. A UTF-16 file begins with its byte-order
// mark (FF FE little-endian, FE FF big-endian); any other file is 8-bit.
enum class TextEncoding { eight_bit, utf16_le, utf16_be };

struct ProfileScan {
  TextEncoding encoding = TextEncoding::eight_bit;
  bool section_found = false;
  bool entry_found = false;       // the first entry of that section whose key matches
  bool entry_has_equals = false;  // false: a bare key, which reads as absent
  std::string value;              // what the found entry reads as (has_equals only), UTF-8 for UTF-16 files

  // Found entry: its old value occupies [value_begin, value_end) of the file,
  // where value_end is the end of the line's content. A bare key has
  // value_begin == value_end at the end of its content.
  std::uint64_t value_begin = 0;
  std::uint64_t value_end = 0;

  // No entry found: where a new line belongs. In a found section that is
  // right after its last entry line (or its header); otherwise the end of the
  // file. insert_needs_ending: the line just before that point has no line
  // ending yet, so one must be written first.
  std::uint64_t insert_at = 0;
  bool insert_needs_ending = false;

  // The ending new lines take: that of the file's first line, LF if it has
  // none. Like every position above, in the file's own bytes; the ending
  // itself is given as 8-bit text.
  std::string_view line_ending = "\n";
};

// Scans the file open on fd from its start. Both names must be trimmed
// already; section "" is the part of the file before its first header.
ScanStatus scan_profile(int fd, std::string_view section, std::string_view key, ProfileScan& scan);

}  // namespace vexlo::profile

#endif
