#ifndef VEXLO_PROFILE_PRIVATE_PROFILE_H
#define VEXLO_PROFILE_PRIVATE_PROFILE_H

// Our own profile-file functions for systems that have none. They keep the
// names, parameter order and result conventions that callers of the Windows
// functions of the same names expect, so the tool's transfer code is the same
// on every system. Only the forms the tool uses are provided: no enumeration
// (a null section or key) and no deletion (a null key or value).
//
// Reading, in short: lines end at LF, CR LF or a lone CR and are trimmed of
// blanks (space, 0x09..0x0D); a UTF-8 BOM is skipped; ';' lines are comments;
// "[name]" starts a section (the name runs to the last ']'); lines before the
// first header form section ""; "key=value" is an entry. Only the first
// section of a name and its first entry of a key count, names compared with
// ASCII case folding. The value is trimmed, ends at a NUL, and loses one pair
// of matching surrounding quotes. A file that begins with a UTF-16 BOM reads
// as empty.
//
// Writing changes only the bytes that must change and replaces the file as a
// whole (see replace_file.h): the value of an existing entry, or one new
// line after the section's last entry, or a new section at the end.

#include <cstdint>

// Copies the value of `key` in `section` of `file` into buffer, or `fallback`
// when the file, section or key is missing or the file cannot be read. At
// most size - 1 bytes are placed, then a terminator. Returns the number of
// bytes placed, terminator not counted.
std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* fallback, char* buffer,
                                       std::uint32_t size, const char* file);

// Stores `value` as `key` in `section` of `file`, creating the entry, the
// section or the file as needed. Returns nonzero on success and zero when
// nothing was stored; on failure the file is exactly as it was.
int WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* file);

#endif
