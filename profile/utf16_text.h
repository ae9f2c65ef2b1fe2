#ifndef VEXLO_PROFILE_UTF16_TEXT_H
#define VEXLO_PROFILE_UTF16_TEXT_H

// Converting between the UTF-16 of a profile file and the UTF-8 that names
// and values are handled in. Pure functions on bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace vexlo::profile {

enum class ByteOrder { little, big };

// The code unit at bytes[at], at+1 in the given order.
std::uint16_t utf16_unit(std::string_view bytes, std::size_t at, ByteOrder order);

// Appends UTF-16 bytes (an even count) as UTF-8. A surrogate without its
// partner becomes U+FFFD.
void append_utf16_as_utf8(std::string_view bytes, ByteOrder order, std::string& utf8);

// Appends UTF-8 text as UTF-16 bytes. False, with `bytes` unspecified, when
// the text is not valid UTF-8 (overlong forms and encoded surrogates
// included), since it could not be stored faithfully.
bool append_utf8_as_utf16(std::string_view utf8, ByteOrder order, std::string& bytes);

// True when the text is valid UTF-8.
bool is_valid_utf8(std::string_view utf8);

// How many UTF-16 code units the valid UTF-8 text takes.
std::uint64_t utf16_units_of(std::string_view utf8);

}  // namespace vexlo::profile

#endif
