#include "profile/line_reader.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <experimental/simd>

namespace vexlo::profile {

namespace {

namespace stdx = std::experimental;

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

// The bytes of a buffer taken a vector register at a time.
using ByteChunk = stdx::native_simd<unsigned char>;

// Index of the first CR or LF in [from, to), or `to` when there is none.
// One pass finds either byte; two memchr calls per line (one for each) cost
// twice the memory traffic and a call each, which shows on files of many
// short lines.
std::size_t find_line_break(const char* data, std::size_t from, std::size_t to) {
  const ByteChunk lf(static_cast<unsigned char>('\n'));
  const ByteChunk cr(static_cast<unsigned char>('\r'));
  std::size_t at = from;
  for (; to - at >= ByteChunk::size(); at += ByteChunk::size()) {
    const ByteChunk bytes(reinterpret_cast<const unsigned char*>(data + at), stdx::element_aligned);
    const auto breaks = bytes == lf || bytes == cr;
    if (stdx::any_of(breaks)) {
      return at + static_cast<std::size_t>(stdx::find_first_set(breaks));
    }
  }
  while (at < to && data[at] != '\n' && data[at] != '\r') {
    ++at;
  }
  return at;
}

// Hands out buffer[begin, begin + length) as a line followed by ending_size bytes.
LineStatus emit(LineReader& reader, Line& line, std::size_t length, std::size_t ending_size) {
  line.text = std::string_view(reader.buffer.data() + reader.begin, length);
  line.ending = std::string_view(reader.buffer.data() + reader.begin + length, ending_size);
  line.offset = reader.offset;
  line.stored_size = length + ending_size;
  reader.begin += length + ending_size;
  reader.offset += length + ending_size;
  reader.searched = 0;
  return LineStatus::line;
}

// Moves the reader's start forward to buffer[to], a line start.
void pass_to(LineReader& reader, std::size_t to) {
  reader.offset += to - reader.begin;
  reader.begin = to;
  reader.searched = 0;
}

// Blanks that may stand before a line's first byte (line breaks end lines).
bool is_inline_blank(char byte) { return byte == ' ' || byte == '\t' || byte == '\v' || byte == '\f'; }

// True when buffer[at] begins a line: only inline blanks stand between it
// and the previous line break (or the reader's start, always a line start).
bool starts_line(const LineReader& reader, std::size_t at) {
  const char* data = reader.buffer.data();
  while (at > reader.begin && is_inline_blank(data[at - 1])) {
    --at;
  }
  return at == reader.begin || data[at - 1] == '\n' || data[at - 1] == '\r';
}

// Folds 'A'..'Z' only, as names are compared.
char fold_ascii(char byte) { return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte; }

// Whether the header whose '[' is at buffer[at] may name the section.
enum class HeaderMatch { no, maybe, unread };

// Compares the header's first bytes with `name`; `unread` when the buffer
// ends before they can be told apart.
HeaderMatch may_name(const LineReader& reader, std::size_t at, std::string_view name) {
  const char* data = reader.buffer.data();
  std::size_t from = at + 1;
  while (from < reader.end && is_inline_blank(data[from])) {
    ++from;
  }
  const std::size_t known = std::min(name.size(), reader.end - from);
  for (std::size_t i = 0; i < known; ++i) {
    if (fold_ascii(data[from + i]) != fold_ascii(name[i])) {
      return HeaderMatch::no;
    }
  }
  return known == name.size() || reader.at_eof ? HeaderMatch::maybe : HeaderMatch::unread;
}

// Index of the line start just after the last line break in [from, to), or
// `from` when there is none.
std::size_t after_last_line_break(const char* data, std::size_t from, std::size_t to) {
  std::size_t at = to;
  while (at > from && data[at - 1] != '\n' && data[at - 1] != '\r') {
    --at;
  }
  return at;
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

namespace {

// Where the first CR or LF code unit in buffer[from, to) starts, or the last
// unit boundary before `to` when there is none.
std::size_t find_utf16_line_break(const LineReader& reader, ByteOrder order, std::size_t from, std::size_t to) {
  const std::string_view bytes(reader.buffer.data(), reader.end);
  while (from + 1 < to) {
    const std::uint16_t unit = utf16_unit(bytes, from, order);
    if (unit == '\n' || unit == '\r') {
      return from;
    }
    from += 2;
  }
  return from;
}

// Hands out buffer[begin, begin + length) as a UTF-16 line followed by
// ending_units code units.
LineStatus emit_utf16(LineReader& reader, ByteOrder order, Line& line, std::string& utf8, std::size_t length,
                      std::size_t ending_units) {
  static constexpr std::string_view endings[] = {"", "\n", "\r\n"};
  const std::string_view bytes(reader.buffer.data() + reader.begin, length + 2 * ending_units);
  utf8.clear();
  append_utf16_as_utf8(bytes.substr(0, length), order, utf8);
  line.text = utf8;
  line.ending = ending_units == 0                          ? endings[0]
                : ending_units == 2                        ? endings[2]
                : utf16_unit(bytes, length, order) == '\r' ? std::string_view("\r")
                                                           : endings[1];
  line.offset = reader.offset;
  line.stored_size = bytes.size();
  reader.begin += bytes.size();
  reader.offset += bytes.size();
  reader.searched = 0;
  return LineStatus::line;
}

}  // namespace

LineStatus next_utf16_line(LineReader& reader, ByteOrder order, Line& line, std::string& utf8) {
  for (;;) {
    const std::size_t at = find_utf16_line_break(reader, order, reader.begin + reader.searched, reader.end);
    const std::size_t length = at - reader.begin;
    if (at + 1 < reader.end) {
      const std::string_view bytes(reader.buffer.data(), reader.end);
      if (utf16_unit(bytes, at, order) == '\n') {
        return emit_utf16(reader, order, line, utf8, length, 1);
      }
      // A CR: whether an LF follows may only be known after the next read.
      if (at + 3 < reader.end) {
        return emit_utf16(reader, order, line, utf8, length, utf16_unit(bytes, at + 2, order) == '\n' ? 2 : 1);
      }
      if (reader.at_eof) {
        return emit_utf16(reader, order, line, utf8, length, 1);
      }
      reader.searched = length;
    } else {
      reader.searched = length;
      if (reader.at_eof) {
        // A last byte without its partner is no character: it is dropped.
        if (length == 0) {
          return LineStatus::end;
        }
        return emit_utf16(reader, order, line, utf8, length, 0);
      }
    }
    if (!refill(reader)) {
      return LineStatus::error;
    }
  }
}

bool skip_to_possible_header(LineReader& reader, std::string_view name) {
  for (;;) {
    const char* data = reader.buffer.data();
    std::size_t from = reader.begin + reader.searched;
    std::size_t keep_from = reader.end;  // where the bytes worth keeping start
    while (from < reader.end) {
      const void* found = std::memchr(data + from, '[', reader.end - from);
      if (found == nullptr) {
        break;
      }
      const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - data);
      if (starts_line(reader, at)) {
        const HeaderMatch match = may_name(reader, at, name);
        if (match == HeaderMatch::maybe) {
          pass_to(reader, after_last_line_break(data, reader.begin, at));
          return true;
        }
        if (match == HeaderMatch::unread) {
          keep_from = at;  // read on, then look at this header again
          break;
        }
      }
      from = at + 1;
    }
    // Keep only the buffer's last line, which may be unfinished.
    pass_to(reader, after_last_line_break(data, reader.begin, keep_from));
    reader.searched = keep_from < reader.end ? 0 : reader.end - reader.begin;
    if (reader.at_eof) {
      reader.searched = 0;
      return true;
    }
    if (!refill(reader)) {
      return false;
    }
  }
}

}  // namespace vexlo::profile
