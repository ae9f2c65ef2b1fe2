#include "testing/scratch_folder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vexlo::testing {

void write_bytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> entries_of(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void ScratchFolder::SetUp() {
  std::string name = (std::filesystem::temp_directory_path() / "vexlo-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(name.data()), nullptr);
  folder = name;
}

void ScratchFolder::TearDown() {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

std::string ScratchFolder::file(std::string_view name) const { return (folder / name).string(); }

}  // namespace vexlo::testing
