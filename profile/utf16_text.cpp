#include "profile/utf16_text.h"

namespace vexlo::profile {

namespace {

constexpr char32_t replacement_character = 0xFFFD;

// Appends one code point as UTF-8.
void append_code_point(char32_t point, std::string& utf8) {
  if (point < 0x80) {
    utf8.push_back(static_cast<char>(point));
  } else if (point < 0x800) {
    utf8.push_back(static_cast<char>(0xC0 | (point >> 6)));
    utf8.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    utf8.push_back(static_cast<char>(0xE0 | (point >> 12)));
    utf8.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else {
    utf8.push_back(static_cast<char>(0xF0 | (point >> 18)));
    utf8.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  }
}

// Appends one code unit in the given byte order.
void append_unit(std::uint16_t unit, ByteOrder order, std::string& bytes) {
  const auto high = static_cast<char>(unit >> 8);
  const auto low = static_cast<char>(unit & 0xFF);
  if (order == ByteOrder::little) {
    bytes.push_back(low);
    bytes.push_back(high);
  } else {
    bytes.push_back(high);
    bytes.push_back(low);
  }
}

bool is_high_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Decodes the code point starting at utf8[at]; advances `at`. False when the
// bytes there are not a valid UTF-8 sequence.
bool decode_utf8(std::string_view utf8, std::size_t& at, char32_t& point) {
  const auto lead = static_cast<unsigned char>(utf8[at]);
  std::size_t length = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    point = lead;
    ++at;
    return true;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    point = lead & 0x1F;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    point = lead & 0x0F;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    point = lead & 0x07;
    smallest = 0x10000;
  } else {
    return false;
  }
  if (utf8.size() - at < length) {
    return false;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(utf8[at + i]);
    if ((next & 0xC0) != 0x80) {
      return false;
    }
    point = (point << 6) | (next & 0x3F);
  }
  if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    return false;
  }
  at += length;
  return true;
}

}  // namespace

std::uint16_t utf16_unit(std::string_view bytes, std::size_t at, ByteOrder order) {
  const auto first = static_cast<unsigned char>(bytes[at]);
  const auto second = static_cast<unsigned char>(bytes[at + 1]);
  return order == ByteOrder::little ? static_cast<std::uint16_t>(first | (second << 8))
                                    : static_cast<std::uint16_t>((first << 8) | second);
}

void append_utf16_as_utf8(std::string_view bytes, ByteOrder order, std::string& utf8) {
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const std::uint16_t unit = utf16_unit(bytes, at, order);
    if (is_high_surrogate(unit) && at + 3 < bytes.size()) {
      const std::uint16_t next = utf16_unit(bytes, at + 2, order);
      if (is_low_surrogate(next)) {
        append_code_point(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (next - 0xDC00), utf8);
        at += 2;
        continue;
      }
    }
    const bool lone_surrogate = is_high_surrogate(unit) || is_low_surrogate(unit);
    append_code_point(lone_surrogate ? replacement_character : unit, utf8);
  }
}

bool append_utf8_as_utf16(std::string_view utf8, ByteOrder order, std::string& bytes) {
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t point = 0;
    if (!decode_utf8(utf8, at, point)) {
      return false;
    }
    if (point < 0x10000) {
      append_unit(static_cast<std::uint16_t>(point), order, bytes);
    } else {
      append_unit(static_cast<std::uint16_t>(0xD800 + ((point - 0x10000) >> 10)), order, bytes);
      append_unit(static_cast<std::uint16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)), order, bytes);
    }
  }
  return true;
}

bool is_valid_utf8(std::string_view utf8) {
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t point = 0;
    if (!decode_utf8(utf8, at, point)) {
      return false;
    }
  }
  return true;
}

std::uint64_t utf16_units_of(std::string_view utf8) {
  std::uint64_t units = 0;
  for (const char byte : utf8) {
    const auto value = static_cast<unsigned char>(byte);
    if ((value & 0xC0) != 0x80) {
      units += value >= 0xF0 ? 2 : 1;
    }
  }
  return units;
}

}  // namespace vexlo::profile
