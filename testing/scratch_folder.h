#ifndef VEXLO_TESTING_SCRATCH_FOLDER_H
#define VEXLO_TESTING_SCRATCH_FOLDER_H

// A temporary folder for tests that work on real files. It is made fresh for
// each test and removed with everything in it afterwards.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace vexlo::testing {

// Writes exactly these bytes to path, replacing any file there.
void write_bytes(const std::filesystem::path& path, std::string_view bytes);

// The exact bytes of the file at path; "" when it cannot be read.
std::string read_bytes(const std::filesystem::path& path);

// The names in a folder, sorted; shows whether a stray file was left.
std::vector<std::string> entries_of(const std::filesystem::path& folder);

// A GoogleTest fixture owning a fresh temporary folder, `folder`.
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Path of a file inside the folder, as a string for C APIs.
  [[nodiscard]] std::string file(std::string_view name) const;

  std::filesystem::path folder;
};

}  // namespace vexlo::testing

#endif
