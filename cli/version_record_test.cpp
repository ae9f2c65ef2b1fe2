// The version record the executable carries, read back from the file itself.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "testing/run_program.h"
#include "testing/scratch_folder.h"
#include "tool_under_test.h"
#include "version_record.h"

namespace vexlo::testing {
namespace {

using VersionRecord = ScratchFolder;

TEST_F(VersionRecord, TheExecutableCarriesEveryField) {
  const std::string dump = file("record.bin");
  const ProgramRun run =
      run_program("/usr/bin/objcopy", {"-O", "binary", "--only-section=.vexlo.version", built_tool, dump});
  ASSERT_EQ(run.exit_status, 0) << run.err;

  std::vector<std::string> carried;
  std::string bytes = read_bytes(dump);
  // Some builds (AddressSanitizer's, for one) pad the section after the
  // record with NUL bytes; the record ends at its last string.
  while (bytes.size() >= 2 && bytes.ends_with(std::string_view("\0\0", 2))) {
    bytes.pop_back();
  }
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t end = bytes.find('\0', at);
    ASSERT_NE(end, std::string::npos) << "every string is NUL-terminated";
    carried.push_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  std::vector<std::string> expected;
  expected.reserve(version_record::fields.size());
  for (const version_record::Field& field : version_record::fields) {
    expected.push_back(std::string(field.name) + "=" + std::string(field.value));
  }
  EXPECT_EQ(carried, expected);

  // The values every build must carry, whatever else the record says.
  for (const char* required :
       {"FileVersion=1.0.0.1", "ProductVersion=1.0.0.0", "Comments=Vexlo copies parameters from one file to another",
        "FileDescription=Vexlo", "InternalName=Vexlo"}) {
    EXPECT_NE(std::find(carried.begin(), carried.end(), required), carried.end()) << required;
  }
}

TEST_F(VersionRecord, TheSectionIsReadOnly) {
  const ProgramRun run = run_program("/usr/bin/readelf", {"-S", "-W", built_tool});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const std::size_t at = run.out.find(".vexlo.version");
  ASSERT_NE(at, std::string::npos);
  const std::string row = run.out.substr(at, run.out.find('\n', at) - at);
  EXPECT_EQ(row.find(" WA "), std::string::npos) << row;
  EXPECT_NE(row.find(" A "), std::string::npos) << row;
}

}  // namespace
}  // namespace vexlo::testing
