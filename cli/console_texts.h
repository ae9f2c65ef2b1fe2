#ifndef VEXLO_CLI_CONSOLE_TEXTS_H
#define VEXLO_CLI_CONSOLE_TEXTS_H

// Every text the tool prints. All of it goes to standard output; nothing goes
// to the error stream, and callers' scripts match these texts byte for byte.

#include <string>

namespace vexlo::cli {

// The three-line banner that opens every run.
void print_banner();

// The usage text, printed after the banner when the argument count is wrong.
void print_usage();

// The single message that ends a run which passed the argument check.
enum class Outcome {
  not_found_in_source,
  not_found_in_destination,
  too_few_backslashes_in_source,
  too_few_backslashes_in_destination,
  write_failed,
  written,
};

// Prints the outcome's message; `value` is shown literally in the two write
// messages and ignored by the others.
void print_outcome(Outcome outcome, const std::string& value);

}  // namespace vexlo::cli

#endif
