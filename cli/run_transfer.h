#ifndef VEXLO_CLI_RUN_TRANSFER_H
#define VEXLO_CLI_RUN_TRANSFER_H

#include <span>

namespace vexlo::cli {

// The whole run of the tool: banner, argument check, read the source value,
// in the five-argument form read the destination value and exchange its
// tail, write, and print one outcome. `arguments` is the process's argument
// vector, program name first. Returns the exit status: 0 when the parameter
// was written, 1 otherwise. Nothing is written before the final step.
int run_transfer(std::span<const char* const> arguments);

}  // namespace vexlo::cli

#endif
