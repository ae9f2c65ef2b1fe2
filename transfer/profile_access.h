#ifndef VEXLO_TRANSFER_PROFILE_ACCESS_H
#define VEXLO_TRANSFER_PROFILE_ACCESS_H

// Reading and writing one parameter of a profile file, only through the
// profile functions GetPrivateProfileStringA and WritePrivateProfileStringA.
//
// The read function has no sign of absence, so every read passes
// NOT_FOUND_MARKER as its default and a result equal to it means "absent".
// A stored value that is exactly the marker therefore also reads as absent.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vexlo::transfer {

inline constexpr char NOT_FOUND_MARKER[] = "zAxBlaxFlappBlopp7659";

// The size of the first read area; longer values are read again into larger
// areas until they fit, so no value is ever cut short.
inline constexpr std::size_t VALUE_CAPACITY = 512;

// Where one parameter lives; texts exactly as the user gave them.
struct ParameterAddress {
  std::string file;
  std::string section;
  std::string param;
};

// The parameter's value, or nothing when the file, the section or the
// parameter is missing, the file cannot be read, or the value is the marker.
std::optional<std::string> read_parameter(const ParameterAddress& address);

// True when a profile line can hold this section, parameter name and value
// without changing the file's structure: no line breaks anywhere, no '=' in
// the name, a name that starts neither a comment (';') nor, with a ']' on its
// line, a section header ('[').
bool is_storable(const ParameterAddress& address, std::string_view value);

// The text to store so that a read returns exactly `value`: wrapped in double
// quotes when it has blanks at either end or is itself wrapped in a matching
// pair of quotes, which a read would otherwise strip.
std::string stored_form(std::string_view value);

// Stores the value as the parameter; false when the value cannot be stored
// faithfully (see is_storable) or the profile function reports failure.
bool write_parameter(const ParameterAddress& address, std::string_view value);

}  // namespace vexlo::transfer

#endif
