#include "profile/line_reader.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace vexlo::profile {

namespace {

constexpr std::size_t initial_buffer_size = std::size_t{64} * 1024;

// Moves the unread bytes to the front, grows the buffer when it is full of
// one unfinished line, and reads more. False on a read error.
bool refill(LineReader& reader) {
  if (reader.begin > 0) {
    std::memmove(reader.buffer.data(), reader.buffer.data() + reader.begin, reader.end - reader.begin);
    reader.end -= reader.begin;
    reader.begin = 0;
  }
  if (reader.end == reader.buffer.size()) {
    reader.buffer.resize(reader.buffer.size() * 2);
  }
  for (;;) {
    const ssize_t got = ::read(reader.fd, reader.buffer.data() + reader.end, reader.buffer.size() - reader.end);
    if (got > 0) {
      reader.end += static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      reader.at_eof = true;
      return true;
    }
    if (errno != EINTR) {
      return false;
    }
  }
}

// Index of the first CR or LF in [from, to), or `to` when there is none.
std::size_t find_line_break(const char* data, std::size_t from, std::size_t to) {
  const void* lf = std::memchr(data + from, '\n', to - from);
  const std::size_t lf_at = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : to;
  const void* cr = std::memchr(data + from, '\r', lf_at - from);
  return cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : lf_at;
}

// Hands out buffer[begin, begin + length) as a line followed by ending_size bytes.
LineStatus emit(LineReader& reader, Line& line, std::size_t length, std::size_t ending_size) {
  line.text = std::string_view(reader.buffer.data() + reader.begin, length);
  line.ending = std::string_view(reader.buffer.data() + reader.begin + length, ending_size);
  line.offset = reader.offset;
  reader.begin += length + ending_size;
  reader.offset += length + ending_size;
  reader.searched = 0;
  return LineStatus::line;
}

}  // namespace

LineReader make_line_reader(int fd) {
  LineReader reader;
  reader.fd = fd;
  reader.buffer.resize(initial_buffer_size);
  return reader;
}

LineStatus next_line(LineReader& reader, Line& line) {
  for (;;) {
    const char* data = reader.buffer.data();
    const std::size_t at = find_line_break(data, reader.begin + reader.searched, reader.end);
    if (at < reader.end) {
      const std::size_t length = at - reader.begin;
      if (data[at] == '\n') {
        return emit(reader, line, length, 1);
      }
      // A CR: whether an LF follows may only be known after the next read.
      if (at + 1 < reader.end) {
        return emit(reader, line, length, data[at + 1] == '\n' ? 2 : 1);
      }
      if (reader.at_eof) {
        return emit(reader, line, length, 1);
      }
      reader.searched = length;
    } else {
      reader.searched = reader.end - reader.begin;
      if (reader.at_eof) {
        if (reader.searched == 0) {
          return LineStatus::end;
        }
        return emit(reader, line, reader.searched, 0);
      }
    }
    if (!refill(reader)) {
      return LineStatus::error;
    }
  }
}

}  // namespace vexlo::profile
