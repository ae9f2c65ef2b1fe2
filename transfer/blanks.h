#ifndef VEXLO_TRANSFER_BLANKS_H
#define VEXLO_TRANSFER_BLANKS_H

// The blank bytes that profile names and values are trimmed of and that a
// count may start with: space and 0x09..0x0D. Kept apart from the profile
// layer's own copy because transfer/ is also built over the platform's
// profile functions, without that layer.

#include <string_view>

namespace vexlo::transfer {

inline bool is_blank(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// The text without blanks at either end.
inline std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && is_blank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace vexlo::transfer

#endif
