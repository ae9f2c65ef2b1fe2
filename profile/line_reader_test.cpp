// Line splitting where a line or its ending crosses the reader's buffer.

#include <fcntl.h>
#include <unistd.h>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "profile/line_reader.h"
#include "testing/scratch_folder.h"

namespace vexlo::testing {
namespace {

using profile::Line;
using profile::LineStatus;

struct ReadLine {
  std::string text;
  std::string ending;
  std::uint64_t offset;
  bool operator==(const ReadLine&) const = default;
};

// Shows a line in failure messages.
void PrintTo(const ReadLine& line, std::ostream* out) {
  *out << "{\"" << line.text << "\", ending of " << line.ending.size() << ", at " << line.offset << "}";
}

class LineReaderTest : public ScratchFolder {
 protected:
  // Every line of a file holding `bytes`.
  std::vector<ReadLine> lines_of(const std::string& bytes) {
    const std::string path = file("lines");
    write_bytes(path, bytes);
    const int fd = ::open(path.c_str(), O_RDONLY);
    profile::LineReader reader = profile::make_line_reader(fd);
    std::vector<ReadLine> lines;
    Line line;
    LineStatus status;
    while ((status = profile::next_line(reader, line)) == LineStatus::line) {
      lines.push_back({std::string(line.text), std::string(line.ending), line.offset});
    }
    ::close(fd);
    EXPECT_EQ(status, LineStatus::end);
    return lines;
  }

  // The line the reader stops at when skipping to a possible header of
  // `name` in a file holding `bytes`; an empty text when it reaches the end.
  ReadLine skipped_to(const std::string& bytes, std::string_view name) {
    const std::string path = file("lines");
    write_bytes(path, bytes);
    const int fd = ::open(path.c_str(), O_RDONLY);
    profile::LineReader reader = profile::make_line_reader(fd);
    EXPECT_TRUE(profile::skip_to_possible_header(reader, name));
    Line line;
    ReadLine stop{"", "", reader.offset};
    if (profile::next_line(reader, line) == LineStatus::line) {
      stop = {std::string(line.text), std::string(line.ending), line.offset};
    }
    ::close(fd);
    return stop;
  }
};

TEST_F(LineReaderTest, SplitsAtEveryKindOfEnding) {
  const std::vector<ReadLine> expected = {{"a", "\n", 0}, {"b", "\r\n", 2}, {"c", "\r", 5},
                                          {"", "\r", 7},  {"", "\r\n", 8},  {"d", "", 10}};
  EXPECT_EQ(lines_of("a\nb\r\nc\r\r\r\nd"), expected);
  EXPECT_TRUE(lines_of("").empty());
}

TEST_F(LineReaderTest, KeepsCrLfTogetherAcrossTheBufferEdge) {
  // The first read fills 64 KiB exactly; put the CR last in it.
  for (const std::size_t cr_at : {std::size_t{65535}, std::size_t{65534}, std::size_t{65536}}) {
    SCOPED_TRACE(cr_at);
    const std::string first(cr_at, 'x');
    const std::vector<ReadLine> expected = {{first, "\r\n", 0}, {"y", "\r", cr_at + 2}};
    EXPECT_EQ(lines_of(first + "\r\ny\r"), expected);
  }
}

TEST_F(LineReaderTest, ReadsLinesLongerThanTheBuffer) {
  const std::string huge(5'000'000, 'h');
  const std::vector<ReadLine> expected = {{"s", "\n", 0}, {huge, "\r\n", 2}, {huge, "", huge.size() + 4}};
  EXPECT_EQ(lines_of("s\n" + huge + "\r\n" + huge), expected);
}

TEST_F(LineReaderTest, SkipsToTheFirstLineThatMayBeTheHeader) {
  // Passed over: '[' not first on its line, other names (any case of the
  // name does stop), a '[' inside values and comments.
  const std::string before = "a=[Sec]\n; [Sec]\n[Other]\r\n\t[Se]\rx[Sec]\n";
  EXPECT_EQ(skipped_to(before + " \t[ sEC ] x\r\nk=1\n", "Sec"), (ReadLine{" \t[ sEC ] x", "\r\n", 38}));
  // Only the bytes of the name are compared: what follows is for the caller.
  EXPECT_EQ(skipped_to(before + "[Section]\n", "Sec"), (ReadLine{"[Section]", "\n", 38}));
  // No such header: the last line without an ending, or the end.
  EXPECT_EQ(skipped_to(before + "last", "Sec"), (ReadLine{"last", "", 38}));
  EXPECT_EQ(skipped_to(before, "Sec"), (ReadLine{"", "", 38}));
}

TEST_F(LineReaderTest, SkipsToAHeaderAcrossTheBufferEdge) {
  // The first read fills 64 KiB exactly; put the header's '[', its blanks,
  // its name or the line ending before it on either side of that edge.
  for (std::size_t filler = 65520; filler <= 65540; ++filler) {
    SCOPED_TRACE(filler);
    const std::string first = "a=" + std::string(filler - 3, 'x') + "\r";
    const std::string bytes = first + "\n  [Target]\r\n[Targ]\n";
    EXPECT_EQ(skipped_to(bytes, "target"), (ReadLine{"  [Target]", "\r\n", filler + 1}));
    EXPECT_EQ(skipped_to(first + "\n[Targ]\n", "target"), (ReadLine{"", "", filler + 8}));
  }
}

}  // namespace
}  // namespace vexlo::testing
