// Conversions between UTF-16 bytes and UTF-8 text.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "profile/utf16_text.h"

namespace vexlo::testing {
namespace {

using namespace std::string_literals;
using profile::ByteOrder;

struct Conversion {
  std::string utf8;
  std::string little;  // the same text in UTF-16LE
};

TEST(Utf16Text, ConvertsBothWaysInBothByteOrders) {
  const std::vector<Conversion> conversions = {
      {"", ""},
      {"k=v", "k\0=\0v\0"s},
      {"\xC3\xA9", "\xE9\0"s},                                       // é, two UTF-8 bytes
      {"\xE2\x82\xAC", "\xAC\x20"},                                  // €, three
      {"\xF0\x9F\x98\x80", "\x3D\xD8\x00\xDE"s},                     // U+1F600, a surrogate pair
      {"a\0b"s, "a\0\0\0b\0"s},                                      // NUL is a character
      {"\xEF\xBF\xBF\xF4\x8F\xBF\xBF", "\xFF\xFF\xFF\xDB\xFF\xDF"},  // U+FFFF, U+10FFFF
  };
  for (const Conversion& c : conversions) {
    SCOPED_TRACE(c.utf8);
    std::string big;
    for (std::size_t i = 0; i + 1 < c.little.size(); i += 2) {
      big += c.little.substr(i + 1, 1) + c.little.substr(i, 1);
    }
    std::string encoded;
    ASSERT_TRUE(profile::append_utf8_as_utf16(c.utf8, ByteOrder::little, encoded));
    EXPECT_EQ(encoded, c.little);
    encoded.clear();
    ASSERT_TRUE(profile::append_utf8_as_utf16(c.utf8, ByteOrder::big, encoded));
    EXPECT_EQ(encoded, big);
    std::string decoded;
    profile::append_utf16_as_utf8(c.little, ByteOrder::little, decoded);
    EXPECT_EQ(decoded, c.utf8);
    decoded.clear();
    profile::append_utf16_as_utf8(big, ByteOrder::big, decoded);
    EXPECT_EQ(decoded, c.utf8);
    EXPECT_EQ(profile::utf16_units_of(c.utf8) * 2, c.little.size());
  }
}

TEST(Utf16Text, ALoneSurrogateReadsAsTheReplacementCharacter) {
  std::string decoded;
  // A high surrogate followed by 'a', a low one alone, a high one at the end.
  profile::append_utf16_as_utf8("\x3D\xD8\x61\x00\x00\xDE\x3D\xD8"s, ByteOrder::little, decoded);
  EXPECT_EQ(decoded,
            "\xEF\xBF\xBD"
            "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf16Text, RefusesWhatIsNotUtf8) {
  for (const std::string& bad :
       {"\xFF"s, "\xC3"s, "\xC0\xAF"s, "\xE0\x80\xAF"s, "\xED\xA0\x80"s, "\xF4\x90\x80\x80"s, "a\x80"s, "\xE2\x82"s}) {
    SCOPED_TRACE(bad);
    std::string encoded;
    EXPECT_FALSE(profile::append_utf8_as_utf16(bad, ByteOrder::little, encoded));
    EXPECT_FALSE(profile::is_valid_utf8(bad));
  }
  EXPECT_TRUE(profile::is_valid_utf8("plain \xC3\xA9 \xF0\x9F\x98\x80"));
}

}  // namespace
}  // namespace vexlo::testing
