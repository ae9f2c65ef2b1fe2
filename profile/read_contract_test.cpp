// What our GetPrivateProfileStringA finds in files, case by case.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "profile/private_profile.h"
#include "testing/scratch_folder.h"

namespace vexlo::testing {
namespace {

using namespace std::string_literals;

constexpr char absent_marker[] = "<absent>";

struct ReadCase {
  std::string text;
  std::string section;
  std::string key;
  std::optional<std::string> expected;  // nullopt: the default comes back
};

class ReadContract : public ScratchFolder {
 protected:
  // The value read for section/key, or nullopt when the default came back.
  static std::optional<std::string> read(const std::string& path, const std::string& section, const std::string& key) {
    std::string buffer(1 << 20, '\x7f');
    const std::uint32_t placed = GetPrivateProfileStringA(section.c_str(), key.c_str(), absent_marker, buffer.data(),
                                                          static_cast<std::uint32_t>(buffer.size()), path.c_str());
    EXPECT_EQ(buffer[placed], '\0');
    buffer.resize(placed);
    if (buffer == absent_marker) {
      return std::nullopt;
    }
    return buffer;
  }
};

TEST_F(ReadContract, FindsValuesAsTheFileFormatDefines) {
  const std::vector<ReadCase> cases = {
      // Quotes: one matching pair is removed, inner blanks kept.
      {"[Paths]\nDataDir=\"quoted val\"\n", "Paths", "DataDir", "quoted val"},
      {"[Paths]\nDataDir=\" spaced \"\n", "Paths", "DataDir", " spaced "},
      {"[Paths]\nDataDir=\"unmatched\n", "Paths", "DataDir", "\"unmatched"},
      {"[S]\nk='single'\n", "S", "k", "single"},
      {"[S]\nk='mixed\"\n", "S", "k", "'mixed\""},
      {"[S]\nk=\"\n", "S", "k", "\""},
      {"[S]\nk=\"\"\n", "S", "k", ""},
      {"[S]\nk=\"\"\"\n", "S", "k", "\""},
      // Names: trimmed, ASCII case folded, nothing above 0x7F folded.
      {"[paths]\n  datadir   =   x  \n", "Paths", "DataDir", "x"},
      {"[Paths]\nDataDir=x\n", "  Paths\t", " DataDir ", "x"},
      {"[\xC4]\n\xC4=v\n", "\xC4", "\xC4", "v"},
      {"[\xC4]\nk=v\n", "\xE4", "k", std::nullopt},
      // Headers: trimmed line, name up to the last ']', text after it ignored.
      {"  [ Paths ] trailing\nDataDir=y\n", "Paths", "DataDir", "y"},
      {"[Pa]ths]\nk=v\n", "Pa]ths", "k", "v"},
      {"[Paths\nk=v\n", "Paths", "k", std::nullopt},
      {"[Paths\nk=v\n", "", "k", "v"},
      // Only the first matching section and the first matching entry count.
      {"[Paths]\nDataDir\nDataDir=v\n", "Paths", "DataDir", std::nullopt},
      {"[S]\nk=1\n[S]\nk2=2\n", "S", "k2", std::nullopt},
      {"[S]\nk=1\nk=2\n", "S", "k", "1"},
      {"[S]\n[T]\nk=1\n", "S", "k", std::nullopt},
      {"[S]\nk=1\n[T]\nk=2\n", "T", "k", "2"},
      // Values: everything after the first '=', trimmed; ';' inside is kept.
      {"[S]\nk=a=b ;c\n", "S", "k", "a=b ;c"},
      {"[S]\nk =  \n", "S", "k", ""},
      {"[S]\nk=\\%s\\n\n", "S", "k", "\\%s\\n"},
      {"[S]\n=v\n", "S", "", "v"},
      // Comments: ';' first after trimming; '#' is an ordinary byte.
      {"[S]\n;k=c\n#k=h\n", "S", "#k", "h"},
      {"[S]\n;k=c\n", "S", "k", std::nullopt},
      {"[S]\n \t;k=c\nk=d\n", "S", "k", "d"},
      {";[S]\n[S]\nk=v\n", "S", "k", "v"},
      // Section "": the lines before the first header, never a later "[]".
      {"top=1\n[S]\n", "", "top", "1"},
      {"[S]\n[]\nk=1\n", "", "k", std::nullopt},
      {"[S]\n[ ]\nk=1\n", " ", "k", std::nullopt},
      // Line endings: LF, CR LF, lone CR, mixed, none at the end.
      {"[S]\rk=cr only\r", "S", "k", "cr only"},
      {"[S]\r\nk=crlf\r\n", "S", "k", "crlf"},
      {"[S]\r\na=1\rb=2\nk=mixed\r\n", "S", "k", "mixed"},
      {"[S]\nk=last", "S", "k", "last"},
      {"[S]\n\r\n\r\rk=v", "S", "k", "v"},
      // Blanks are space and 0x09..0x0D at both ends of every part.
      {"\t[S]\f\nk\v=\tv \x0b\n", "S", "k", "v"},
      // A UTF-8 byte-order mark is skipped, but only at the very start.
      {"\xEF\xBB\xBFk=bom\n", "", "k", "bom"},
      {"\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
      {"x\n\xEF\xBB\xBF[S]\nk=v\n", "S", "k", std::nullopt},
      // A value ends at its first NUL; quotes are judged after the cut.
      {"[S]\nk=ab\0cd\n"s, "S", "k", "ab"},
      {"[S]\nk=\"ab\"\0zz\n"s, "S", "k", "ab"},
      {"[S]\nk=\0\n"s, "S", "k", ""},
      {"[S]\nx=\0\xff\nk=v\n"s, "S", "k", "v"},
      // Bytes above 0x7F come back unchanged.
      {"[S]\nk=\xC3\xA9t\xE9\n", "S", "k", "\xC3\xA9t\xE9"},
      // UTF-16 files by their byte-order mark (more in utf16_contract_test).
      {"\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0"s, "S", "k", "v"},
      {"\xFE\xFF\0[\0S\0]\0\n\0k\0=\0v\0\n"s, "S", "k", "v"},
      // Empty file.
      {"", "S", "k", std::nullopt},
  };
  const std::string path = file("case.ini");
  for (const ReadCase& c : cases) {
    SCOPED_TRACE("file text: " + c.text + " | section: " + c.section + " | key: " + c.key);
    write_bytes(path, c.text);
    EXPECT_EQ(read(path, c.section, c.key), c.expected);
  }
}

TEST_F(ReadContract, ReadsValuesOfAnyLengthWhole) {
  const std::string path = file("long.ini");
  const std::string value(900'000, 'v');
  write_bytes(path, "[S]\n" + std::string(200'000, 'x') + "=1\nk=" + value + "\n");
  EXPECT_EQ(read(path, "S", "k"), value);
}

TEST_F(ReadContract, MissingUnreadableOrDirectoryGivesTheDefault) {
  EXPECT_EQ(read(file("missing.ini"), "S", "k"), std::nullopt);
  EXPECT_EQ(read(folder.string(), "S", "k"), std::nullopt);
  EXPECT_EQ(read(file("no-folder/x.ini"), "S", "k"), std::nullopt);
}

TEST_F(ReadContract, PlacesAtMostSizeMinusOneBytesAndCountsThem) {
  const std::string path = file("size.ini");
  write_bytes(path, "[S]\nk=abcdef\n");
  char buffer[8];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "dflt", buffer, 4, path.c_str()), 3U);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(GetPrivateProfileStringA("S", "none", "default", buffer, 5, path.c_str()), 4U);
  EXPECT_STREQ(buffer, "defa");
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "dflt", buffer, 1, path.c_str()), 0U);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetPrivateProfileStringA("S", "none", nullptr, buffer, 8, path.c_str()), 0U);
  EXPECT_STREQ(buffer, "");
}

}  // namespace
}  // namespace vexlo::testing
