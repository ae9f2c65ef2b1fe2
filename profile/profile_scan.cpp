#include "profile/profile_scan.h"

#include "profile/line_reader.h"
#include "profile/line_syntax.h"

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
  scan.insert_at = line.offset + line.text.size() + line.ending.size();
  scan.insert_needs_ending = line.ending.empty() && content_size > 0;
}

// Fills in the entry that answers the query.
void record_entry(ProfileScan& scan, const ProfileLine& entry, std::string_view content, std::uint64_t content_offset) {
  scan.entry_found = true;
  scan.entry_has_equals = entry.has_equals;
  scan.value_end = content_offset + content.size();
  if (entry.has_equals) {
    scan.value_begin = content_offset + entry.value_begin;
    scan.value = stored_value_reading(content.substr(entry.value_begin, entry.value_end - entry.value_begin));
  } else {
    scan.value_begin = scan.value_end;
  }
}

}  // namespace

ScanStatus scan_profile(int fd, std::string_view section, std::string_view key, ProfileScan& scan) {
  scan = ProfileScan{};
  LineReader reader = make_line_reader(fd);
  Line line;
  bool first_line = true;
  // The lines before the first header form section "", which always exists.
  bool in_section = section.empty();
  scan.section_found = in_section;

  for (;;) {
    // Until the section is found only its header matters; the lines before
    // it are passed over whole.
    if (!first_line && !scan.section_found && !skip_to_possible_header(reader, section)) {
      return ScanStatus::read_failed;
    }
    const LineStatus status = next_line(reader, line);
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
      if (content.starts_with(utf16_le_bom) || content.starts_with(utf16_be_bom)) {
        return ScanStatus::not_text;
      }
      if (content.starts_with(utf8_bom)) {
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
