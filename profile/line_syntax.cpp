#include "profile/line_syntax.h"

namespace vexlo::profile {

bool starts_with_byte_order_mark(std::string_view bytes) {
  return bytes.starts_with(utf8_bom) || bytes.starts_with(utf16_le_bom) || bytes.starts_with(utf16_be_bom);
}

bool is_blank(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && is_blank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// Folds only 'A'..'Z': the file is bytes in an unknown code page.
static char fold_ascii(char byte) { return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte; }

bool names_match(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold_ascii(a[i]) != fold_ascii(b[i])) {
      return false;
    }
  }
  return true;
}

ProfileLine classify_line(std::string_view line) {
  ProfileLine result;
  const std::string_view text = trim_blanks(line);

  // Empty line or comment: nothing to see. '#' is not a comment.
  if (text.empty() || text.front() == ';') {
    return result;
  }

  // Section header: '[' with a ']' somewhere after it; the name runs to the
  // last ']'. A '[' without any ']' falls through to an ordinary line.
  if (text.front() == '[') {
    const std::size_t close = text.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      result.kind = LineKind::header;
      result.name = trim_blanks(text.substr(1, close - 1));
      return result;
    }
  }

  // Ordinary line: an entry, split at its first '='.
  result.kind = LineKind::entry;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    result.name = text;
    return result;
  }
  result.name = trim_blanks(line.substr(0, equals));
  result.has_equals = true;
  std::size_t begin = equals + 1;
  while (begin < line.size() && is_blank(line[begin])) {
    ++begin;
  }
  std::size_t end = line.size();
  while (end > begin && is_blank(line[end - 1])) {
    --end;
  }
  result.value_begin = begin;
  result.value_end = end;
  return result;
}

std::string_view stored_value_reading(std::string_view trimmed_value) {
  std::string_view value = trimmed_value.substr(0, trimmed_value.find('\0'));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string_view written_value_reading(std::string_view value) { return stored_value_reading(trim_blanks(value)); }

}  // namespace vexlo::profile
