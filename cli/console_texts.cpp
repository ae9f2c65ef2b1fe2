#include "cli/console_texts.h"

#include <cstdio>

#include "version_record.h"

namespace vexlo::cli {

void print_banner() { std::printf("\nVexlo - %s\n\n", version_record::legal_copyright); }

void print_usage() {
  std::printf("Usage: Vexlo fromfile tofile section param [lastbackslash]\n\n");
  std::printf("Where: fromfile      is the source file UNC, including extension\n");
  std::printf("       tofile        is the destination file UNC, including extension\n");
  std::printf("       section       is the [section] where the parameter resides\n");
  std::printf("       param         is the parameter to be copied\n");
  std::printf("       lastbackslash the last part from right to be exchanged\n\n");
}

void print_outcome(Outcome outcome, const std::string& value) {
  switch (outcome) {
    case Outcome::not_found_in_source:
      std::printf("Parameter was not found in source file, or source file invalid.\n");
      break;
    case Outcome::not_found_in_destination:
      std::printf("Parameter was not found in destination file, or destination file invalid.\n");
      break;
    case Outcome::too_few_backslashes_in_source:
      std::printf("Could not find enough backslashes in source file.\n");
      break;
    case Outcome::too_few_backslashes_in_destination:
      std::printf("Could not find enough backslashes in destination file.\n");
      break;
    case Outcome::write_failed:
      // The value goes through %s so that a '%' inside it is printed as is.
      std::printf("Could not write parameter value '%s' to destination file.\n", value.c_str());
      break;
    case Outcome::written:
      std::printf("Parameter '%s' successfully written to destination file.\n", value.c_str());
      break;
  }
}

}  // namespace vexlo::cli
