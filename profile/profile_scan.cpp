#include "profile/profile_scan.h"

#include <sys/stat.h>
#include <unistd.h>

#include "profile/line_reader.h"
#include "profile/line_syntax.h"
#include "profile/utf16_text.h"

namespace vexlo::profile {

namespace {

// The ending a line was read with, as a literal that outlives the line.
std::string_view ending_of(const Line& line) {
  if (line.ending == "\r\n") {
    return "\r\n";
  }
  return line.ending == "\r" ? "\r" : "\n";
}

// Records that a new entry line would go right after `line`.
void insert_after(ProfileScan& scan, const Line& line, std::uint64_t content_size) {
  scan.insert_at = line.offset + line.stored_size;
  scan.insert_needs_ending = line.ending.empty() && content_size > 0;
}

// The file offset of content[at], where content starts at content_offset.
// In a UTF-16 file content is UTF-8, so its characters are counted as units.
std::uint64_t file_offset(const ProfileScan& scan, std::string_view content, std::uint64_t content_offset,
                          std::size_t at) {
  if (scan.encoding == TextEncoding::eight_bit) {
    return content_offset + at;
  }
  return content_offset + 2 * utf16_units_of(content.substr(0, at));
}

// Fills in the entry that answers the query.
void record_entry(ProfileScan& scan, const ProfileLine& entry, std::string_view content, std::uint64_t content_offset) {
  scan.entry_found = true;
  scan.entry_has_equals = entry.has_equals;
  scan.value_end = file_offset(scan, content, content_offset, content.size());
  if (entry.has_equals) {
    scan.value_begin = file_offset(scan, content, content_offset, entry.value_begin);
    scan.value = stored_value_reading(content.substr(entry.value_begin, entry.value_end - entry.value_begin));
  } else {
    scan.value_begin = scan.value_end;
  }
}

// Looks at the file's first bytes: a UTF-16 byte-order mark sets the
// encoding and is passed over. False for a UTF-16 file of an odd size,
// which ends in half a character and is not text.
bool take_encoding(int fd, LineReader& reader, ProfileScan& scan) {
  char mark[2] = {};
  if (::pread(fd, mark, sizeof mark, 0) != sizeof mark) {
    return true;
  }
  const std::string_view start(mark, sizeof mark);
  if (start != utf16_le_bom && start != utf16_be_bom) {
    return true;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_size % 2 != 0 || ::lseek(fd, 2, SEEK_SET) != 2) {
    return false;
  }
  scan.encoding = start == utf16_le_bom ? TextEncoding::utf16_le : TextEncoding::utf16_be;
  reader.offset = 2;
  scan.insert_at = 2;
  return true;
}

// The next line to look at, in the file's encoding. In an 8-bit file whose
// wanted section is still ahead, the lines before its header are skipped.
LineStatus next_scan_line(LineReader& reader, const ProfileScan& scan, bool may_skip, std::string_view section,
                          Line& line, std::string& utf8) {
  if (scan.encoding != TextEncoding::eight_bit) {
    const ByteOrder order = scan.encoding == TextEncoding::utf16_le ? ByteOrder::little : ByteOrder::big;
    return next_utf16_line(reader, order, line, utf8);
  }
  if (may_skip && !skip_to_possible_header(reader, section)) {
    return LineStatus::error;
  }
  return next_line(reader, line);
}

}  // namespace

ScanStatus scan_profile(int fd, std::string_view section, std::string_view key, ProfileScan& scan) {
  scan = ProfileScan{};
  LineReader reader = make_line_reader(fd);
  if (!take_encoding(fd, reader, scan)) {
    return ScanStatus::not_text;
  }
  Line line;
  std::string utf8;  // a UTF-16 line's text
  bool first_line = true;
  // The lines before the first header form section "", which always exists.
  bool in_section = section.empty();
  scan.section_found = in_section;

  for (;;) {
    // Until the section is found only its header matters; the lines before
    // it may be passed over whole.
    const bool may_skip = !first_line && !scan.section_found;
    const LineStatus status = next_scan_line(reader, scan, may_skip, section, line, utf8);
    if (status == LineStatus::error) {
      return ScanStatus::read_failed;
    }
    if (status == LineStatus::end) {
      break;
    }
    std::string_view content = line.text;
    std::uint64_t content_offset = line.offset;
    if (first_line) {
      first_line = false;
      if (scan.encoding == TextEncoding::eight_bit && content.starts_with(utf8_bom)) {
        content.remove_prefix(utf8_bom.size());
        content_offset += utf8_bom.size();
        scan.insert_at = content_offset;
      }
      if (!line.ending.empty()) {
        scan.line_ending = ending_of(line);
      }
    }

    const ProfileLine parsed = classify_line(content);
    if (parsed.kind == LineKind::header) {
      if (in_section) {
        return ScanStatus::done;  // the section ended without the key
      }
      if (!scan.section_found && names_match(parsed.name, section)) {
        in_section = true;
        scan.section_found = true;
        insert_after(scan, line, content.size());
      }
    } else if (in_section && parsed.kind == LineKind::entry) {
      if (names_match(parsed.name, key)) {
        record_entry(scan, parsed, content, content_offset);
        return ScanStatus::done;
      }
      insert_after(scan, line, content.size());
    }
    // A section that never appears is appended after the file's last line.
    if (!scan.section_found) {
      insert_after(scan, line, content.size());
    }
  }
  if (!scan.section_found && reader.offset > scan.insert_at) {
    // The file's last lines were passed over: they all had line endings.
    scan.insert_at = reader.offset;
    scan.insert_needs_ending = false;
  }
  return ScanStatus::done;
}

}  // namespace vexlo::profile
