// Line splitting where a line or its ending crosses the reader's buffer.

#include <fcntl.h>
#include <unistd.h>
#include <string>
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

}  // namespace
}  // namespace vexlo::testing
