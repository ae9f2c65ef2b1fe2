#include <cstddef>
#include <span>

#include "cli/run_transfer.h"

int main(int argc, char** argv) {
  return vexlo::cli::run_transfer(std::span<const char* const>(argv, static_cast<std::size_t>(argc)));
}
