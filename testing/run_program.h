#ifndef VEXLO_TESTING_RUN_PROGRAM_H
#define VEXLO_TESTING_RUN_PROGRAM_H

// Runs a program as a child process and captures what it printed.

#include <sys/types.h>
#include <string>
#include <vector>

namespace vexlo::testing {

struct ProgramRun {
  int exit_status = -1;  // -1 when the program did not exit normally
  std::string out;       // everything written to standard output
  std::string err;       // everything written to the error stream
};

// Runs program with the given arguments (not counting the program itself),
// standard input closed, and waits for it to end. A program named without a
// slash is looked up in PATH.
ProgramRun run_program(const std::string& program, const std::vector<std::string>& arguments);

// Starts program in the background with all three standard streams on
// /dev/null; returns its process id, or -1 when it could not be started.
pid_t start_program(const std::string& program, const std::vector<std::string>& arguments);

// Waits for a started program to end; returns its raw wait status.
int wait_for_program(pid_t child);

// The tool under test: $VEXLO_COMMAND if set, else the one this build made.
std::string tool_under_test();

}  // namespace vexlo::testing

#endif
