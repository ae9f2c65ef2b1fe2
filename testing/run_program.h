#ifndef VEXLO_TESTING_RUN_PROGRAM_H
#define VEXLO_TESTING_RUN_PROGRAM_H

// Runs a program as a child process and captures what it printed.

#include <string>
#include <vector>

namespace vexlo::testing {

struct ProgramRun {
  int exit_status = -1;  // -1 when the program did not exit normally
  std::string out;       // everything written to standard output
  std::string err;       // everything written to the error stream
};

// Runs program with the given arguments (not counting the program itself),
// standard input closed, and waits for it to end.
ProgramRun run_program(const std::string& program, const std::vector<std::string>& arguments);

// The tool under test: $VEXLO_COMMAND if set, else the one this build made.
std::string tool_under_test();

}  // namespace vexlo::testing

#endif
