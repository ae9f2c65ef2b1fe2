#ifndef VEXLO_PROFILE_FILE_BLOCKS_H
#define VEXLO_PROFILE_FILE_BLOCKS_H

// Moving bytes between open files in large blocks, for the writers.
// Every loop here stops early, reporting failure, once a terminating signal
// has come (see write_signals.h), so an interrupted write ends quickly.

#include <cstdint>
#include <string>
#include <vector>

namespace vexlo::profile {

// The size of one block moved at a time.
inline constexpr std::size_t copy_block_size = std::size_t{256} * 1024;

// An `until` for copy_range that means: to the end of the input.
inline constexpr std::uint64_t to_end = ~std::uint64_t{0};

// Writes all of [data, data + size) to fd at its current offset.
bool write_all(int fd, const char* data, std::size_t size);

// Writes all of [data, data + size) to fd at `offset`.
bool write_all_at(int fd, const char* data, std::size_t size, std::uint64_t offset);

// Appends bytes [from, until) of `in` to `out`. Fails if `in` ends before
// `until` (unless until is to_end). `block` is scratch space, not empty.
bool copy_range(int in, int out, std::uint64_t from, std::uint64_t until, std::vector<char>& block);

// The folder part of path with its trailing slash ("" for a bare name).
std::string folder_of(const std::string& path);

// Flushes the folder's entries (a rename or a new name in it) to disk.
bool sync_folder(const std::string& path);

}  // namespace vexlo::profile

#endif
