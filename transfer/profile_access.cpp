#include "transfer/profile_access.h"

#include <cstdint>

#include "profile_functions.h"
#include "transfer/blanks.h"

namespace vexlo::transfer {

namespace {

// The largest read area the profile function's 32-bit size can describe.
constexpr std::size_t largest_area = std::size_t{1} << 31U;

// True when the text contains a CR or an LF.
bool has_line_break(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::optional<std::string> read_parameter(const ParameterAddress& address) {
  std::string area(VALUE_CAPACITY, '\0');
  for (;;) {
    const auto size = static_cast<std::uint32_t>(area.size());
    const std::uint32_t placed = GetPrivateProfileStringA(address.section.c_str(), address.param.c_str(),
                                                          NOT_FOUND_MARKER, area.data(), size, address.file.c_str());
    // A read that fills the area completely may have been cut short.
    if (placed < size - 1) {
      area.resize(placed);
      break;
    }
    if (area.size() >= largest_area) {
      return std::nullopt;
    }
    area.assign(area.size() * 2, '\0');
  }
  if (area == NOT_FOUND_MARKER) {
    return std::nullopt;
  }
  return area;
}

bool is_storable(const ParameterAddress& address, std::string_view value) {
  if (has_line_break(address.section) || has_line_break(address.param) || has_line_break(value)) {
    return false;
  }
  const std::string_view key = trim_blanks(address.param);
  if (key.find('=') != std::string_view::npos || key.starts_with(';')) {
    return false;
  }
  // "[key=value]" would read as a section header.
  const bool closes_bracket = key.find(']') != std::string_view::npos || value.find(']') != std::string_view::npos;
  return !(key.starts_with('[') && closes_bracket);
}

std::string stored_form(std::string_view value) {
  const bool blank_at_end = !value.empty() && (is_blank(value.front()) || is_blank(value.back()));
  const bool quoted =
      value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
  if (blank_at_end || quoted) {
    std::string wrapped;
    wrapped.reserve(value.size() + 2);
    wrapped.append("\"").append(value).append("\"");
    return wrapped;
  }
  return std::string(value);
}

bool write_parameter(const ParameterAddress& address, std::string_view value) {
  if (!is_storable(address, value)) {
    return false;
  }
  const std::string stored = stored_form(value);
  return WritePrivateProfileStringA(address.section.c_str(), address.param.c_str(), stored.c_str(),
                                    address.file.c_str()) != 0;
}

}  // namespace vexlo::transfer
