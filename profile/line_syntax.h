#ifndef VEXLO_PROFILE_LINE_SYNTAX_H
#define VEXLO_PROFILE_LINE_SYNTAX_H

// How one line of a profile file reads. Pure functions on bytes: no file,
// no allocation. A "line" here is its content without the line ending.

#include <cstddef>
#include <string_view>

namespace vexlo::profile {

// The byte-order marks a file may begin with. A UTF-8 one is skipped; a
// UTF-16 one marks a file that is not read as 8-bit text.
inline constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";
inline constexpr std::string_view utf16_le_bom = "\xFF\xFE";
inline constexpr std::string_view utf16_be_bom = "\xFE\xFF";

// True when bytes at the very start of a file would read as a byte-order mark.
bool starts_with_byte_order_mark(std::string_view bytes);

// The bytes a line, a name or a value is trimmed of: space and 0x09..0x0D.
bool is_blank(char byte);

// The text without blanks at either end.
std::string_view trim_blanks(std::string_view text);

// Names are equal when their ASCII letters match regardless of case and every
// other byte matches exactly. Bytes above 0x7F are never folded.
bool names_match(std::string_view a, std::string_view b);

enum class LineKind {
  ignored,  // empty after trimming, or a ';' comment
  header,   // "[name]", possibly with text after the last ']'
  entry,    // "key=value", or a bare "key" without '='
};

struct ProfileLine {
  LineKind kind = LineKind::ignored;
  // Section name of a header or key of an entry, trimmed; a view into the line.
  std::string_view name;
  // Entries only: whether the line has an '=' at all.
  bool has_equals = false;
  // Entries with '=': the trimmed value is line[value_begin, value_end).
  // value_begin is also where a writer starts replacing: everything before it
  // (the key, the '=' and the blanks after it) is kept.
  std::size_t value_begin = 0;
  std::size_t value_end = 0;
};

// Classifies one line exactly as a reader of the file sees it.
ProfileLine classify_line(std::string_view line);

// What a trimmed stored value reads back as: it ends at its first NUL, then
// one pair of matching quotes (' or ") around it is removed.
std::string_view stored_value_reading(std::string_view trimmed_value);

// What a value handed to a writer will read back as once stored after '='.
std::string_view written_value_reading(std::string_view value);

}  // namespace vexlo::profile

#endif
