#ifndef VEXLO_TESTING_EXPECTED_OUTPUT_H
#define VEXLO_TESTING_EXPECTED_OUTPUT_H

// What the tool prints, for the tests that run it as a process.

#include <string>

#include "version_record.h"

namespace vexlo::testing {

// The banner every run starts with.
inline std::string expected_banner() { return std::string("\nVexlo - ") + version_record::legal_copyright + "\n\n"; }

// The message of a successful write of value.
inline std::string written(const std::string& value) {
  return "Parameter '" + value + "' successfully written to destination file.\n";
}

// The message of a failed write of value.
inline std::string not_written(const std::string& value) {
  return "Could not write parameter value '" + value + "' to destination file.\n";
}

}  // namespace vexlo::testing

#endif
