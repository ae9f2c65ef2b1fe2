#include "transfer/profile_access.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/scratch_folder.h"

namespace vexlo::testing {
namespace {

using transfer::ParameterAddress;
using transfer::read_parameter;
using transfer::write_parameter;

class ProfileAccess : public ScratchFolder {
 protected:
  ParameterAddress at(const std::string& section = "S", const std::string& param = "k") {
    return {file("p.ini"), section, param};
  }
};

TEST_F(ProfileAccess, EmptyValueIsFoundAndMissingThingsAreNot) {
  write_bytes(file("p.ini"), "[S]\nk=\n");
  EXPECT_EQ(read_parameter(at()), "");
  EXPECT_EQ(read_parameter(at("S", "other")), std::nullopt);
  EXPECT_EQ(read_parameter(at("T")), std::nullopt);
  EXPECT_EQ(read_parameter({file("missing.ini"), "S", "k"}), std::nullopt);
}

TEST_F(ProfileAccess, TheMarkerReadsAsAbsentButNearMissesAreValues) {
  const std::string marker = transfer::NOT_FOUND_MARKER;
  for (const std::string& near_miss : {std::string("ZAXBLAXFLAPPBLOPP7659"), marker + "0", marker.substr(1)}) {
    write_bytes(file("p.ini"), "[S]\nk=" + near_miss + "\n");
    EXPECT_EQ(read_parameter(at()), near_miss);
  }
  write_bytes(file("p.ini"), "[S]\nk=" + marker + "\n");
  EXPECT_EQ(read_parameter(at()), std::nullopt);
}

TEST_F(ProfileAccess, ValuesAreNeverCutShort) {
  for (const std::size_t length : {std::size_t{510}, std::size_t{511}, std::size_t{512}, std::size_t{1023},
                                   std::size_t{1024}, std::size_t{70'000}}) {
    SCOPED_TRACE(length);
    const std::string value(length, 'v');
    write_bytes(file("p.ini"), "[S]\nk=" + value + "\n");
    EXPECT_EQ(read_parameter(at()), value);
    EXPECT_TRUE(write_parameter({file("copy.ini"), "S", "k"}, value));
    EXPECT_EQ(read_parameter({file("copy.ini"), "S", "k"}), value);
  }
}

TEST_F(ProfileAccess, StoresValuesSoTheyReadBackExactly) {
  const std::vector<std::string> values = {"plain",      "",         "  x  ", " lead", "trail\t",
                                           "\"quoted\"", "'single'", "\"",    "'x\"",  "\"\"",
                                           "a\"b\"",     "%s%n",     "a;b",   "=",     "\xC3\xA9\x7F\x01"};
  for (const std::string& value : values) {
    SCOPED_TRACE("[" + value + "]");
    EXPECT_TRUE(write_parameter(at(), value));
    EXPECT_EQ(read_parameter(at()), value);
  }
}

TEST_F(ProfileAccess, StoredFormQuotesOnlyWhatAReadWouldStrip) {
  EXPECT_EQ(transfer::stored_form("x"), "x");
  EXPECT_EQ(transfer::stored_form(""), "");
  EXPECT_EQ(transfer::stored_form("a b"), "a b");
  EXPECT_EQ(transfer::stored_form("\"a"), "\"a");
  EXPECT_EQ(transfer::stored_form("  x  "), "\"  x  \"");
  EXPECT_EQ(transfer::stored_form("'x'"), "\"'x'\"");
  EXPECT_EQ(transfer::stored_form("\"\""), "\"\"\"\"");
}

TEST_F(ProfileAccess, RefusesWhatWouldBreakTheFileAndLeavesItUntouched) {
  struct Refusal {
    std::string section;
    std::string param;
    std::string value;
  };
  const std::vector<Refusal> refusals = {
      {"S", "k", "line\nbreak"}, {"S", "k", "cr\rhere"}, {"S\n", "k", "v"}, {"S", "k\r", "v"}, {"S", "a=b", "v"},
      {"S", ";k", "v"},          {"S", "  ;k", "v"},     {"S", "[k]", "v"}, {"S", "[k", "v]"},
  };
  const std::string before = "[S]\nk=1\n";
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.section + "|" + r.param + "|" + r.value);
    write_bytes(file("p.ini"), before);
    EXPECT_FALSE(transfer::is_storable(at(r.section, r.param), r.value));
    EXPECT_FALSE(write_parameter(at(r.section, r.param), r.value));
    EXPECT_EQ(read_bytes(file("p.ini")), before);
  }
  // Brackets and ';' elsewhere are harmless.
  EXPECT_TRUE(write_parameter(at("[S]", "k;[x]"), "[v];"));
  EXPECT_EQ(read_parameter(at("[S]", "k;[x]")), "[v];");
  EXPECT_TRUE(write_parameter(at("S", "[k"), "v"));
  EXPECT_EQ(read_parameter(at("S", "[k")), "v");
}

}  // namespace
}  // namespace vexlo::testing
