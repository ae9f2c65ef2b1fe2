#ifndef VEXLO_TRANSFER_TAIL_EXCHANGE_H
#define VEXLO_TRANSFER_TAIL_EXCHANGE_H

// Exchanging the last N backslash-separated parts of one value for those of
// another. Pure computation on bytes: only 0x5C separates, '/' is ordinary.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexlo::transfer {

using TailCount = std::int32_t;

// Reads a count the way C's atoi does on a 32-bit int: leading blanks, one
// optional sign, digits up to the first non-digit; no digits give 0. There is
// no range check: the count wraps modulo 2^32.
TailCount parse_count(std::string_view text);

// The index of the count-th backslash from the right end of value, or nothing
// when there are fewer. A count of 0 or less cuts at the value's length.
std::optional<std::size_t> find_cut(std::string_view value, TailCount count);

enum class ExchangeStatus {
  combined,
  too_few_in_source,
  too_few_in_destination,
};

struct ExchangeResult {
  ExchangeStatus status = ExchangeStatus::combined;
  std::string combined;  // status combined only
};

// The destination up to its cut, followed by the source from its cut, both cut
// at the count read from count_text. The source is checked first.
ExchangeResult exchange_tail(std::string_view source, std::string_view destination, std::string_view count_text);

}  // namespace vexlo::transfer

#endif
