#include "profile/profile_edit.h"

#include "profile/line_syntax.h"
#include "profile/utf16_text.h"

namespace vexlo::profile {

ProfileEdit plan_edit(const ProfileScan& scan, std::string_view section, std::string_view key, std::string_view value) {
  ProfileEdit edit;

  // The entry exists: only its value changes; a bare key gains "=value".
  if (scan.entry_found) {
    edit.keep_until = scan.value_begin;
    if (!scan.entry_has_equals) {
      edit.insert.push_back('=');
    }
    edit.insert += value;
    edit.resume_at = scan.value_end;
    return edit;
  }

  // A new line, and a new header first when the section is missing.
  edit.keep_until = scan.insert_at;
  edit.resume_at = scan.insert_at;
  if (scan.insert_needs_ending) {
    edit.insert = scan.line_ending;
  }
  if (!scan.section_found) {
    edit.insert.append("[").append(section).append("]").append(scan.line_ending);
  }
  edit.insert.append(key).append("=").append(value).append(scan.line_ending);
  return edit;
}

bool edit_adds_byte_order_mark(const ProfileEdit& edit) {
  return edit.keep_until == 0 && starts_with_byte_order_mark(edit.insert);
}

bool encode_edit(TextEncoding encoding, std::string_view section, std::string_view key, std::string_view value,
                 ProfileEdit& edit) {
  if (encoding == TextEncoding::eight_bit) {
    return true;
  }
  if (!is_valid_utf8(section) || !is_valid_utf8(key) || !is_valid_utf8(value)) {
    return false;
  }
  std::string encoded;
  const ByteOrder order = encoding == TextEncoding::utf16_le ? ByteOrder::little : ByteOrder::big;
  if (!append_utf8_as_utf16(edit.insert, order, encoded)) {
    return false;
  }
  edit.insert = std::move(encoded);
  return true;
}

}  // namespace vexlo::profile
