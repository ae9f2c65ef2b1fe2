#include "transfer/tail_exchange.h"

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vexlo::transfer {
namespace {

TEST(ParseCount, ReadsLikeAtoiOnA32BitInt) {
  const std::vector<std::pair<std::string, TailCount>> cases = {
      {"2", 2},
      {"0", 0},
      {"-2", -2},
      {"+7", 7},
      {"", 0},
      {"abc", 0},
      {"+", 0},
      {"- 2", 0},   // the sign must touch the digits
      {" +2x", 2},  // leading blank, sign, trailing junk
      {"\t3x", 3},
      {" \t\n\v\f\r5", 5},  // every leading blank
      {"12abc34", 12},
      {"007", 7},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MIN},  // wraps modulo 2^32
      {"-2147483648", INT_MIN},
      {"4294967298", 2},
      {"99999999999", 1215752191},
  };
  for (const auto& [text, count] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parse_count(text), count);
  }
}

TEST(FindCut, CountsBackslashesFromTheRight) {
  const std::string value = R"(D:\Apps\Old\Data)";
  EXPECT_EQ(find_cut(value, 1), 11U);
  EXPECT_EQ(find_cut(value, 3), 2U);
  EXPECT_EQ(find_cut(value, 4), std::nullopt);
  EXPECT_EQ(find_cut(value, 0), value.size());
  EXPECT_EQ(find_cut(value, INT_MIN), value.size());
  EXPECT_EQ(find_cut("", 0), 0U);
  EXPECT_EQ(find_cut("", 1), std::nullopt);
  EXPECT_EQ(find_cut("\\", 1), 0U);
  EXPECT_EQ(find_cut("a/b/c", 1), std::nullopt);
  EXPECT_EQ(find_cut("x\\", INT_MAX), std::nullopt);
}

struct ExchangeCase {
  std::string source;
  std::string destination;
  std::string count_text;
  ExchangeStatus status;
  std::string combined;
};

TEST(ExchangeTail, WorkedValuesAndEdges) {
  const std::string source = R"(D:\Apps\Old\Data)";
  const std::string destination = R"(E:\Pool\Share\New\Cfg)";
  const ExchangeStatus ok = ExchangeStatus::combined;
  const std::vector<ExchangeCase> cases = {
      {source, destination, "1", ok, R"(E:\Pool\Share\New\Data)"},
      {source, destination, "2", ok, R"(E:\Pool\Share\Old\Data)"},
      {source, destination, "3", ok, R"(E:\Pool\Apps\Old\Data)"},
      {source, destination, "4", ExchangeStatus::too_few_in_source, ""},
      {source, destination, "0", ok, destination},
      {source, destination, "-2", ok, destination},
      {source, destination, "abc", ok, destination},
      {source, destination, " +2x", ok, R"(E:\Pool\Share\Old\Data)"},
      {source, destination, "- 2", ok, destination},
      {source, destination, "\t3x", ok, R"(E:\Pool\Apps\Old\Data)"},
      {R"(D:\A\B\C)", R"(E:\X)", "2", ExchangeStatus::too_few_in_destination, ""},
      {R"(D:\A)", R"(E:\X)", "2", ExchangeStatus::too_few_in_source, ""},
      {source + "\\", R"(E:\Pool\Share)", "1", ok, "E:\\Pool\\"},
      {R"(\a)", R"(\b)", "1", ok, R"(\a)"},
      {R"(D:\Apps/Old/Data)", R"(E:\Pool\Share)", "1", ok, R"(E:\Pool\Apps/Old/Data)"},
      {"", "", "0", ok, ""},
      {"", "", "1", ExchangeStatus::too_few_in_source, ""},
      // 0x5C is a separator wherever it stands, also inside a multi-byte character.
      {"\x81\x5C"
       "a",
       "x\\y", "1", ok,
       "x\x5C"
       "a"},
  };
  for (const ExchangeCase& c : cases) {
    SCOPED_TRACE(c.source + " | " + c.destination + " | " + c.count_text);
    const ExchangeResult result = exchange_tail(c.source, c.destination, c.count_text);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.combined, c.combined);
  }
}

}  // namespace
}  // namespace vexlo::transfer
