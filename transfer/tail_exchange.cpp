#include "transfer/tail_exchange.h"

#include "transfer/blanks.h"

namespace vexlo::transfer {

TailCount parse_count(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && is_blank(text[at])) {
    ++at;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  // Unsigned arithmetic wraps by definition; the conversion back is modulo 2^32.
  std::uint32_t count = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    count = count * 10U + static_cast<std::uint32_t>(text[at] - '0');
    ++at;
  }
  if (negative) {
    count = 0U - count;
  }
  return static_cast<TailCount>(count);
}

std::optional<std::size_t> find_cut(std::string_view value, TailCount count) {
  std::int64_t position = static_cast<std::int64_t>(value.size()) - 1;
  TailCount remaining = count;
  while (remaining > 0 && position >= 0) {
    if (value[static_cast<std::size_t>(position)] == '\\') {
      --remaining;
    }
    --position;
  }
  if (remaining > 0) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(position + 1);
}

ExchangeResult exchange_tail(std::string_view source, std::string_view destination, std::string_view count_text) {
  const TailCount count = parse_count(count_text);
  const std::optional<std::size_t> source_cut = find_cut(source, count);
  if (!source_cut) {
    return {ExchangeStatus::too_few_in_source, {}};
  }
  const std::optional<std::size_t> destination_cut = find_cut(destination, count);
  if (!destination_cut) {
    return {ExchangeStatus::too_few_in_destination, {}};
  }
  ExchangeResult result;
  result.combined.reserve(*destination_cut + source.size() - *source_cut);
  result.combined.append(destination.substr(0, *destination_cut)).append(source.substr(*source_cut));
  return result;
}

}  // namespace vexlo::transfer
