// UTF-16 profile files, read and edited in their own encoding: names and
// values cross the interface as UTF-8, and a write re-encodes only the bytes
// it changes.

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "profile/private_profile.h"
#include "profile/utf16_text.h"
#include "testing/scratch_folder.h"

namespace vexlo::testing {
namespace {

using namespace std::string_literals;
using profile::ByteOrder;

// The text as a UTF-16 file in the given order, byte-order mark first.
std::string utf16_file(const std::string& utf8, ByteOrder order) {
  std::string bytes = order == ByteOrder::little ? "\xFF\xFE" : "\xFE\xFF";
  EXPECT_TRUE(profile::append_utf8_as_utf16(utf8, order, bytes));
  return bytes;
}

// What GetPrivateProfileStringA finds, or nothing.
std::optional<std::string> read_value(const std::string& path, const std::string& section, const std::string& key) {
  std::string area(4096, '\0');
  const std::uint32_t placed =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", area.data(), 4096, path.c_str());
  area.resize(placed);
  return area == "\x01" ? std::nullopt : std::optional<std::string>(area);
}

struct Utf16Write {
  std::string before;  // as UTF-8 text; the file holds it in UTF-16
  std::string section;
  std::string key;
  std::string value;
  std::string after;
};

using Utf16Contract = ScratchFolder;

TEST_F(Utf16Contract, ReadsAndWritesInBothByteOrders) {
  const std::vector<Utf16Write> writes = {
      // Non-ASCII names and values, CR LF kept, the value replaced in place.
      {"[R\xC3\xA9seau]\r\nNom=ancien\r\nx=1\r\n", "r\xC3\xA9seau", "nom", "Caf\xC3\xA9 \xE2\x82\xAC",
       "[R\xC3\xA9seau]\r\nNom=Caf\xC3\xA9 \xE2\x82\xAC\r\nx=1\r\n"},
      // Characters before the value on its line, one of them two units long.
      {"[S]\r\nCl\xC3\xA9 = old\r\n", "S", "CL\xC3\xA9", "new", "[S]\r\nCl\xC3\xA9 = new\r\n"},
      {"[S]\r\n\xF0\x9F\x98\x80\xC3\xA9=old \r\n", "S", "\xF0\x9F\x98\x80\xC3\xA9", "",
       "[S]\r\n\xF0\x9F\x98\x80\xC3\xA9=\r\n"},
      // LF files; a new entry and a new section, in the file's own ending.
      {"[S]\na=1\n", "S", "b", "\xF0\x9F\x98\x80", "[S]\na=1\nb=\xF0\x9F\x98\x80\n"},
      {"[S]\r\na=1", "T", "k", "v", "[S]\r\na=1\r\n[T]\r\nk=v\r\n"},
      // Section "" right after the BOM; an empty file that is only a BOM.
      {"[S]\n", "", "k", "v", "k=v\n[S]\n"},
      {"", "S", "k", "v", "[S]\nk=v\n"},
  };
  for (const ByteOrder order : {ByteOrder::little, ByteOrder::big}) {
    for (const Utf16Write& w : writes) {
      SCOPED_TRACE(w.before + (order == ByteOrder::little ? " (LE)" : " (BE)"));
      const std::string path = file("wide.ini");
      write_bytes(path, utf16_file(w.before, order));
      EXPECT_NE(WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(), w.value.c_str(), path.c_str()), 0);
      EXPECT_EQ(read_bytes(path), utf16_file(w.after, order));
      EXPECT_EQ(read_value(path, w.section, w.key), w.value);
    }
  }
}

TEST_F(Utf16Contract, KeepsEveryOtherByteIncludingLoneSurrogates) {
  // Line 2 holds a lone high surrogate: kept where untouched, U+FFFD when read.
  const std::string path = file("surrogate.ini");
  const std::string head = "\xFF\xFE[\0S\0]\0\r\0\n\0"s;
  const std::string odd_line = "x\0=\0\x3D\xD8!\0\r\0\n\0"s;
  write_bytes(path, head + odd_line + "k\0=\0o\0l\0d\0\r\0\n\0"s);
  EXPECT_EQ(read_value(path, "S", "x"), "\xEF\xBF\xBD!");
  EXPECT_NE(WritePrivateProfileStringA("S", "k", "n", path.c_str()), 0);
  EXPECT_EQ(read_bytes(path), head + odd_line + "k\0=\0n\0\r\0\n\0"s);
}

TEST_F(Utf16Contract, RefusesWhatItCannotStoreFaithfully) {
  const std::string path = file("wide.ini");
  const std::string before = utf16_file("[S]\r\nk=1\r\n", ByteOrder::little);
  // Not UTF-8: the value, the key, the section.
  for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"S", "k", "\xFF"}, {"S", "k\xC3", "v"}, {"\xE9", "k", "v"}}) {
    SCOPED_TRACE(::testing::Message() << section << "/" << key << "=" << value);
    write_bytes(path, before);
    EXPECT_EQ(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()), 0);
    EXPECT_EQ(read_bytes(path), before);
  }
  // An odd byte count ends in half a character: not text. Nothing is found
  // and nothing is written.
  const std::string odd = before + "k";
  write_bytes(path, odd);
  EXPECT_EQ(read_value(path, "S", "k"), std::nullopt);
  EXPECT_EQ(WritePrivateProfileStringA("S", "k", "2", path.c_str()), 0);
  EXPECT_EQ(read_bytes(path), odd);
  EXPECT_EQ(entries_of(folder), std::vector<std::string>{"wide.ini"});
}

TEST_F(Utf16Contract, SplitsLinesAcrossTheReadBufferEdge) {
  // The first read fills 64 KiB: put the CR, the LF or both of a CR LF, and
  // a lone CR, on either side of that edge.
  const std::string path = file("long.ini");
  for (std::size_t filler = 32760; filler <= 32770; ++filler) {
    SCOPED_TRACE(filler);
    for (const std::string ending : {"\r\n", "\r"}) {
      std::string lines = "x=";
      lines.append(filler, 'a').append(ending).append("[S]").append(ending);
      const auto text_with = [&](const char* value) {
        return std::string(lines).append("k=").append(value).append(ending).append("y=2");
      };
      write_bytes(path, utf16_file(text_with("old"), ByteOrder::little));
      EXPECT_NE(WritePrivateProfileStringA("S", "k", "new", path.c_str()), 0);
      EXPECT_EQ(read_bytes(path), utf16_file(text_with("new"), ByteOrder::little));
      EXPECT_EQ(read_value(path, "S", "y"), "2");
    }
  }
}

TEST_F(Utf16Contract, SurvivesManyWritesWithEveryOtherByteKept) {
  const std::string path = file("many.ini");
  const std::string kept = "; \xEF\xBB\xBF kept\r\n[A]\r\n x = 1 \r\n; \xE2\x82\xAC\r\n\r\n[S]\r\n";
  write_bytes(path, utf16_file(kept, ByteOrder::big));
  // Add forty parameters, then give each a value of another length.
  std::string expected = kept;
  for (int round = 0; round < 2; ++round) {
    std::string entries;
    for (int i = 0; i < 40; ++i) {
      const std::string key = "cl\xC3\xA9" + std::to_string(i);
      const std::string value = round == 0 ? "\xF0\x9F\x98\x80" + std::to_string(i) : std::string(i % 7, 'v');
      ASSERT_NE(WritePrivateProfileStringA("S", key.c_str(), value.c_str(), path.c_str()), 0);
      entries.append(key).append("=").append(value).append("\r\n");
    }
    expected = kept + entries;
    EXPECT_EQ(read_bytes(path), utf16_file(expected, ByteOrder::big)) << "round " << round;
  }
  EXPECT_EQ(read_value(path, "s",
                       "CL\xC3\xA9"
                       "39"),
            "vvvv");
  EXPECT_EQ(read_value(path, "A", "x"), "1");
}

TEST_F(Utf16Contract, CopiesBetweenUtf16AndEightBitFiles) {
  // A new file is 8-bit; a value from a UTF-16 file is written as UTF-8.
  const std::string source = file("wide.ini");
  write_bytes(source, utf16_file("[S]\nk=\xC3\xA9t\xC3\xA9\n", ByteOrder::big));
  const std::optional<std::string> value = read_value(source, "S", "k");
  ASSERT_EQ(value, "\xC3\xA9t\xC3\xA9");
  EXPECT_NE(WritePrivateProfileStringA("S", "k", value->c_str(), file("narrow.ini").c_str()), 0);
  EXPECT_EQ(read_bytes(file("narrow.ini")), "[S]\nk=\xC3\xA9t\xC3\xA9\n");
}

}  // namespace
}  // namespace vexlo::testing
