// A property of every write, checked over generated profile files (8-bit and
// UTF-16): after
// storing one parameter, that parameter reads back exactly as written and
// every other parameter reads exactly as before. A write that is refused
// leaves the file byte for byte as it was.

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "profile/utf16_text.h"
#include "testing/scratch_folder.h"
#include "transfer/profile_access.h"

namespace vexlo::testing {
namespace {

using namespace std::string_literals;

// Names the generated files use, with case variants, blanks, high bytes and
// characters that matter to the syntax. Reads ask for each of them.
const std::vector<std::string> section_names = {"", "S", "s", "Paths", "a b", "x;y", "\xC3\x84", "T=1", "a]b"};
const std::vector<std::string> key_names = {"k", "K", "key", "a b", "x", "\xC3\xA9", "[k", ";c", "k]", "k=v"};

// The bytes values are made of: those that matter to the syntax, blanks,
// quotes, a NUL and a high byte.
const std::string value_bytes = "ab \t\"';=[]\\\xff"s + '\0';

// Builds one random profile file and the values to write into it.
struct ProfileGenerator {
  std::mt19937 random;

  int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random); }
  bool chance(int percent) { return below(100) < percent; }

  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
  }

  std::string blanks() {
    std::string made(static_cast<std::size_t>(below(3)), chance(50) ? ' ' : '\t');
    return made;
  }

  std::string text(const std::string& alphabet, int longest) {
    std::string made;
    for (int n = below(longest + 1); n > 0; --n) {
      made += alphabet[static_cast<std::size_t>(below(static_cast<int>(alphabet.size())))];
    }
    return made;
  }

  // One line of any kind, without its ending.
  std::string line() {
    switch (below(10)) {
      case 0:
      case 1:  // a section header, maybe with text after it
        return blanks() + "[" + blanks() + pick(section_names) + blanks() + "]" + (chance(20) ? " x" : "") + blanks();
      case 2:  // a comment
        return blanks() + ";" + text(value_bytes, 8);
      case 3:  // a blank line
        return blanks();
      case 4:  // a bare key, a line of junk, or a line that starts with '='
        return chance(50) ? blanks() + pick(key_names) + blanks() : text(value_bytes, 10);
      default:  // an entry, the value maybe quoted
        return blanks() + pick(key_names) + blanks() + "=" + blanks() + text(value_bytes, 12) + blanks();
    }
  }

  std::string text() {
    std::string made;
    const std::vector<std::string> endings = {"\n", "\r\n", "\r"};
    for (int n = below(14); n > 0; --n) {
      made += line() + pick(endings);
    }
    if (chance(30)) {
      made += line();  // no final line end
    }
    return made;
  }

  // A file: mostly 8-bit, some with a UTF-8 BOM, some UTF-16 in either byte
  // order (now and then with a stray last byte, which makes it no text).
  std::string file() {
    const int roll = below(100);
    if (roll < 10) {
      return "\xEF\xBB\xBF" + text();
    }
    if (roll >= 25) {
      return text();
    }
    std::string utf8 = text();
    std::replace(utf8.begin(), utf8.end(), '\xff', 'y');  // the one byte that is never UTF-8
    const profile::ByteOrder order = chance(50) ? profile::ByteOrder::little : profile::ByteOrder::big;
    std::string made = order == profile::ByteOrder::little ? "\xFF\xFE" : "\xFE\xFF";
    EXPECT_TRUE(profile::append_utf8_as_utf16(utf8, order, made));
    if (chance(5)) {
      made += 'z';
    }
    return made;
  }

  // A value to write: mostly plain, sometimes with blanks at the ends,
  // quotes around it, or (rarely, and refused) a line break.
  std::string value() {
    std::string made = text("ab \t\"';=[]\\\xff", 10);
    if (chance(10)) {
      const char quote = chance(50) ? '"' : '\'';
      made = quote + made + quote;
    }
    if (chance(10)) {
      made = blanks() + made + blanks();
    }
    if (chance(5)) {
      made.insert(static_cast<std::size_t>(below(static_cast<int>(made.size()) + 1)), 1, chance(50) ? '\n' : '\r');
    }
    return made;
  }
};

// Names compare ignoring the case of ASCII letters.
bool same_name(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) {
      return false;
    }
  }
  return true;
}

// Every parameter the generated files can hold, read from path.
std::vector<std::optional<std::string>> read_all(const std::string& path) {
  std::vector<std::optional<std::string>> values;
  for (const std::string& section : section_names) {
    for (const std::string& key : key_names) {
      values.push_back(transfer::read_parameter({path, section, key}));
    }
  }
  return values;
}

unsigned chosen_seed() {
  const char* given = std::getenv("VEXLO_SEED");
  return given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
}

using WriteProperty = ScratchFolder;

TEST_F(WriteProperty, OneWriteChangesOneParameterAndNothingElse) {
  const unsigned seed = chosen_seed();
  SCOPED_TRACE("VEXLO_SEED=" + std::to_string(seed));
  ProfileGenerator generate{std::mt19937(seed)};
  const std::string path = file("generated.ini");
  int written = 0;
  int refused = 0;
  for (int round = 0; round < 1500; ++round) {
    const std::string before = generate.file();
    write_bytes(path, before);
    const transfer::ParameterAddress target{path, generate.pick(section_names), generate.pick(key_names)};
    const std::string value = generate.value();
    SCOPED_TRACE(::testing::Message() << "round " << round << ", [" << target.section << "] " << target.param << "="
                                      << value << " into:\n"
                                      << before);
    const auto old_values = read_all(path);
    // A UTF-16 file takes only UTF-8 names and values, and one that ends in
    // half a character takes nothing.
    const bool utf16 = before.starts_with("\xFF\xFE") || before.starts_with("\xFE\xFF");
    const bool utf16_takes = before.size() % 2 == 0 && profile::is_valid_utf8(target.section) &&
                             profile::is_valid_utf8(target.param) && profile::is_valid_utf8(value);
    const bool stored = transfer::write_parameter(target, value);
    ASSERT_EQ(stored, transfer::is_storable(target, value) && (!utf16 || utf16_takes));
    if (!stored) {
      ASSERT_EQ(read_bytes(path), before);
      ++refused;
      continue;
    }
    ++written;
    const auto new_values = read_all(path);
    std::size_t at = 0;
    for (const std::string& section : section_names) {
      for (const std::string& key : key_names) {
        SCOPED_TRACE(::testing::Message() << "[" << section << "] " << key);
        if (same_name(section, target.section) && same_name(key, target.param)) {
          ASSERT_EQ(new_values[at], value);
        } else {
          ASSERT_EQ(new_values[at], old_values[at]);
        }
        ++at;
      }
    }
  }
  RecordProperty("written", written);
  RecordProperty("refused", refused);
}

}  // namespace
}  // namespace vexlo::testing
