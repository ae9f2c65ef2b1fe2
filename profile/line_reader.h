#ifndef VEXLO_PROFILE_LINE_READER_H
#define VEXLO_PROFILE_LINE_READER_H

// Reads a file descriptor one line at a time through a buffer that holds at
// least the longest line, so memory follows the longest line, never the file.
//
// Calling sequence: make a LineReader with the descriptor, call next_line()
// until it returns LineStatus::end (or ::error). Each Line's text stays valid
// only until the next call.
//
// Lines end at LF, at CR LF or at a lone CR. A last line without an ending is
// still a line (with an empty ending). NUL bytes are ordinary bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "profile/utf16_text.h"

namespace vexlo::profile {

struct LineReader {
  int fd = -1;
  std::vector<char> buffer;
  std::size_t begin = 0;     // first byte not yet handed out
  std::size_t end = 0;       // one past the last byte read into the buffer
  std::size_t searched = 0;  // bytes after begin already known to hold no ending
  std::uint64_t offset = 0;  // file offset of buffer[begin]
  bool at_eof = false;
};

struct Line {
  std::string_view text;          // without its ending (as UTF-8, from a UTF-16 file)
  std::string_view ending;        // "\n", "\r\n", "\r", or "" for an unterminated last line
  std::uint64_t offset = 0;       // file offset of the line's first byte
  std::uint64_t stored_size = 0;  // bytes the line and its ending take in the file
};

enum class LineStatus { line, end, error };

// A reader over fd, which it does not own or close.
LineReader make_line_reader(int fd);

// The next line of the file, or the end, or a read error.
LineStatus next_line(LineReader& reader, Line& line);

// The next line of a UTF-16 file (CR and LF are code units there), its text
// converted to UTF-8 into `utf8`, which line.text then shows. The reader's
// file position must be at a code unit boundary (after the BOM).
LineStatus next_utf16_line(LineReader& reader, ByteOrder order, Line& line, std::string& utf8);

// Passes over whole lines, without splitting them, until the next one that
// may be the header of section `name` (not empty): its first byte after
// blanks (space, tab, VT, FF) is '[', and the bytes after that and any blanks
// do not rule `name` out, ASCII case ignored. Stops instead at the last line
// if it has no ending, or at the end; next_line() then returns that line.
// Much faster than next_line() over lines that cannot matter. False on a
// read error.
bool skip_to_possible_header(LineReader& reader, std::string_view name);

}  // namespace vexlo::profile

#endif
