// The Windows executables, checked from the files themselves: PE headers,
// the DLLs they need, and the version resource read back out of them.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/run_program.h"
#include "tool_under_test.h"
#include "version_record.h"

namespace vexlo::testing {
namespace {

struct WindowsBuild {
  std::string folder;        // under the builds' folder
  std::string file_format;   // as objdump names it
  std::string architecture;  // as objdump names it
  std::string magic;         // PE32 or PE32+
};

const std::vector<WindowsBuild> windows_executables = {
    {"windows-x86", "pei-i386", "i386", "(PE32)"},
    {"windows-x64", "pei-x86-64", "i386:x86-64", "(PE32+)"},
};

class WindowsBuilds : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(windows_builds).empty()) {
      GTEST_SKIP() << "configure with VEXLO_WINDOWS_BUILDS to check the Windows executables";
    }
  }

  static std::string executable(const WindowsBuild& build) {
    return std::string(windows_builds) + "/" + build.folder + "/Vexlo.exe";
  }
};

// True when the output holds this text.
bool has_line_containing(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(WindowsBuilds, AreConsoleProgramsThatNeedOnlySystemLibraries) {
  for (const WindowsBuild& build : windows_executables) {
    SCOPED_TRACE(build.folder);
    const ProgramRun header = run_program("objdump", {"-f", executable(build)});
    ASSERT_EQ(header.exit_status, 0) << header.err;
    EXPECT_TRUE(has_line_containing(header.out, "file format " + build.file_format + "\n")) << header.out;
    EXPECT_TRUE(has_line_containing(header.out, "architecture: " + build.architecture + ",")) << header.out;

    const ProgramRun details = run_program("objdump", {"-p", executable(build)});
    EXPECT_TRUE(has_line_containing(details.out, build.magic)) << details.out;
    EXPECT_TRUE(has_line_containing(details.out, "(Windows CUI)")) << "console subsystem";
    // The C and C++ runtimes are linked in: only Windows' own DLLs remain.
    std::vector<std::string> needed;
    for (std::size_t at = details.out.find("DLL Name: "); at != std::string::npos;
         at = details.out.find("DLL Name: ", at + 1)) {
      const std::size_t begin = at + 10;
      needed.push_back(details.out.substr(begin, details.out.find('\n', begin) - begin));
    }
    EXPECT_EQ(needed, (std::vector<std::string>{"KERNEL32.dll", "msvcrt.dll"}));
  }
}

TEST_F(WindowsBuilds, CarryTheVersionRecordAsAVersionResource) {
  for (const WindowsBuild& build : windows_executables) {
    SCOPED_TRACE(build.folder);
    const ProgramRun resource = run_program("x86_64-w64-mingw32-windres", {"-i", executable(build), "-O", "rc"});
    ASSERT_EQ(resource.exit_status, 0) << resource.err;
    EXPECT_TRUE(has_line_containing(resource.out, "FILEVERSION 1, 0, 0, 1\n")) << resource.out;
    EXPECT_TRUE(has_line_containing(resource.out, "PRODUCTVERSION 1, 0, 0, 0\n")) << resource.out;
    for (const version_record::Field& field : version_record::fields) {
      const std::string value =
          field.name == "OriginalFilename" ? std::string(windows_original_filename) : std::string(field.value);
      const std::string line = "VALUE \"" + std::string(field.name) + "\", \"" + value + "\"\n";
      EXPECT_TRUE(has_line_containing(resource.out, line)) << line;
    }
  }
}

TEST_F(WindowsBuilds, PackIntoAZip) {
  for (const WindowsBuild& build : windows_executables) {
    SCOPED_TRACE(build.folder);
    const std::string scratch = std::string(windows_builds) + "/" + build.folder + "/zip-test";
    const std::string config = std::string(windows_builds) + "/" + build.folder + "/CPackConfig.cmake";
    const ProgramRun packed = run_program(cpack_command, {"-G", "ZIP", "--config", config, "-B", scratch});
    ASSERT_EQ(packed.exit_status, 0) << packed.out << packed.err;
    const std::string zip = packed.out.substr(packed.out.find("package: ") + 9);
    // cmake -E tar lists ZIP archives too.
    const ProgramRun listed = run_program(cmake_command, {"-E", "tar", "tf", zip.substr(0, zip.find(" generated"))});
    EXPECT_EQ(listed.exit_status, 0) << listed.err;
    EXPECT_TRUE(has_line_containing(listed.out, "/bin/Vexlo.exe\n")) << listed.out;
  }
}

}  // namespace
}  // namespace vexlo::testing
