#include "cli/run_transfer.h"

#include <optional>
#include <string>

#include "cli/console_texts.h"
#include "transfer/profile_access.h"
#include "transfer/tail_exchange.h"

namespace vexlo::cli {

namespace {

// Prints the outcome and gives the exit status it stands for.
int finish(Outcome outcome, const std::string& value = {}) {
  print_outcome(outcome, value);
  return outcome == Outcome::written ? 0 : 1;
}

}  // namespace

int run_transfer(std::span<const char* const> arguments) {
  print_banner();
  const std::size_t user_arguments = arguments.empty() ? 0 : arguments.size() - 1;
  if (user_arguments != 4 && user_arguments != 5) {
    print_usage();
    return 1;
  }
  const transfer::ParameterAddress source{arguments[1], arguments[3], arguments[4]};
  const transfer::ParameterAddress destination{arguments[2], arguments[3], arguments[4]};

  const std::optional<std::string> source_value = transfer::read_parameter(source);
  if (!source_value) {
    return finish(Outcome::not_found_in_source);
  }

  std::string to_write = *source_value;
  if (user_arguments == 5) {
    const std::optional<std::string> destination_value = transfer::read_parameter(destination);
    if (!destination_value) {
      return finish(Outcome::not_found_in_destination);
    }
    transfer::ExchangeResult exchange = transfer::exchange_tail(*source_value, *destination_value, arguments[5]);
    if (exchange.status == transfer::ExchangeStatus::too_few_in_source) {
      return finish(Outcome::too_few_backslashes_in_source);
    }
    if (exchange.status == transfer::ExchangeStatus::too_few_in_destination) {
      return finish(Outcome::too_few_backslashes_in_destination);
    }
    to_write = std::move(exchange.combined);
  }

  if (!transfer::write_parameter(destination, to_write)) {
    return finish(Outcome::write_failed, to_write);
  }
  return finish(Outcome::written, to_write);
}

}  // namespace vexlo::cli
