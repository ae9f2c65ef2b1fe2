// The tool as a user gets it: installed with `cmake --install`, or from the
// Debian package, with its manual page.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/expected_output.h"
#include "testing/run_program.h"
#include "testing/scratch_folder.h"
#include "tool_under_test.h"

namespace vexlo::testing {
namespace {

// Every outcome message, as the manual page must quote it (a value shown as
// 'value').
const std::vector<std::string> outcome_messages = {
    "Parameter was not found in source file, or source file invalid.",
    "Parameter was not found in destination file, or destination file invalid.",
    "Could not find enough backslashes in source file.",
    "Could not find enough backslashes in destination file.",
    "Could not write parameter value 'value' to destination file.",
    "Parameter 'value' successfully written to destination file.",
};

class Installation : public ScratchFolder {
 protected:
  // Checks that an installed tree under root runs and reads its manual.
  static void expect_working_install(const std::filesystem::path& root) {
    const ProgramRun run = run_program((root / "bin/vexlo").string(), {});
    EXPECT_TRUE(run.out.starts_with(expected_banner() + "Usage: Vexlo fromfile tofile")) << run.out;
    EXPECT_EQ(run.exit_status, 1);
    // man -M: look the page up the way `man vexlo` does, in this tree only.
    const ProgramRun manual = run_program("env", {"MANWIDTH=250", "man", "-M", (root / "share/man").string(), "vexlo"});
    EXPECT_EQ(manual.exit_status, 0) << manual.err;
    EXPECT_NE(manual.out.find("vexlo - copy one parameter between profile files"), std::string::npos);
  }
};

TEST_F(Installation, TheManualPageRendersWithoutWarningAndQuotesEveryMessage) {
  // A wide page, so that no message is broken across lines.
  const ProgramRun run = run_program("env", {"MANWIDTH=250", "man", "--warnings", "-l", generated_manual_page});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err, "") << "no warning from groff";
  for (const char* heading :
       {"NAME", "SYNOPSIS", "DESCRIPTION", "FILE RULES", "EXIT STATUS", "DIAGNOSTICS", "EXAMPLES", "SEE ALSO"}) {
    EXPECT_NE(run.out.find(std::string("\n") + heading + "\n"), std::string::npos) << heading;
  }
  for (const std::string& message : outcome_messages) {
    EXPECT_NE(run.out.find(message), std::string::npos) << message;
  }
  EXPECT_NE(run.out.find("vexlo ref.ini pool.ini Paths DataDir 2"), std::string::npos);
}

TEST_F(Installation, CmakeInstallPutsTheToolAndItsManualUnderAnyPrefix) {
  const std::filesystem::path prefix = folder / "prefix with space";
  const ProgramRun run = run_program(cmake_command, {"--install", build_tree, "--prefix", prefix.string()});
  ASSERT_EQ(run.exit_status, 0) << run.out << run.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(prefix / "bin/vexlo"));
  EXPECT_TRUE(std::filesystem::is_regular_file(prefix / "share/man/man1/vexlo.1.gz"));
  expect_working_install(prefix);
}

TEST_F(Installation, TheDebianPackageHoldsTheToolAndItsManual) {
  if (run_program("dpkg-deb", {"--version"}).exit_status != 0) {
    GTEST_SKIP() << "dpkg-deb is not installed";
  }
  const ProgramRun packed = run_program(
      cpack_command, {"-G", "DEB", "--config", std::string(build_tree) + "/CPackConfig.cmake", "-B", folder.string()});
  ASSERT_EQ(packed.exit_status, 0) << packed.out << packed.err;
  std::string package;
  for (const std::string& name : entries_of(folder)) {
    if (name.ends_with(".deb")) {
      package = (folder / name).string();
    }
  }
  ASSERT_FALSE(package.empty()) << packed.out;

  const ProgramRun contents = run_program("dpkg-deb", {"-c", package});
  EXPECT_NE(contents.out.find(" ./usr/bin/vexlo\n"), std::string::npos) << contents.out;
  EXPECT_NE(contents.out.find(" ./usr/share/man/man1/vexlo.1.gz\n"), std::string::npos) << contents.out;

  const ProgramRun fields = run_program("dpkg-deb", {"-f", package, "Package", "Version", "Maintainer", "Depends"});
  EXPECT_NE(fields.out.find("Package: vexlo\n"), std::string::npos) << fields.out;
  EXPECT_NE(fields.out.find("Version: 1.0.0.1\n"), std::string::npos) << fields.out;
  EXPECT_NE(fields.out.find("Maintainer: The Vexlo developers <"), std::string::npos) << fields.out;
  // Computed by dpkg-shlibdeps from the binary: at least the C library.
  EXPECT_NE(fields.out.find("Depends: "), std::string::npos) << fields.out;
  EXPECT_NE(fields.out.find("libc6 (>= "), std::string::npos) << fields.out;

  const std::filesystem::path root = folder / "root";
  ASSERT_EQ(run_program("dpkg-deb", {"-x", package, root.string()}).exit_status, 0);
  expect_working_install(root / "usr");
}

}  // namespace
}  // namespace vexlo::testing
